// The shared set-up of the panel tests: toolkit, display window, lights, data folder.
#include "tests/panel/panel_window.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/display_window.h"
#include "app/viewer_state.h"
#include "panel/control_panel.h"
#include "render/gl/scene_parts.h"

namespace fs = std::filesystem;

static const char kPlainData[] = "1 3\n0 0 0\n1 1 0\n2 4 1\n";

void PanelWindowTest::SetUp()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "needs an X display";

    static bool toolkitReady = false;
    if (!toolkitReady) {
        int argc = 1;
        char name[] = "panel_tests";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        toolkitReady = true;
    }

    viewer = ViewerState{};
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(200, 150);
    viewer.mainWindow = glutCreateWindow("panel test display");
    viewer.windowMode = WindowMode::DoubleBuffered;  // a double-buffered display window is open
    initLights(viewer);

    startFolder_ = fs::current_path().string();
    char pattern[] = "/tmp/orvelle_panel_XXXXXX";
    folder_ = mkdtemp(pattern);
    writeFile(folder_, "a.dat", kPlainData);
    writeFile(folder_, "b.dat", kPlainData);
    fs::current_path(folder_);
}

void PanelWindowTest::TearDown()
{
    if (folder_.empty())
        return;
    fs::current_path(startFolder_);
    fs::remove_all(folder_);
}

void PanelWindowTest::buildPanel()
{
    buildViewerPanels();
    glutSetWindow(viewer.mainWindow);
}

std::string PanelWindowTest::writeFile(const std::string& folder, const std::string& name,
                                       const std::string& text)
{
    const std::string path = folder + "/" + name;
    std::ofstream(path) << text;
    return path;
}

std::string PanelWindowTest::makeFolder(const std::string& name)
{
    const std::string path = folder_ + "/" + name;
    fs::create_directory(path);
    return path;
}

GLUI* newestWindow(const char* title)
{
    GLUI* found = nullptr;
    for (const auto& window : GLUI_Master.windows())
        if (window->name() == title)
            found = window.get();
    return found;
}

GLUI_Control* findControl(GLUI_Control* root, GLUI_Kind kind, const std::string& name)
{
    for (const auto& child : root->children()) {
        if (child->kind() == kind && child->name() == name)
            return child.get();
        if (GLUI_Control* inner = findControl(child.get(), kind, name))
            return inner;
    }
    return nullptr;
}

std::vector<std::string> itemTexts(const GLUI_Listbox* list)
{
    std::vector<std::string> texts;
    for (const auto& item : list->items())
        texts.push_back(item.second);
    return texts;
}

void lightDiffuse(unsigned light, float out[4])
{
    glGetLightfv(light, GL_DIFFUSE, out);
}
