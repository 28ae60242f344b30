// Reader of PLY files. Sections: the header (format, elements and their properties); the
// records (a binary record walked, the vertices of fixed size read in one loop made for each
// type of coordinate, ascii records); the body after the header (PlyBody: the elements before
// the vertices passed over, then the vertices); the checks and report lines; the entry point.
#include "io/ply_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "io/binary_values.h"
#include "io/load_limits.h"
#include "io/number_scan.h"
#include "io/read_progress.h"
#include "io/reader_common.h"
#include "io/text_lines.h"

namespace {

// The header is read from a copy of the file's start no longer than this.
constexpr std::size_t kLongestHeader = std::size_t{1} << 20;
// Vertices are read in steps of this many, after each of which the pages passed are given back.
constexpr std::size_t kStepRecords = std::size_t{1} << 16;

// ---- The header ----

enum class PlyFormat { Ascii, BinaryLittle, BinaryBig };

struct Property {
    std::string name;
    BinaryType type = BinaryType::Float32;
    bool list = false;
    BinaryType countType = BinaryType::UInt8;
};

struct Element {
    std::string name;
    unsigned long long count = 0;
    std::vector<Property> properties;
    long long line = 0;

    // The bytes of one record in a binary file; 0 when it holds lists, whose records differ.
    std::size_t fixedSize() const
    {
        std::size_t size = 0;
        for (const Property& p : properties) {
            if (p.list) {
                return 0;
            }
            size += binarySize(p.type);
        }
        return size;
    }
    int find(const char* property) const
    {
        for (std::size_t k = 0; k < properties.size(); ++k) {
            if (!properties[k].list && properties[k].name == property) {
                return static_cast<int>(k);
            }
        }
        return -1;
    }
};

struct PlyHeader {
    PlyFormat format = PlyFormat::Ascii;
    std::vector<Element> elements;
    std::size_t dataOffset = 0;
    long long dataLine = 0;  // the line the records start on (ascii)
};

bool typeNamed(const std::string& word, BinaryType& type)
{
    struct Named {
        const char* a;
        const char* b;
        BinaryType type;
    };
    static const Named kNames[] = {
        {"char", "int8", BinaryType::Int8},      {"uchar", "uint8", BinaryType::UInt8},
        {"short", "int16", BinaryType::Int16},   {"ushort", "uint16", BinaryType::UInt16},
        {"int", "int32", BinaryType::Int32},     {"uint", "uint32", BinaryType::UInt32},
        {"float", "float32", BinaryType::Float32}, {"double", "float64", BinaryType::Float64}};
    for (const Named& n : kNames) {
        if (word == n.a || word == n.b) {
            type = n.type;
            return true;
        }
    }
    return false;
}

std::vector<std::string> wordsOf(const char* begin, const char* end)
{
    std::vector<std::string> words;
    const char* p = begin;
    while (true) {
        while (p != end && (*p == ' ' || *p == '\t' || *p == '\r')) {
            ++p;
        }
        if (p == end) {
            return words;
        }
        const char* q = p;
        while (q != end && *q != ' ' && *q != '\t' && *q != '\r') {
            ++q;
        }
        words.emplace_back(p, q);
        p = q;
    }
}

// Reads the header from head, a copy of the file's start; false with the report line in error.
bool readHeader(const char* name, const std::string& head, PlyHeader& header, std::string& error)
{
    const auto refuse = [&](long long line, const std::string& reason) {
        error = fileLineError(name, line, reason + "; nothing is loaded");
        return false;
    };
    LineWalker lines(head.data(), head.data() + head.size());
    bool formatSeen = false;
    while (lines.next()) {
        const std::vector<std::string> words = wordsOf(lines.begin(), lines.end());
        const long long line = lines.number();
        if (line == 1) {
            if (words.size() != 1 || words[0] != "ply") {
                return refuse(1, "is not a PLY file: its first line is not \"ply\"");
            }
            continue;
        }
        if (words.empty() || words[0] == "comment" || words[0] == "obj_info") {
            continue;
        }
        if (words[0] == "format") {
            static const char* const kFormats[] = {"ascii", "binary_little_endian", "binary_big_endian"};
            const auto found = std::find(std::begin(kFormats), std::end(kFormats), words.size() > 1 ? words[1] : "");
            if (words.size() != 3 || found == std::end(kFormats)) {
                return refuse(line, "the format is not ascii, binary_little_endian or binary_big_endian 1.0");
            }
            header.format = static_cast<PlyFormat>(found - std::begin(kFormats));
            formatSeen = true;
        } else if (words[0] == "element") {
            char* stop = nullptr;
            const unsigned long long count = words.size() == 3 ? std::strtoull(words[2].c_str(), &stop, 10) : 0;
            if (words.size() != 3 || *stop != '\0' || words[2][0] == '-' || count == ~0ull) {
                return refuse(line, "an element needs a name and a count of records");
            }
            header.elements.push_back(Element{words[1], count, {}, line});
        } else if (words[0] == "property") {
            Property p;
            const bool list = words.size() == 5 && words[1] == "list";
            if (header.elements.empty() || (words.size() != 3 && !list)) {
                return refuse(line, "a property needs an element before it, a type and a name");
            }
            const std::string& typeWord = list ? words[3] : words[1];
            if ((list && !typeNamed(words[2], p.countType)) || !typeNamed(typeWord, p.type)) {
                return refuse(line, "unknown property type \"" + (list && !typeNamed(words[2], p.countType) ? words[2] : typeWord) +
                                        "\" (char, uchar, short, ushort, int, uint, float, double and their sized "
                                        "names are known)");
            }
            p.list = list;
            p.name = words.back();
            header.elements.back().properties.push_back(p);
        } else if (words[0] == "end_header") {
            if (!formatSeen) {
                return refuse(line, "the header names no format");
            }
            header.dataOffset = static_cast<std::size_t>(lines.rest() - head.data());
            header.dataLine = line + 1;
            return true;
        } else {
            return refuse(line, "the header holds \"" + words[0] + "\", which is no PLY header keyword");
        }
    }
    return refuse(lines.number(), "the header has no \"end_header\" line within its first megabyte");
}

// ---- The records ----

// Where the vertices' coordinates and colours stand and how they are read.
struct VertexLayout {
    int x = -1, y = -1, z = -1;
    int color[3] = {-1, -1, -1};
    bool colored() const { return color[0] >= 0 && color[1] >= 0 && color[2] >= 0; }
};

// A colour channel as a byte: integers as they are (clamped), floating-point values from 0 to 1.
unsigned char colorByte(double v, BinaryType type)
{
    if (type == BinaryType::Float32 || type == BinaryType::Float64) {
        v *= 255.0;
    }
    return static_cast<unsigned char>(std::isnan(v) ? 0.0 : std::lround(std::clamp(v, 0.0, 255.0)));
}

// What the reading of the vertices writes.
struct VertexSink {
    Point3d* points;
    std::uint8_t* colors;
    Bounds* bounds;

