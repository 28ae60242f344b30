// A display window and a data folder for the panel tests: the panel windows are GLUT
// windows, and the panel build lists the current folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "glui/glui.h"

class PanelWindowTest : public ::testing::Test {
protected:
    // Skips without an X display; otherwise a fresh settings record, a display window
    // with its lights (as start-up leaves it) and, as current folder, one holding
    // a.dat and b.dat.
    void SetUp() override;
    void TearDown() override;

    // Builds both panel windows and makes the display window current again, as GLUI
    // does before it calls a control's callback.
    void buildPanel();

    std::string writeFile(const std::string& folder, const std::string& name,
                          const std::string& text);
    std::string makeFolder(const std::string& name);

    std::string folder_;
    std::string startFolder_;
};

// The newest panel window with this title.
GLUI* newestWindow(const char* title);
// The first control under root, depth first in build order, of this kind and name.
GLUI_Control* findControl(GLUI_Control* root, GLUI_Kind kind, const std::string& name);
// The items' texts of a list box, in order.
std::vector<std::string> itemTexts(const GLUI_Listbox* list);
// Diffuse colour of an OpenGL light in the current context.
void lightDiffuse(unsigned light, float out[4]);
