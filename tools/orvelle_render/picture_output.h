// Writing orvelle-render's picture where --output says, without ever leaving half a picture
// or writing over the data file that was drawn.
#pragma once

#include <string>

// Writes width x height RGB rows (top to bottom) as a PNG at output. A regular file or a new
// name is written through a temporary renamed into place, so a failed write leaves no partial
// file and keeps what was there; a device or pipe (/dev/stdout) is written directly, since
// renaming over it would replace it. Refused: a folder, and the data file itself (input).
// False with the reason in error.
bool writeRenderedPicture(const std::string& output, const std::string& input, int width, int height,
                          const unsigned char* rgbRowsTopDown, std::string& error);
