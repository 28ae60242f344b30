// Laying out a message's line at the top of the picture.
#include "render/cpu/message_line.h"

#include <algorithm>

namespace {

const std::string kEllipsis = "...";

// Whether byte k of text starts a character (is no UTF-8 continuation byte).
bool startsCharacter(const std::string& text, std::size_t k)
{
    return k >= text.size() || (static_cast<unsigned char>(text[k]) & 0xC0) != 0x80;
}

}  // namespace

std::string messageLine(const std::string& message)
{
    std::string line;
    std::size_t start = 0;
    while (start <= message.size()) {
        std::size_t end = message.find('\n', start);
        if (end == std::string::npos) {
            end = message.size();
        }
        std::string part = message.substr(start, end - start);
        std::replace(part.begin(), part.end(), '\t', ' ');
        part.erase(std::remove(part.begin(), part.end(), '\r'), part.end());
        const std::size_t first = part.find_first_not_of(' ');
        if (first != std::string::npos) {
            part = part.substr(first, part.find_last_not_of(' ') + 1 - first);
            line += line.empty() ? part : "; " + part;
        }
        start = end + 1;
    }
    return line;
}

std::string cutToWidth(const std::string& text, double size, double maxWidth,
                       const std::function<TextExtent(const std::string&, double)>& measure)
{
    if (measure(text, size).width <= maxWidth) {
        return text;
    }
    if (measure(kEllipsis, size).width > maxWidth) {
        return "";
    }
    // The longest start that fits, found by halving among the characters' boundaries.
    std::size_t fits = 0, tooLong = text.size();
    while (true) {
        std::size_t middle = fits + (tooLong - fits) / 2;
        while (middle > fits && !startsCharacter(text, middle)) {
            --middle;
        }
        if (middle == fits) {
            break;
        }
        if (measure(text.substr(0, middle) + kEllipsis, size).width <= maxWidth) {
            fits = middle;
        } else {
            tooLong = middle;
        }
    }
    return text.substr(0, fits) + kEllipsis;
}

MessageLayout messageLayout(const std::string& message, double textSize, int width, int height,
                            const std::function<TextExtent(const std::string&, double)>& measure)
{
    MessageLayout layout;
    const double em = textSize;
    layout.pad = 0.8 * em;
    const double room = width - 4.0 * layout.pad;
    if (message.empty() || !(em > 0.0) || room <= 0.0 || height < 2.0 * em) {
        return layout;
    }
    layout.line = cutToWidth(messageLine(message), em, room, measure);
    if (layout.line.empty()) {
        return layout;
    }
    const TextExtent extent = measure(layout.line, em);
    const double boxWidth = extent.width + 2.0 * layout.pad;
    layout.box.x0 = (width - boxWidth) / 2.0;
    layout.box.x1 = layout.box.x0 + boxWidth;
    layout.box.y1 = height - layout.pad;
    layout.box.y0 = layout.box.y1 - 2.0 * layout.pad - extent.ascent - extent.descent;
    layout.x = layout.box.x0 + layout.pad;
    layout.baseline = layout.box.y1 - layout.pad - extent.ascent;
    return layout;
}
