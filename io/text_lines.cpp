// Report lines and file opening for the text readers.
#include "io/text_lines.h"

#include <climits>
#include <cstdarg>
#include <cstdio>

#include "io/load_limits.h"

std::string formatText(const char* format, ...)
{
    char small[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        return std::string();
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        return std::string(small, static_cast<std::size_t>(length));
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&text[0], text.size(), format, args);
    va_end(args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

namespace {

std::string oneLine(std::string text)
{
    for (char& c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            c = '?';
        }
    }
    return text;
}

}  // namespace

std::string fileError(const char* path, const std::string& reason)
{
    return oneLine("File " + std::string(path) + ": " + reason);
}

std::string fileLineError(const char* path, long long line, const std::string& reason)
{
    return oneLine(formatText("File %s: line %lld: ", path, line) + reason);
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

bool pointsFitLoad(std::size_t points, std::size_t bytesPerPoint)
{
    return points <= static_cast<std::size_t>(INT_MAX) && points <= loadByteLimit() / bytesPerPoint;
}
