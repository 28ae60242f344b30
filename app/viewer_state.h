// The one process-wide record of the viewer: every user setting (the Settings it extends),
// and the state of the windows, the input, the file choice and the panels. Every callback
// talks to the others only through this record and the data set.
#pragma once

#include <string>

#include "core/data_set.h"
#include "core/settings.h"
#include "core/settings_table.h"
#include "panel/control_panel.h"
#include "render/gl/frame.h"

struct GLUquadric;

struct ViewerState : Settings, PanelHandles {
    // ---- View ----
    float matCur[16] = {};  // printed by key "p"; nothing writes it

    // ---- Windows ----
    Choice<WindowMode> windowMode{WindowMode::NoWindowYet};
    int possible = 0;
    int mainWindow = 0;
    int windowWidth = 800;
    int windowHeight = 600;
    int windowX = 50;
    int windowY = 50;
    int viewportWidth = 0;
    int viewportHeight = 0;
    // The screen row of the display window's top row, as row interleaving last asked for it.
    int windowTop = 0;
    // Full screen was left: the toolkit first gives back the size from before it, and the
    // stored size and place follow at the reshape that brings it.
    bool restoreWindowPlace = false;
    GLUquadric* quadric = nullptr;

    // ---- Input ----
    Choice<DragMode> dragMode{DragMode::None};
    int lastX = 0;
    int lastY = 0;      // counted from the bottom of the window

    // ---- File choice ----
    // The viewer keeps its own copies of these texts, so a later listing or an
    // edit of a text box never changes what an earlier load refers to.
    std::string filename;  // empty until the first load: the overlay then writes nothing
    std::string filedir;
    int chosen_listitem = 0;
    int loadedListitem = 0;
    std::string fileFilter = "*.*";
    // --columns: the columns that tables read as "Columns" take x, y, z and the group from.
    std::string columns;

    // ---- What changes of the settings have made out of date ----
    SettingsVersions versions;

    // ---- Help over the picture ----
    int showHelp = 0;  // the keys' help over the picture (h or ?)
};

// The one instance, holding the defaults from the start of the process.
extern ViewerState viewer;
// The one data set; empty until the first load.
extern DataSet dataSet;
// What the display window keeps from frame to frame.
extern FrameState displayState;

// Tells the caches that the setting at field (a field of viewer) changed.
void settingChanged(const void* field);
// Sets a setting of viewer and tells the caches.
template <typename T, typename Value>
void setSetting(T& field, const Value& value)
{
    field = value;
    settingChanged(&field);
}

// The frame of the display window from the viewer's record.
FrameInputs displayFrameInputs();
// The frame of the viewer's record: displayFrame with displayFrameInputs and smoothSamples
// samples per pixel (1, unsmoothed, as pictures are compared; the display window gives
// smoothSamplesOfNextFrame), told to the view's motion (view_motion.h).
void displayViewerFrame(int smoothSamples = 1);
