// Steps the readers share: opening a data file and checking that it is text, the header of the
// "Data" formats, line numbers for report lines, the warning of a file that ends early, the
// failure of a load that read nothing, and building an array beside the data set that is shown.
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "io/file_buffer.h"
#include "io/load_result.h"

// The text of a data file as the readers see it: after any UTF-8 byte-order mark, with every
// line end '\n' or "\r\n".
struct DataText {
    const char* begin = nullptr;
    const char* end = nullptr;
};

// Checks that buffer, the content of the file called name, is text the readers can take, and
// makes it ready for them. false with error set (empty, binary, UTF-16, not UTF-8).
bool prepareDataText(const char* name, FileBuffer& buffer, DataText& text, std::string& error);

// Reads the file and prepares its text. On failure sets the result's error (why it cannot be
// read, what it is when it is no regular file, empty, not text) and returns false.
bool openDataText(const DataFile& source, FileBuffer& file, DataText& text, LoadResult& result);

// Reads the file, prepares its text and hands it to read(name, begin, end), the reader over
// text in memory; a file that cannot be read or is no text gives its failure.
template <typename ReadText>
LoadResult readTextFile(const DataFile& source, ReadText read)
{
    LoadResult result;
    FileBuffer file;
    DataText text;
    if (!openDataText(source, file, text, result)) {
        return result;
    }
    return read(source.name, text.begin, text.end);
}

// The number of the line that at lies on, counted from 1 at begin.
long long lineNumberAt(const char* begin, const char* at);

// Scans the header of a "Data" or "Data with Color" file: two whole numbers, the sets and the
// points in each, separated by any white space (line ends too); anything after the second on
// its line is ignored. Records the dimensions in the result and checks, against the text that
// follows, that the data set can be built; points is set to the line after the header. Returns
// false, with the result's error naming the file, the line and the reason, when the load stops.
// wholeBytes, when not 0: the text is the start of a file of that many bytes, which the check
// holds the dimensions against.
bool readDataHeader(const char* name, const DataText& text, std::size_t bytesPerPoint,
                    std::size_t valuesPerPoint, FnTrf& dims, const char*& points, LoadResult& result,
                    std::size_t wholeBytes = 0);

// "fnTrf.nx = N points per set = M": a data set's dimensions in the words of the report line
// of a "Data" header.
std::string dimensionsLine(const FnTrf& dims);

// The report lines of a completed load without a "Data" header: its dimensions, then
// "columns: x = X, y = Y, z = Z[, group = G]" with the names of the columns taken.
void reportColumns(LoadResult& result, const std::string& x, const std::string& y, const std::string& z,
                   const std::string& group = std::string());

// The warning of a load that found fewer complete entries than it expected; detail, when not
// empty, follows it after "; ".
void warnShortRead(const char* name, std::size_t read, std::size_t expected, const char* what, LoadResult& result,
                   const std::string& detail = std::string());

// A load that expected values and read none is a failed load: its warning becomes its error.
void refuseIfNothingRead(LoadResult& result);

// Builds a zero-filled array of count elements. On a real allocation failure sets the
// result's error to failureLine and returns false.
template <typename T>
bool allocateZeroed(std::vector<T>& array, std::size_t count, const char* failureLine, LoadResult& result)
{
    try {
        array.reserve(count);
        adviseHugePages(array.data(), count * sizeof(T));
        faultInLargeArray(array.data(), count * sizeof(T));
        array.resize(count);
    } catch (const std::bad_alloc&) {
        result.error = failureLine;
        return false;
    }
    return true;
}

// Room for count elements, to be appended; false when the memory is not there.
template <typename T>
bool reserveExactly(std::vector<T>& array, std::size_t count)
{
    try {
        array.reserve(count);
        adviseHugePages(array.data(), count * sizeof(T));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
