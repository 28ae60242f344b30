// Saving the view as a PNG picture: a name that never overwrites, a write that never leaves
// half a file, and the row order OpenGL reads pixels in.
#pragma once

#include <string>
#include <vector>

// The name part of a picture for a data file: the stem of its bare name ("ripple" for
// "/data/ripple.mpl"), "picture" when there is none.
std::string pictureStem(const std::string& dataFileName);

// Reserves the first free name STEM-001.png, STEM-002.png, ... (more digits past 999) in
// folder by creating it empty and exclusively, so that two savers never get the same name
// and nothing existing is overwritten. Returns the path (folder joined with the name; the
// bare name for an empty folder), or "" when nothing could be created, with the reason in
// error.
std::string nextPictureName(const std::string& folder, const std::string& dataFileName, std::string& error);
std::string nextPictureName(const std::string& folder, const std::string& dataFileName);

// Writes width x height RGB pixels (rows top to bottom, no padding) as a PNG at path. It
// goes to a temporary file in the same folder, is synced, then renamed over path: on any
// failure path keeps what it had, no partial file is left, and error gives the reason.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgbRowsTopDown,
              std::string& error);

// Writes the PNG straight into path as it is, for a device or a pipe (/dev/stdout), which a
// rename would replace; false with the reason in error.
bool writePngToDevice(const std::string& path, int width, int height, const unsigned char* rgbRowsTopDown,
                      std::string& error);

// Reserves a name as nextPictureName does and writes the picture into it; a reservation
// whose write failed is removed again. Returns the path, or "" with the reason in error.
std::string savePicture(const std::string& folder, const std::string& dataFileName, int width, int height,
                        const unsigned char* rgbRowsTopDown, std::string& error);

// The bytes from one row to the next in pixels read back from OpenGL with the given
// GL_PACK_ALIGNMENT (1, 2, 4 or 8).
int glRowStride(int width, int bytesPerPixel, int packAlignment);

// OpenGL's rows run bottom to top, each rowStride bytes apart; returns them top to bottom
// and without padding, as writePng takes them.
std::vector<unsigned char> topDownRows(const unsigned char* bottomUpRows, int width, int height,
                                       int bytesPerPixel, int rowStride);