    void put(std::size_t k, double x, double y, double z) const
    {
        points[k] = Point3d{x, y, z};
        includeInBounds(*bounds, points[k]);
    }
    void color(std::size_t k, unsigned char r, unsigned char g, unsigned char b) const
    {
        std::uint8_t* c = colors + k * 4;
        c[0] = r;
        c[1] = g;
        c[2] = b;
        c[3] = 255;
    }
};

// A binary record's properties, read one after the other from p; lists are passed over. Returns
// where the record ends, or nullptr when it runs past end. values gets each plain property.
const char* walkRecord(const Element& e, const char* p, const char* end, bool swap, double* values)
{
    for (std::size_t k = 0; k < e.properties.size(); ++k) {
        const Property& prop = e.properties[k];
        if (prop.list) {
            const std::size_t countSize = binarySize(prop.countType);
            if (static_cast<std::size_t>(end - p) < countSize) {
                return nullptr;
            }
            const double count = binaryValue(p, prop.countType, swap);
            p += countSize;
            const std::size_t item = binarySize(prop.type);
            if (!(count >= 0.0) || count > static_cast<double>(end - p) / item) {
                return nullptr;
            }
            p += static_cast<std::size_t>(count) * item;
            continue;
        }
        const std::size_t size = binarySize(prop.type);
        if (static_cast<std::size_t>(end - p) < size) {
            return nullptr;
        }
        if (values != nullptr) {
            values[k] = binaryValue(p, prop.type, swap);
        }
        p += size;
    }
    return p;
}

// The vertices of a binary file whose records have one size and whose x, y and z share a type:
// one loop made for that type, the colours taken as bytes where they are bytes.
template <typename T, bool Swap>
void readFixedVertices(const Element& e, const VertexLayout& v, const ByteSpan& bytes, const char* start,
                       const VertexSink& sink)
{
    std::size_t offsets[6] = {};
    std::size_t at = 0;
    for (std::size_t k = 0; k < e.properties.size(); ++k) {
        const int index = static_cast<int>(k);
        const int slot = index == v.x ? 0 : index == v.y ? 1 : index == v.z ? 2 : index == v.color[0] ? 3
                                                                               : index == v.color[1] ? 4
                                                                               : index == v.color[2] ? 5 : -1;
        if (slot >= 0) {
            offsets[slot] = at;
        }
        at += binarySize(e.properties[k].type);
    }
    const std::size_t stride = at;
    const bool colored = v.colored();
    BinaryType colorTypes[3] = {BinaryType::UInt8, BinaryType::UInt8, BinaryType::UInt8};
    bool byteColors = true;
    for (int c = 0; colored && c < 3; ++c) {
        colorTypes[c] = e.properties[static_cast<std::size_t>(v.color[c])].type;
        byteColors = byteColors && colorTypes[c] == BinaryType::UInt8;
    }
    const std::size_t count = static_cast<std::size_t>(e.count);
    for (std::size_t k0 = 0; k0 < count; k0 += kStepRecords) {
        const std::size_t k1 = std::min(count, k0 + kStepRecords);
        for (std::size_t k = k0; k < k1; ++k) {
            const char* record = start + k * stride;
            sink.put(k, static_cast<double>(loadBinary<T, Swap>(record + offsets[0])),
                     static_cast<double>(loadBinary<T, Swap>(record + offsets[1])),
                     static_cast<double>(loadBinary<T, Swap>(record + offsets[2])));
            if (byteColors && colored) {
                sink.color(k, static_cast<unsigned char>(record[offsets[3]]), static_cast<unsigned char>(record[offsets[4]]),
                           static_cast<unsigned char>(record[offsets[5]]));
            } else if (colored) {
                sink.color(k, colorByte(binaryValue(record + offsets[3], colorTypes[0], Swap), colorTypes[0]),
                           colorByte(binaryValue(record + offsets[4], colorTypes[1], Swap), colorTypes[1]),
                           colorByte(binaryValue(record + offsets[5], colorTypes[2], Swap), colorTypes[2]));
            }
        }
        bytes.doneBefore(start + k1 * stride);
        addReadProgress((k1 - k0) * stride);
    }
}

// ---- Ascii records ----

// Numbers separated by white space, counting the lines they stand on.
class AsciiRecords {
public:
    AsciiRecords(const char* p, const char* end, long long line) : p_(p), end_(end), line_(line) {}

