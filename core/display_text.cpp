// Escaping control characters and shortening long names for display.
#include "core/display_text.h"

#include <cstdio>
#include <vector>

namespace {

bool isContinuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The byte offsets at which the characters of text start.
std::vector<std::size_t> characterStarts(const std::string& text)
{
    std::vector<std::size_t> starts;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (!isContinuationByte(static_cast<unsigned char>(text[k]))) {
            starts.push_back(k);
        }
    }
    return starts;
}

}  // namespace

std::string escapeControlCharacters(const std::string& text)
{
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown += c;
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == '\t') {
            shown += "\\t";
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        }
    }
    return shown;
}

std::string shortenWithEllipsis(const std::string& text, std::size_t maxCharacters)
{
    static const std::string kEllipsis = "...";
    const std::vector<std::size_t> starts = characterStarts(text);
    if (starts.size() <= maxCharacters) {
        return text;
    }
    if (maxCharacters <= kEllipsis.size()) {
        return kEllipsis.substr(0, maxCharacters);
    }
    const std::size_t kept = maxCharacters - kEllipsis.size();
    const std::size_t head = kept * 2 / 5;
    const std::size_t tail = kept - head;
    const std::size_t headEnd = starts[head];
    const std::size_t tailStart = starts[starts.size() - tail];
    return text.substr(0, headEnd) + kEllipsis + text.substr(tailStart);
}
