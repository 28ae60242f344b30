// Wiring inside the panel layer: the registry of panel windows and the GLUT state
// that the model consults before it touches any window.
#pragma once

#include <vector>

#include "glui/glui.h"

namespace glui_detail {

// True once glutInit has run; before that (unit tests) the layer builds controls without windows.
bool glutReady();

// Every live panel window, in creation order, whether made through GLUI_Master or not.
std::vector<GLUI*>& registry();
GLUI* findWindow(int glutWindow);

// Opens the GLUT window and Dear ImGui context of a panel window; null without GLUT.
std::unique_ptr<GLUI_View> openView(GLUI& glui, int x, int y);
// Marks a window for another picture after a change of its controls.
void requestRedraw(GLUI_View& view);
int viewWindow(const GLUI_View& view);
void showView(GLUI_View& view, bool visible);

// Makes sure the idle pass runs while a trackball spins.
void spinStarted();

}  // namespace glui_detail