    bool number(double& value)
    {
        while (p_ != end_ && numberScanDetail::isSpace(*p_)) {
            line_ += *p_ == '\n';
            ++p_;
        }
        return p_ != end_ && scanDouble(p_, end_, value);
    }
    // One record of e, its plain properties into values (when given).
    bool record(const Element& e, double* values)
    {
        for (std::size_t k = 0; k < e.properties.size(); ++k) {
            double v;
            if (!number(v)) {
                return false;
            }
            if (e.properties[k].list) {
                for (double n = 0; n < v; ++n) {
                    double item;
                    if (!number(item)) {
                        return false;
                    }
                }
            } else if (values != nullptr) {
                values[k] = v;
            }
        }
        return true;
    }
    long long line() const { return line_; }
    const char* at() const { return p_; }

private:
    const char* p_;
    const char* end_;
    long long line_;
};

// The records after the header: those of the elements before the vertices passed over, then the
// vertices read. It runs guarded against a file cut short: everything it needs that must be
// destroyed (the values of a record) is made before.
class PlyBody {
public:
    PlyBody(const PlyHeader& h, const Element& vertices, const VertexLayout& v, const ByteSpan& bytes,
            const VertexSink& sink)
        : at(bytes.begin + h.dataOffset), h_(h), vertices_(vertices), v_(v), bytes_(bytes), sink_(sink),
          values_(vertices.properties.size()), binary_(h.format != PlyFormat::Ascii),
          swap_(binary_ && ((h.format == PlyFormat::BinaryLittle) != kLittleEndianMachine))
    {
    }

