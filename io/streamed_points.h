// A large "Data" file read a window of text at a time, so that its text is never held whole
// beside the points read from it: 10^8 points are 3.3 GB of text and 2.4 GB of points. Two
// threads share the values, as for the file read whole (point_values_split.h): the first
// reads the front of the text while the second counts the front's words, to know where its
// own values go, and reads the rest. Only a text of plain words is read so: a header, then
// every word one number that ends where the word ends, at least as many as the points need.
// Any other text is left to the reader of the whole file, whose reports say where and why.
#pragma once

#include <cstddef>

#include "io/load_result.h"

// Files from this size on are read a window at a time, of this many bytes.
constexpr std::size_t kStreamedPointsFrom = std::size_t{64} << 20;
constexpr std::size_t kStreamedWindowBytes = std::size_t{8} << 20;

// Reads the regular file as a "Data" file, a window at a time, into result (its data, raw
// bounds and counts, as the reader of the whole text gives them); false when the file is not
// one to be read so (smaller than minimumBytes, not a regular file, anything but plain
// numbers after the header, fewer of them than the header promises, a word as long as a
// window), and then result is not to be used.
bool readPointsStreamed(const DataFile& file, LoadResult& result, std::size_t minimumBytes = kStreamedPointsFrom,
                        std::size_t windowBytes = kStreamedWindowBytes);
