// The check that a file is text, and the line ends made one form.
#include "io/text_check.h"

#include <cstring>

#include "io/report_text.h"

namespace {

// The length of the UTF-8 sequence that starts with lead, 0 for a byte that cannot start one.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// Whether the continuation bytes of a sequence are valid, with the limits on the second byte
// that rule out overlong forms, surrogates and values beyond U+10FFFF. available may be less
// than the sequence's length when the checked part ends inside it.
bool validSequence(const unsigned char* s, int length, std::size_t available)
{
    for (int k = 1; k < length && static_cast<std::size_t>(k) < available; ++k) {
        unsigned char low = 0x80, high = 0xBF;
        if (k == 1) {
            if (s[0] == 0xE0) {
                low = 0xA0;
            } else if (s[0] == 0xED) {
                high = 0x9F;
            } else if (s[0] == 0xF0) {
                low = 0x90;
            } else if (s[0] == 0xF4) {
                high = 0x8F;
            }
        }
        if (s[k] < low || s[k] > high) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool looksLikeText(const char* begin, const char* end, std::string& reason)
{
    const std::size_t size = static_cast<std::size_t>(end - begin);
    const unsigned char* s = reinterpret_cast<const unsigned char*>(begin);
    if (size >= 2 && ((s[0] == 0xFF && s[1] == 0xFE) || (s[0] == 0xFE && s[1] == 0xFF))) {
        reason = "is UTF-16 text (it starts with a UTF-16 byte-order mark); save it as UTF-8 or plain ASCII";
        return false;
    }
    const std::size_t checked = size < kTextCheckBytes ? size : kTextCheckBytes;
    if (const void* nul = std::memchr(begin, '\0', checked)) {
        reason = formatLine("is not a text file: it holds a NUL byte at offset %zu",
                            static_cast<std::size_t>(static_cast<const char*>(nul) - begin));
        return false;
    }
    for (std::size_t at = 0; at < checked;) {
        const int length = sequenceLength(s[at]);
        if (length == 0 || !validSequence(s + at, length, checked - at)) {
            reason = formatLine("is not UTF-8 text: byte 0x%02X at offset %zu does not belong there", s[at], at);
            return false;
        }
        at += static_cast<std::size_t>(length);
    }
    return true;
}

void unifyLineEnds(char* begin, char* end)
{
    for (char* p = begin; p != end;) {
        char* cr = static_cast<char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
        if (cr == nullptr) {
            return;
        }
        if (cr + 1 == end || cr[1] != '\n') {
            *cr = '\n';
        }
        p = cr + 1;
    }
}
