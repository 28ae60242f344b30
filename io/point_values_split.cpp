// Two threads over the values of one points file; see point_values_split.h.
#include "io/point_values_split.h"

#include <cmath>
#include <system_error>
#include <thread>

#include "io/number_scan.h"

namespace {

// The share of the text the first thread reads: the second also counts the words of that
// share, which takes about a third of the time of reading them.
constexpr double kFirstShare = 0.6;

bool isSpaceByte(char c)
{
    return numberScanDetail::isSpace(c);
}

// The words (runs of anything but white space) of [begin, end), where begin is white space
// or the start of a word. Written as a sum over neighbouring pairs, which the compiler turns
// into vector instructions.
std::size_t countWords(const char* begin, const char* end)
{
    const std::size_t n = static_cast<std::size_t>(end - begin);
    if (n == 0) {
        return 0;
    }
    std::size_t words = isSpaceByte(begin[0]) ? 0 : 1;
    for (std::size_t k = 1; k < n; ++k) {
        words += static_cast<std::size_t>(isSpaceByte(begin[k - 1])) * static_cast<std::size_t>(!isSpaceByte(begin[k]));
    }
    return words;
}

// One thread's part of the text and what it found there.
struct Part {
    const char* begin = nullptr;
    const char* end = nullptr;     // white space, or the end of the text
    std::size_t firstValue = 0;    // the number, in the whole text, of the part's first value
    std::size_t values = 0;        // values read
    bool plain = true;             // every value read was a whole word
    Bounds bounds{};
    GroupReader groups;
};

// Reads the part's values up to the totalValues-th of the text, each into its place: value v
// is coordinate v % perPoint of point v / perPoint, or its group when that is 3. Each axis's
// bounds see that axis's values in the order of the text, which is all the bounds rule needs.
void readPart(Part& part, std::size_t totalValues, int perPoint, Point3d* points, int* groups)
{
    resetBounds(part.bounds);
    const char* q = part.begin;
    std::size_t v = part.firstValue;
    std::size_t point = v / static_cast<std::size_t>(perPoint);
    int slot = static_cast<int>(v % static_cast<std::size_t>(perPoint));
    while (v < totalValues) {
        q = skipSpace(q, part.end);
        if (q == part.end) {
            break;
        }
        const char* at = q;
        double value;
        if (!scanDouble(q, part.end, value) || (q != part.end && !isSpaceByte(*q))) {
            part.plain = false;
            return;
        }
        if (slot == 3) {
            groups[point] = part.groups.take(value, at, q);
        } else {
            double& coordinate = slot == 0 ? points[point].x : slot == 1 ? points[point].y : points[point].z;
            coordinate = value;
            includeInBounds(part.bounds, slot, value);
        }
        ++v;
        ++part.values;
        if (++slot == perPoint) {
            slot = 0;
            ++point;
        }
    }
}

void appendBounds(Bounds& bounds, const Bounds& later)
{
    for (int a = 0; a < 3; ++a) {
        if (later.min[a] < bounds.min[a]) {
            bounds.min[a] = later.min[a];
        }
        if (later.max[a] > bounds.max[a]) {
            bounds.max[a] = later.max[a];
        }
    }
}

}  // namespace

bool readPointValuesOnTwoThreads(const char* p, const char* end, std::size_t count, Point3d* points, int* groups,
                                 Bounds& bounds, GroupReader& groupReader, std::size_t minimumBytes)
{
    const std::size_t bytes = static_cast<std::size_t>(end - p);
    if (bytes < minimumBytes || bytes < 2 || count == 0) {
        return false;
    }
    // The parts meet at white space, so that no word is cut.
    const char* middle = p + static_cast<std::size_t>(static_cast<double>(bytes) * kFirstShare);
    while (middle != end && !isSpaceByte(*middle)) {
        ++middle;
    }
    if (middle == end) {
        return false;
    }
    const int perPoint = groups != nullptr ? 4 : 3;
    const std::size_t totalValues = count * static_cast<std::size_t>(perPoint);
    Part first;
    first.begin = p;
    first.end = middle;
    Part second;
    second.begin = middle;
    second.end = end;
    std::size_t wordsOfFirst = 0;
    try {
        std::thread reader([&] {
            wordsOfFirst = countWords(p, middle);
            second.firstValue = wordsOfFirst;
            readPart(second, totalValues, perPoint, points, groups);
        });
        readPart(first, totalValues, perPoint, points, groups);
        reader.join();
    } catch (const std::system_error&) {
        return false;
    }
    const bool firstWhole = first.plain && first.values == (wordsOfFirst < totalValues ? wordsOfFirst : totalValues);
    const bool secondWhole = wordsOfFirst >= totalValues || (second.plain && wordsOfFirst + second.values == totalValues);
    if (!firstWhole || !secondWhole) {
        return false;
    }
    bounds = first.bounds;
    groupReader = first.groups;
    if (wordsOfFirst < totalValues) {
        appendBounds(bounds, second.bounds);
        groupReader.append(second.groups);
    }
    return true;
}
