// The one line of a message written at the top of the picture: its lines joined, cut to the
// picture's width with an ellipsis, on a box of its own.
#pragma once

#include <functional>
#include <string>

#include "render/cpu/label_layout.h"
#include "render/cpu/type_face.h"

// The message's lines as one line: tabs as spaces, each line without the spaces around it,
// empty lines dropped, the rest joined by "; ".
std::string messageLine(const std::string& message);

// text cut at its end, with "...", to the longest start whose width at size is at most
// maxWidth (nothing but "..." where no start fits; nothing where even that does not).
std::string cutToWidth(const std::string& text, double size, double maxWidth,
                       const std::function<TextExtent(const std::string&, double)>& measure);

struct MessageLayout {
    std::string line;  // empty: nothing to write
    PixelRect box;     // window pixels from the lower left
    double x = 0.0, baseline = 0.0;
    double pad = 0.0;
};

// The line of message at textSize pixels per em, centred at the top of a picture of width x
// height pixels, on a box that keeps inside it.
MessageLayout messageLayout(const std::string& message, double textSize, int width, int height,
                            const std::function<TextExtent(const std::string&, double)>& measure);
