// A large "Data" file read a window at a time, on two threads; see streamed_points.h.
#include "io/streamed_points.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#include "io/format_detect.h"
#include "io/number_scan.h"
#include "io/read_progress.h"
#include "io/reader_common.h"

namespace {

// The share of the values' text the first thread reads: the second counts its words first.
constexpr double kFirstShare = 0.6;

bool isSpaceByte(char c)
{
    return numberScanDetail::isSpace(c);
}

// Reads up to size bytes at offset; the bytes read (fewer at the file's end), or -1. They
// count to the load's progress unless told.
long long readAt(int fd, char* into, std::size_t size, std::size_t offset, bool progress = true)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(fd, into + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    if (progress) {
        addReadProgress(got);
    }
    return static_cast<long long>(got);
}

// A range of a file read a window at a time, each window cut after its last white space so
// that no word is cut: the rest of the word comes with the next window.
class Windows {
public:
    // progress: whether the bytes read count to the load's progress (a range read twice
    // counts once).
    Windows(int fd, std::size_t from, std::size_t to, std::size_t size, bool progress)
        : fd_(fd), at_(from), to_(to), size_(size), progress_(progress), bytes_(new char[size])
    {
    }

    // The next window's text, or false at the range's end; failed() tells an end that is not
    // one (a read error, or a word as long as a window).
    bool next(const char*& begin, const char*& end)
    {
        const std::size_t carried = held_ - cut_;
        std::memmove(bytes_.get(), bytes_.get() + cut_, carried);
        held_ = carried;
        const std::size_t wanted = std::min(size_ - held_, to_ - at_);
        const long long got = readAt(fd_, bytes_.get() + held_, wanted, at_, progress_);
        if (got < 0) {
            failed_ = true;
            return false;
        }
        at_ += static_cast<std::size_t>(got);
        held_ += static_cast<std::size_t>(got);
        if (static_cast<std::size_t>(got) < wanted) {
            to_ = at_;  // the file shrank: it ends here
        }
        cut_ = held_;
        if (at_ < to_) {
            while (cut_ > 0 && !isSpaceByte(bytes_[cut_ - 1])) {
                --cut_;
            }
            if (cut_ == 0) {
                failed_ = true;
                return false;
            }
        }
        begin = bytes_.get();
        end = bytes_.get() + cut_;
        return cut_ > 0;
    }

    bool failed() const { return failed_; }

private:
    int fd_;
    std::size_t at_, to_, size_;
    bool progress_;
    std::unique_ptr<char[]> bytes_;
    std::size_t held_ = 0, cut_ = 0;
    bool failed_ = false;
};

// The words (runs of anything but white space) of a range that starts at white space or at
// the start of a word.
bool countWords(int fd, std::size_t from, std::size_t to, std::size_t window, std::size_t& words)
{
    Windows windows(fd, from, to, window, false);
    const char* begin = nullptr;
    const char* end = nullptr;
    bool afterSpace = true;
    words = 0;
    while (windows.next(begin, end)) {
        const std::size_t n = static_cast<std::size_t>(end - begin);
        words += static_cast<std::size_t>(afterSpace && !isSpaceByte(begin[0]));
        // A sum over neighbouring pairs, which the compiler turns into vector instructions.
        for (std::size_t k = 1; k < n; ++k) {
            words += static_cast<std::size_t>(isSpaceByte(begin[k - 1])) * static_cast<std::size_t>(!isSpaceByte(begin[k]));
        }
        afterSpace = isSpaceByte(end[-1]);
    }
    return !windows.failed();
}

// One thread's part of the text, and what it read there.
struct Part {
    std::size_t from = 0, to = 0;  // bytes of the file
    std::size_t window = 0;        // bytes read at a time
    std::size_t firstValue = 0;    // the number, among all the values, of the part's first
    std::size_t values = 0;        // values read
    bool plain = true;             // every word read was one number, and the file could be read
    Bounds bounds{};
};

// Reads the part's values, up to the total-th of the file, each into its place: value v is
// coordinate v % 3 of point v / 3.
void readPart(int fd, Part& part, std::size_t total, Point3d* points)
{
    resetBounds(part.bounds);
    Windows windows(fd, part.from, part.to, part.window, true);
    std::size_t v = part.firstValue;
    const char* q = nullptr;
    const char* end = nullptr;
    while (v < total && windows.next(q, end)) {
        while (v < total) {
            q = skipSpace(q, end);
            if (q == end) {
                break;
            }
            double value;
            if (!scanDouble(q, end, value) || (q != end && !isSpaceByte(*q))) {
                part.plain = false;
                return;
            }
            const int slot = static_cast<int>(v % 3);
            Point3d& point = points[v / 3];
            (slot == 0 ? point.x : slot == 1 ? point.y : point.z) = value;
            includeInBounds(part.bounds, slot, value);
            ++v;
            ++part.values;
        }
    }
    part.plain = part.plain && !windows.failed();
}

// The first white space at or after offset, or the range's end; false when the file cannot
// be read there.
bool whiteSpaceFrom(int fd, std::size_t& offset, std::size_t to)
{
    char look[4096];
    while (offset < to) {
        const long long got = readAt(fd, look, std::min(sizeof look, to - offset), offset, false);
        if (got <= 0) {
            return false;
        }
        const char* space = std::find_if(look, look + got, isSpaceByte);
        offset += static_cast<std::size_t>(space - look);
        if (space != look + got) {
            return true;
        }
    }
    return true;
}

void widen(Bounds& bounds, const Bounds& other)
{
    for (int a = 0; a < 3; ++a) {
        bounds.min[a] = std::min(bounds.min[a], other.min[a]);
        bounds.max[a] = std::max(bounds.max[a], other.max[a]);
    }
}

struct FdCloser {
    int fd;
    ~FdCloser() { close(fd); }
};

}  // namespace

