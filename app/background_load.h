// Loads that keep the viewer answering: the file is read on a worker thread, which counts the
// bytes it has read for the display window, and what it read is installed on the event loop's
// thread. One load runs at a time; one asked for meanwhile waits, the latest in place of any
// earlier one. Without the event loop (tools, tests) a load runs at once on the calling thread.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "core/data_set.h"
#include "core/modes.h"
#include "io/data_loader.h"

struct LoadJob {
    std::string path;  // opened by this
    std::string name;  // what the report and the picture call the file
    LoadSettings settings;
    // Whether to learn the format that detection chose (settings.detectFormat), for the panel.
    bool reportsDetectedFormat = false;
    // Called on the event loop's thread once the load has ended: loaded tells whether read
    // holds a new data set (to be installed with installLoadedData); detected is the format
    // that detection chose, when asked for.
    std::function<void(bool loaded, DataSet& read, std::optional<DataFormat> detected)> finished;
};

// Runs job: at once without background loads, else on the worker (or after the one running).
void startLoad(LoadJob job);

// On the event loop's thread: ends a finished load (its callback) and starts the one waiting.
void serviceLoads();

// Whether a load runs or waits.
bool loadBusy();

// "Loading NAME: 12.5 of 80.0 MB read, 1.5 s" while a load has run for half a second or more;
// "" else.
std::string loadProgressLine(std::chrono::steady_clock::time_point now);
constexpr std::chrono::milliseconds kProgressAfter{500};

// Whether loads run on the worker thread (the viewer's event loop turns it on).
void setBackgroundLoads(bool on);

// Serves loads until none runs or waits (tests, and the end of the process).
void finishLoads();

// Makes read the data set on screen: its points replace those shown, the group numbers too
// when it was read with groups (the other readers leave those of an earlier coloured load),
// and the generation moves on.
void installLoadedData(DataSet& read, DataSet& shown);
