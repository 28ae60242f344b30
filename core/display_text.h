// File names as the viewer shows them: control characters written out, so that a name can
// neither break a console line nor a list row, and long names shortened for the panel.
#pragma once

#include <cstddef>
#include <string>

// text with each control character (below 0x20, and 0x7f) written as an escape: \n, \r, \t,
// else \xHH. Everything else, UTF-8 included, stays as it is.
std::string escapeControlCharacters(const std::string& text);

// text cut to at most maxCharacters characters (UTF-8 sequences counted as one) by putting
// "..." in place of its middle, keeping the start and, a little longer, the end, where the
// extension is. Shorter texts stay as they are.
std::string shortenWithEllipsis(const std::string& text, std::size_t maxCharacters);
