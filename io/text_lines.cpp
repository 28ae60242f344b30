// Report lines of the text readers.
#include "io/text_lines.h"

std::string fileError(const char* path, const std::string& reason)
{
    return oneLine("File " + std::string(path) + ": " + reason);
}

std::string fileLineError(const char* path, long long line, const std::string& reason)
{
    return oneLine(formatLine("File %s: line %lld: ", path, line) + reason);
}

std::string fileByteError(const char* path, unsigned long long offset, const std::string& reason)
{
    return oneLine(formatLine("File %s: byte %llu: ", path, offset) + reason);
}

std::string quotedExcerpt(const char* begin, const char* end)
{
    constexpr std::size_t kLongest = 32;
    const std::size_t length = static_cast<std::size_t>(end - begin);
    std::string text = "\"";
    text.append(begin, length > kLongest ? kLongest : length);
    if (length > kLongest) {
        text += "...";
    }
    text += '"';
    return text;
}
