// A report line formatted as printf would print it, however long.
#pragma once

#include <string>

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string formatLine(const char* format, ...);
