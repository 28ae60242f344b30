// How much a load may build, so that a header that promises more than its file holds is refused
// before anything is allocated: a load stays within 100 MB beside three times its data.
#pragma once

#include <cstddef>
#include <string>

// Room for the program and the reading itself beside the data.
constexpr std::size_t kLoadHeadroomBytes = std::size_t{100} * 1000 * 1000;

// The memory a load with dataBytes of data may take: the headroom and three times the data.
std::size_t loadMemoryBound(std::size_t dataBytes);

// The most content a compressed file may inflate to: half the machine's memory, leaving the
// rest for what is read from it (a small file that inflates without end is refused there).
std::size_t inflatedLimit();

// The least text one value takes: a digit and the blank, comma or line end after it (the last
// value of a file may lack the separator).
constexpr std::size_t kLeastBytesPerValue = 2;
std::size_t valuesTextCanHold(std::size_t textBytes);

// Whether an array of points points, each of bytesPerPoint bytes, may be built when the file
// really holds heldPoints of them: the drawing counts points with int, and what is built beyond
// what was read (zero points of a short file, sets padded to the longest) must keep the load
// within loadMemoryBound of the data read.
bool pointsLoadable(std::size_t points, std::size_t bytesPerPoint, std::size_t heldPoints);

// The dimensions rows x columns that a file's text of textBytes states, checked before anything
// is built: not negative, within int, and within what the text can hold (valuesPerPoint values
// a point, at kLeastBytesPerValue each) by the rule of pointsLoadable. If not, error is the
// report line, naming the file, the line that states them and the reason.
bool dimensionsLoadable(const char* name, long long line, long long rows, long long columns,
                        std::size_t bytesPerPoint, std::size_t valuesPerPoint, std::size_t textBytes,
                        std::string& error);
