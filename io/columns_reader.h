// Reader of delimited text columns (CSV and its relatives): x, y, z and perhaps a colour group
// per row, sets of points separated by blank lines.
#pragma once

#include <string>

#include "io/load_result.h"

struct ColumnsOptions {
    // The columns of x, y, z and optionally the group, "X,Y,Z[,GROUP]": each a name from the
    // header line or a column number counted from 1. Empty: the first three columns, and the
    // fourth as the group when it holds whole numbers.
    std::string columns;
};

LoadResult readColumnsFile(const DataFile& file, const ColumnsOptions& options);

// The same over text already in memory; path only names the file in the report lines.
LoadResult readColumnsText(const char* path, const char* begin, const char* end, const ColumnsOptions& options);
