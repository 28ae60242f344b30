// Which reader a data file is for, guessed from its first bytes, and the words that name the
// data formats on a command line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/modes.h"

// How much of a file the guess looks at.
constexpr std::size_t kDetectBytes = 16384;

// How many first bytes tell a binary format (NumPy, PLY) by its magic.
constexpr std::size_t kMagicBytes = 8;

// The binary format whose magic bytes starts with, if any.
std::optional<DataFormat> binaryFormatOf(const char* bytes, std::size_t size);

// Whether a format's files are binary (read where they are mapped) rather than text.
bool isBinaryFormat(DataFormat format);

// The format of a file that starts with bytes: a binary format by its magic, else a guess
// over text (the bytes after any byte-order mark). A sample of kDetectBytes is taken to be the
// start of a longer file, so its last line, which may be cut short, is not judged.
DataFormat detectFormat(const char* bytes, std::size_t size);

// Up to kDetectBytes from the start of path into head; false when it cannot be read or is no
// regular file (a pipe is never waited on).
bool readFileHead(const char* path, std::string& head);

// detectFormat over the start of path (of its content, for a gzip file); nothing when the file
// cannot be read.
std::optional<DataFormat> detectFileFormat(const char* path);

// "data", "maple", "color", "columns", "matrix", "npy" or "ply"; "unknown" for a value outside
// the enum.
const char* formatWord(DataFormat format);

// The format's name under the panel's "Data Format": "Data", "Maple", "Data with Color",
// "Columns", "Matrix", "NumPy" or "PLY".
const char* formatLabel(DataFormat format);

// A format named on a command line: one of the words above, or "auto" to detect it.
struct FormatChoice {
    bool automatic = true;
    DataFormat format = DataFormat::Plain;
};

// Reads one of the words (in any letter case) into choice; false for any other word.
bool parseFormatWord(const char* word, FormatChoice& choice);
