// controlAction: the one callback of every panel control with an id. GLUI has
// written the control's field already and made the display window current.
#include "app/control_actions.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/display_window.h"
#include "app/navigation.h"
#include "app/viewer_state.h"
#include "app/file_list.h"
#include "glui/glui.h"
#include "core/colors.h"

// What the overlay shows after a new folder is chosen: blanks, so the old name goes.
static const char* const kBlankFileName = "\t\t\t         ";

static void switchLight(GLenum light, int enabled, GLUI_Spinner* intensitySpinner)
{
    if (enabled) {
        glEnable(light);
        if (intensitySpinner)
            intensitySpinner->enable();
    } else {
        glDisable(light);
        if (intensitySpinner)
            intensitySpinner->disable();
    }
}

// The stored diffuse colour stays as it is, so a later higher intensity restores it.
static void applyIntensity(GLenum light, const float diffuse[4], float intensity)
{
    const float scaled[4] = {diffuse[0] * intensity, diffuse[1] * intensity,
                             diffuse[2] * intensity, diffuse[3]};
    glLightfv(light, GL_DIFFUSE, scaled);
}

static void loadChosenItem()
{
    viewer.loadedListitem = viewer.chosen_listitem;
    if (viewer.chosen_listitem > 0)
        loadListItem(viewer.chosen_listitem);
}

static void browseForFolder()
{
    const char* chosen = chooseFolder("Select Directory");
    viewer.filedir = chosen ? chosen : "";
    std::printf("\nfiledir= %s\n", chosen ? viewer.filedir.c_str() : "(null)");
    if (!chosen)
        return;

    if (viewer.folderText)
        viewer.folderText->set_text(viewer.filedir.c_str());
    refreshFileList();
    viewer.filename = kBlankFileName;
    std::printf("chosen_listitem=%d\n", viewer.chosen_listitem);
    if (viewer.fileList)
        viewer.fileList->set_int_val(0);
    else
        viewer.chosen_listitem = 0;
}

// Focal length and eye separation are linked through focalRatio = focalLength /
// eyeSeparation. An eye separation of 0 is an infinite ratio: it stays 0 while the
// focal length moves. A ratio that would not be a positive finite number (an eye
// separation of 0, or a focal length of 0) is not stored; the last one is kept, so
// no infinity or NaN reaches the frame.
static void focalLengthChanged()
{
    if (viewer.eyeSeparation == 0.0f)
        return;
    const float eye = viewer.focalLength / viewer.focalRatio;
    if (std::isfinite(eye))
        viewer.eyeSeparation = eye;
}

static void eyeSeparationChanged()
{
    const float ratio = viewer.focalLength / viewer.eyeSeparation;
    if (std::isfinite(ratio) && ratio > 0.0f)
        viewer.focalRatio = ratio;
}

void controlAction(int id)
{
    switch (id) {
    case 200: switchLight(GL_LIGHT0, viewer.light1Enabled, viewer.light1IntensitySpinner); break;
    case 201: switchLight(GL_LIGHT1, viewer.light2Enabled, viewer.light2IntensitySpinner); break;
    case 250: applyIntensity(GL_LIGHT0, viewer.light1Diffuse, viewer.light1Intensity); break;
    case 251: applyIntensity(GL_LIGHT1, viewer.light2Diffuse, viewer.light2Intensity); break;
    case 300:
        if (viewer.movementWindow) {
            if (viewer.showMovementControls == 1)
                viewer.movementWindow->show();
            else
                viewer.movementWindow->hide();
        }
        break;
    case 301: resetView(); break;
    case 401:
    case 403: loadChosenItem(); break;
    case 402: browseForFolder(); break;
    case 404: refreshFileList(); break;
    case 503: applyColorSettings(); break;
    case 601: focalLengthChanged(); break;
    case 602: eyeSeparationChanged(); break;
    case 701: openDisplayWindow(); break;
    case 801:
        if (viewer.loadedListitem > 0)
            loadListItem(viewer.loadedListitem);
        break;
    default: break;  // 502 and 504 wait for "Apply Color Settings"; other ids do nothing
    }
    // GLUI makes the display window current before the call; without any window
    // (the actions run from tests and tools too) there is nothing to redraw.
    if (glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0)
        glutPostRedisplay();
}
