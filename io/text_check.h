// Whether a file's bytes are text the readers can take, and the one form of line ends they read.
#pragma once

#include <cstddef>
#include <string>

// How much of a file's start is checked for being text.
constexpr std::size_t kTextCheckBytes = 1024;

// Whether the first kTextCheckBytes of the text from begin to end are text: no UTF-16 (or
// UTF-32) byte-order mark, no NUL byte, and valid UTF-8 (a sequence cut by the end of the
// checked part counts as valid). If not, reason says why, for a report line.
bool looksLikeText(const char* begin, const char* end, std::string& reason);

// Makes every line end '\n' or "\r\n": a lone '\r' (the line end of old Mac files) becomes '\n'.
void unifyLineEnds(char* begin, char* end);
