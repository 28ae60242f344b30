// A report line formatted as printf would print it, however long.
#pragma once

#include <string>

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string formatLine(const char* format, ...);

// text with every control character shown as '?', so that a report line stays one line whatever
// a file name or a file's content holds.
std::string oneLine(std::string text);