    void read()
    {
        AsciiRecords ascii(at, bytes_.end, h_.dataLine);
        for (const Element& e : h_.elements) {
            if (e.properties.empty()) {
                continue;  // its records hold nothing, however many it declares
            }
            const bool isVertex = &e == &vertices_;
            const std::size_t size = e.fixedSize();
            if (binary_ && size > 0 && e.count > static_cast<std::size_t>(bytes_.end - at) / size) {
                stop(e, static_cast<std::size_t>(bytes_.end - at) / size, 0);
                return;
            }
            if (binary_ && size > 0 && !isVertex) {
                at += static_cast<std::size_t>(e.count) * size;
            } else if (binary_ && size > 0 && sharedCoordinateType()) {
                withBinaryType(coordinateType(), swap_, [&](auto value, auto swapped) {
                    readFixedVertices<decltype(value), decltype(swapped)::value>(e, v_, bytes_, at, sink_);
                });
            } else if (!recordByRecord(e, ascii)) {
                return;
            }
            if (isVertex) {
                return;  // nothing after the vertices is read
            }
        }
    }

    // Where the binary records have been read up to; where the records ran out (nullptr when
    // they did not), and the line (ascii) they ran out on.
    const char* at;
    const Element* stoppedIn = nullptr;
    unsigned long long stoppedAt = 0;
    long long stoppedLine = 0;

private:
    BinaryType coordinateType() const { return vertices_.properties[static_cast<std::size_t>(v_.x)].type; }
    bool sharedCoordinateType() const
    {
        return vertices_.properties[static_cast<std::size_t>(v_.y)].type == coordinateType() &&
               vertices_.properties[static_cast<std::size_t>(v_.z)].type == coordinateType();
    }

    void stop(const Element& e, unsigned long long record, long long line)
    {
        stoppedIn = &e;
        stoppedAt = record;
        stoppedLine = line;
    }

    // The records of e one after the other; the vertices' plain properties go to the sink.
    // False when they run out.
    bool recordByRecord(const Element& e, AsciiRecords& ascii)
    {
        const bool isVertex = &e == &vertices_;
        double* values = isVertex ? values_.data() : nullptr;
        const char* start = at;
        for (unsigned long long k = 0; k < e.count; ++k) {
            const char* next = binary_ ? walkRecord(e, at, bytes_.end, swap_, values) : nullptr;
            if (binary_ ? next == nullptr : !ascii.record(e, values)) {
                stop(e, k, ascii.line());
                return false;
            }
            at = binary_ ? next : at;
            if (isVertex) {
                put(e, static_cast<std::size_t>(k));
            }
        }
        addReadProgress(static_cast<std::size_t>((binary_ ? at : ascii.at()) - start));
        return true;
    }

    void put(const Element& e, std::size_t k) const
    {
        const auto value = [&](int property) { return values_[static_cast<std::size_t>(property)]; };
        sink_.put(k, value(v_.x), value(v_.y), value(v_.z));
        if (v_.colored()) {
            const auto channel = [&](int c) {
                return colorByte(value(v_.color[c]), e.properties[static_cast<std::size_t>(v_.color[c])].type);
            };
            sink_.color(k, channel(0), channel(1), channel(2));
        }
    }

    const PlyHeader& h_;
    const Element& vertices_;
    const VertexLayout& v_;
    const ByteSpan& bytes_;
    const VertexSink& sink_;
    std::vector<double> values_;
    bool binary_;
    bool swap_;
};

// The places of the coordinates and colours among the vertex element's properties.
VertexLayout vertexLayoutOf(const Element& vertices)
{
    VertexLayout v;
    v.x = vertices.find("x");
    v.y = vertices.find("y");
    v.z = vertices.find("z");
    v.color[0] = vertices.find("red");
    v.color[1] = vertices.find("green");
    v.color[2] = vertices.find("blue");
    return v;
}

// What the header promises is checked against the file (size bytes) before anything is built:
// records of a fixed size must all fit after the header, and any record takes a byte (ascii:
// a value and its separator a property) at the least. The report line when they cannot fit.
std::string brokenPromise(const char* name, const PlyHeader& h, const Element& vertices, std::size_t size,
                          bool colored)
{
    const bool binary = h.format != PlyFormat::Ascii;
    const std::size_t fixed = vertices.fixedSize();
    const std::size_t after = size - h.dataOffset;
    const unsigned long long least = binary && fixed > 0 ? fixed : binary ? 1 : 2 * vertices.properties.size();
    unsigned long long promised = 0;
    const std::size_t count = static_cast<std::size_t>(vertices.count);
    if (__builtin_mul_overflow(vertices.count, least, &promised) || promised > after + (binary ? 0 : 1) ||
        !pointsLoadable(count, sizeof(Point3d) + (colored ? 4 : 0), count)) {
        return fileByteError(name, h.dataOffset,
                             formatLine("the header promises %llu vertices of %llu bytes or more, but only %zu bytes "
                                        "follow it",
                                        vertices.count, least, after) +
                                 "; nothing is loaded");
    }
    return std::string();
}

// The one warning line of the elements passed over (faces, edges), with their counts.
void warnOfOtherElements(const char* name, const PlyHeader& h, const Element& vertices, LoadResult& result)
{
    std::string skipped;
    for (const Element& e : h.elements) {
        if (&e != &vertices) {
            skipped += (skipped.empty() ? "" : ", ") + e.name + formatLine(" (%llu)", e.count);
        }
    }
    if (!skipped.empty()) {
        result.warnings.push_back(fileError(name, "only the vertices are read; the elements " + skipped + " are skipped"));
    }
}

}  // namespace

