// Which reader a data file is for, guessed from its first bytes, and the words that name the
// data formats on a command line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/modes.h"

// How much of a file the guess looks at.
constexpr std::size_t kDetectBytes = 16384;

// The format of a file that starts with bytes. A sample of kDetectBytes is taken to be the
// start of a longer file, so its last line, which may be cut short, is not judged.
DataFormat detectFormat(const char* bytes, std::size_t size);

// Up to kDetectBytes from the start of path into head; false when it cannot be read or is no
// regular file (a pipe is never waited on).
bool readFileHead(const char* path, std::string& head);

// detectFormat over the start of path; nothing when the file cannot be read.
std::optional<DataFormat> detectFileFormat(const char* path);

// "data", "maple", "color", "columns" or "matrix"; "unknown" for a value outside the enum.
const char* formatWord(DataFormat format);

// The format's name under the panel's "Data Format": "Data", "Maple", "Data with Color",
// "Columns" or "Matrix".
const char* formatLabel(DataFormat format);

// A format named on a command line: one of the words above, or "auto" to detect it.
struct FormatChoice {
    bool automatic = true;
    DataFormat format = DataFormat::Plain;
};

// Reads one of the words (in any letter case) into choice; false for any other word.
bool parseFormatWord(const char* word, FormatChoice& choice);
