// The values of a large "Data" or "Data with Color" file read on two threads: the first reads
// the front of the text while the second counts its words, to know where its own values
// go, and reads the rest. Only a text of plain words is read so: every word one number that
// ends where the word ends, at least as many as the points need. Any other text (a word that
// is not a number, a file that ends early) is left to the one-thread reader, whose reports
// say where and why.
#pragma once

#include <cstddef>

#include "core/data_set.h"
#include "io/group_reader.h"

// Texts shorter than this are read on one thread: a second one would gain less than it costs.
constexpr std::size_t kTwoThreadPointText = std::size_t{4} << 20;

// Reads count points from [p, end) into points (and their groups into groups when it is not
// null), widening bounds and taking the groups through groupReader as the one-thread reader
// does, in the order of the text. Returns false when the text is shorter than minimumBytes,
// a second thread cannot be started, or the text is not as described above; then points,
// groups, bounds and groupReader hold partial work and are to be set afresh.
bool readPointValuesOnTwoThreads(const char* p, const char* end, std::size_t count, Point3d* points, int* groups,
                                 Bounds& bounds, GroupReader& groupReader,
                                 std::size_t minimumBytes = kTwoThreadPointText);
