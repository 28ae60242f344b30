// The console report of a load: the lines every load prints, and the diagnostics printed
// while the diagnostics switch is on.
#pragma once

#include "core/data_set.h"
#include "io/load_result.h"

// The settings the report quotes after the dimensions of a "Data" header.
struct ReportedSettings {
    float scale = 1.0f;
    int segments = 8;
    float thickness = 0.02f;
};

// "\nfilename = %s\n", the dimensions of a "Data" header with the quoted settings (or the lines
// of what a load without such a header read), then the error of a failed load or the warnings
// of one that went ahead.
void printLoadReport(const char* path, const LoadResult& result, const ReportedSettings& quoted);

// The diagnostics of a completed load's normalisation: raw bounds and scales, the axis
// scaling, the normalised bounds where the reader shows them, the file name, the final
// scales and the centring translation.
void printNormaliseDiagnostics(const NormaliseReport& report, const DataSet& data, const char* fileName,
                               bool rawBoundsFirst, bool showNormalisedBounds);