bool readPointsStreamed(const DataFile& file, LoadResult& result, std::size_t minimumBytes, std::size_t windowBytes)
{
    int fd;
    do {
        fd = open(file.path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return false;
    }
    const FdCloser closer{fd};
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<unsigned long long>(info.st_size) < minimumBytes) {
        return false;
    }
    const std::size_t size = static_cast<std::size_t>(info.st_size);

    // The header, from the file's first bytes, and the values' text after it.
    char head[kDetectBytes];
    const long long got = readAt(fd, head, sizeof head, 0, false);
    if (got <= 0 || detectFormat(head, static_cast<std::size_t>(got)) != DataFormat::Plain ||
        std::memchr(head, '\n', static_cast<std::size_t>(got)) == nullptr) {
        return false;
    }
    FnTrf dims;
    const char* valuesAt = nullptr;
    if (!readDataHeader(file.name, DataText{head, head + got}, sizeof(Point3d), 3, dims, valuesAt, result,
                        size)) {
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(dims.nx) * static_cast<std::size_t>(dims.pointsPerSet);
    DataSet& data = result.data;
    if (count == 0 || !allocateZeroed(data.coordArray, count, "Can't allocate space for coordinate array", result)) {
        return false;
    }

    // The parts meet at white space, so that no word is cut. The header counts to the
    // progress now, the rest as the first reading of each part reaches it.
    const std::size_t from = static_cast<std::size_t>(valuesAt - head);
    addReadProgress(from);
    std::size_t middle = from + static_cast<std::size_t>(static_cast<double>(size - from) * kFirstShare);
    if (!whiteSpaceFrom(fd, middle, size)) {
        return false;
    }
    const std::size_t total = 3 * count;
    Part first, second;
    first.from = from;
    first.to = middle;
    second.from = middle;
    second.to = size;
    first.window = second.window = std::max<std::size_t>(windowBytes, 2);
    std::size_t wordsOfFirst = 0;
    bool counted = false;
    try {
        std::atomic<std::uint64_t>* counter = readProgressCounter();
        std::thread reader([&] {
            setReadProgressCounter(counter);
            counted = countWords(fd, from, middle, first.window, wordsOfFirst);
            second.firstValue = wordsOfFirst;
            if (counted && wordsOfFirst < total) {
                readPart(fd, second, total, data.coordArray.data());
            }
        });
        readPart(fd, first, total, data.coordArray.data());
        reader.join();
    } catch (const std::system_error&) {
        return false;
    }
    const bool firstWhole = counted && first.plain && first.values == std::min(wordsOfFirst, total);
    const bool secondWhole = wordsOfFirst >= total || (second.plain && wordsOfFirst + second.values == total);
    if (!firstWhole || !secondWhole) {
        return false;
    }
    result.rawBounds = first.bounds;
    if (wordsOfFirst < total) {
        widen(result.rawBounds, second.bounds);
    }
    warnShortRead(file.name, count, count, "points", result);
    data.fnTrf = dims;
    data.loadedFormat = static_cast<int>(DataFormat::Plain);
    result.normaliseCount = count;
    result.rawBoundsBeforeNormalising = false;
    result.showNormalisedBounds = true;
    result.loaded = true;
    return true;
}
