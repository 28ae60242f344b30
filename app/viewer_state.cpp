// The one settings record, the one data set and the display window's frame state.
#include "app/viewer_state.h"

#include <GL/freeglut.h>

#include "app/key_help.h"
#include "app/picture_message.h"
#include "app/picture_saving.h"
#include "app/view_motion.h"

ViewerState viewer;
DataSet dataSet;
FrameState displayState;

void settingChanged(const void* field)
{
    if (const SettingRow* row = rowOfField(viewer, field)) {
        noteSettingChanged(*row, viewer.versions);
    }
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
    // Asked only where it matters, since it is a round trip to the display.
    if (viewer.stereoMode == ViewMode::Interleaved && glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0) {
        viewer.windowTop = glutGet(GLUT_WINDOW_Y);
    }
    in.windowTop = viewer.windowTop;
    if (viewer.showHelp) {
        in.helpLines = keyHelpColumns();
    }
    // A picture saved is the scene, without the passing message.
    if (!pictureSaveRequested()) {
        in.message = messageOfNextFrame();
    }
    // While the view moves, the lighter picture; at rest, and for a picture to be saved, the
    // full one.
    if (viewMoving() && !pictureSaveRequested()) {
        in.lighter.share = displayState.detail.next();
    }
    return in;
}

void displayViewerFrame(int smoothSamples)
{
    FrameInputs in = displayFrameInputs();
    in.smoothSamples = smoothSamples;
    displayFrame(in, displayState);
    noteFrameDrawn(!in.lighter.full(), in.smoothSamples);
}