bool looksLikePly(const char* bytes, std::size_t size)
{
    return (size >= 4 && std::memcmp(bytes, "ply\n", 4) == 0) || (size >= 5 && std::memcmp(bytes, "ply\r\n", 5) == 0);
}

LoadResult readPlyBytes(const char* name, const ByteSpan& bytes)
{
    std::string head, error;
    if (!bytes.copy(0, kLongestHeader, head)) {
        return loadFailure(shortenedWhileRead(name));
    }
    PlyHeader h;
    if (!readHeader(name, head, h, error)) {
        return loadFailure(error);
    }
    const auto vertexElement = std::find_if(h.elements.begin(), h.elements.end(),
                                            [](const Element& e) { return e.name == "vertex"; });
    if (vertexElement == h.elements.end()) {
        return loadFailure(fileError(name, "the header declares no vertex element; nothing is loaded"));
    }
    const Element& vertices = *vertexElement;
    const VertexLayout v = vertexLayoutOf(vertices);
    if (v.x < 0 || v.y < 0 || v.z < 0) {
        return loadFailure(fileLineError(name, vertices.line, "the vertex element has no x, y and z; nothing is loaded"));
    }
    if (vertices.count == 0) {
        return loadFailure(fileLineError(name, vertices.line, "the vertex element holds no vertices; nothing is loaded"));
    }
    const bool binary = h.format != PlyFormat::Ascii;
    const std::string broken =
        brokenPromise(name, h, vertices, static_cast<std::size_t>(bytes.end - bytes.begin), v.colored());
    if (!broken.empty()) {
        return loadFailure(broken);
    }
    const std::size_t count = static_cast<std::size_t>(vertices.count);
    LoadResult result;
    DataSet& data = result.data;
    if (!allocateZeroed(data.coordArray, count, "", result) ||
        (v.colored() && !allocateZeroed(data.pointColors, count * 4, "", result))) {
        return loadFailure(fileError(name, formatLine("no memory for %zu points", count)));
    }
    resetBounds(result.rawBounds);
    const VertexSink sink{data.coordArray.data(), v.colored() ? data.pointColors.data() : nullptr, &result.rawBounds};
    PlyBody body(h, vertices, v, bytes, sink);
    auto readBody = [&body] { body.read(); };
    if (!readGuarded(readBody)) {
        return loadFailure(shortenedWhileRead(name));
    }
    if (body.stoppedIn != nullptr) {
        const std::string where = formatLine("the file ends, or holds what is not a number, in record %llu of the %llu "
                                             "of element \"%s\"",
                                             body.stoppedAt + 1, body.stoppedIn->count, body.stoppedIn->name.c_str());
        return loadFailure(binary ? fileByteError(name, static_cast<unsigned long long>(body.at - bytes.begin),
                                                  where + "; nothing is loaded")
                                  : fileLineError(name, body.stoppedLine, where + "; nothing is loaded"));
    }
    warnOfOtherElements(name, h, vertices, result);
    data.fnTrf.nx = 1;
    data.fnTrf.pointsPerSet = static_cast<int>(count);
    data.loadedFormat = static_cast<int>(DataFormat::Plain);
    result.normaliseCount = count;
    result.entriesRead = result.entriesExpected = count;
    result.rawBoundsBeforeNormalising = true;
    result.loaded = true;
    result.readLines.push_back(dimensionsLine(data.fnTrf));
    return result;
}
