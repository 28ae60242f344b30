// The one settings record, the one data set and the display window's frame state.
#include "app/viewer_state.h"

#include <algorithm>

#include "app/key_help.h"
#include "core/view_maths.h"

ViewerState viewer;
DataSet dataSet;
FrameState displayState;

void settingChanged(const void* field)
{
    if (const SettingRow* row = rowOfField(viewer, field)) {
        noteSettingChanged(*row, viewer.versions);
    }
}

void restoreStartView(bool afterLoad)
{
    if (!viewer.startViewPending) {
        return;
    }
    const Settings& start = viewer.startView;
    Settings& now = viewer;
    // The trackball and the data colours: what a build of the panels starts afresh.
    std::copy(start.rotateMat, start.rotateMat + 16, now.rotateMat);
    std::copy(start.dataColors, start.dataColors + kDataColorCount, now.dataColors);
    if (!afterLoad) {
        return;
    }
    // What a load's reset of the view puts back to its defaults.
    for (const SettingRow& row : settingRows()) {
        if (row.effects & kResetWithView) {
            std::copy(bytesOf(start, row), bytesOf(start, row) + sizeOf(row),
                      reinterpret_cast<unsigned char*>(&now) + row.offset);
            noteSettingChanged(row, viewer.versions);
        }
    }
    now.eyeSeparation = start.eyeSeparation;
    buildRotation(now.angleX, now.angleY, now.angleZ, now.angleMat);
    viewer.startViewPending = false;
}

FrameInputs displayFrameInputs()
{
    FrameInputs in{viewer, dataSet};
    in.geometryVersion = viewer.versions.geometry;
    in.viewportWidth = viewer.viewportWidth;
    in.viewportHeight = viewer.viewportHeight;
    in.fileName = viewer.filename;
    in.quadric = viewer.quadric;
    in.window = viewer.mainWindow;
    if (viewer.showHelp) {
        in.helpLines = keyHelpLines();
    }
    return in;
}

void displayViewerFrame()
{
    displayFrame(displayFrameInputs(), displayState);
}
