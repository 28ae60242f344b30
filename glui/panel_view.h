// The Dear ImGui side of one panel window: its GLUT window, its own ImGui context,
// input held back until a frame has seen it, and layout remembered between frames.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "glui/glui.h"

struct ImGuiContext;

struct GLUI_View {
    // ImGui settles hover, activation and layout over a few frames.
    static constexpr int kFramesAfterInput = 3;
    static constexpr int kFramesAfterChange = 2;

    GLUI_View(GLUI& owner, int x, int y);
    ~GLUI_View();
    GLUI_View(const GLUI_View&) = delete;
    GLUI_View& operator=(const GLUI_View&) = delete;

    // One picture: a Dear ImGui frame drawn and shown, then the user changes it
    // collected, applied with their callbacks outside the frame.
    void frame();
    void wantFrames(int count);  // asks for this many more pictures, at least
    void shutDown();             // ends the ImGui context (the GLUT window is closing)

    GLUI& glui;
    int window = 0;
    ImGuiContext* context = nullptr;
    bool closed = false;
    int width = 0, height = 0;  // the GLUT window's size
    int framesWanted = 0;
    long framesDrawn = 0;  // pictures drawn so far: panels at rest draw none
    int lastFrameMs = -1;

    // Dear ImGui 1.86 looks at the input once a frame: two changes of one button or key
    // between two frames would cancel out (a click lost). Such a change waits in a queue
    // and reaches ImGui after the next frame; everything after it waits too, to keep order.
    struct InputEvent {
        enum Kind { Move, Button, Keys, TabKeys, Char } kind;
        int button;             // Button: 0 left, 1 right, 2 middle
        std::vector<int> keys;  // Keys and TabKeys (a move asked for with Tab): the KeysDown entries
        bool down;              // Button and Keys; for Char, button holds the character
        float x, y;  // Move and Button: the pointer
    };
    void input(InputEvent event);  // applies the event now, or queues it
    void afterFrameInput();        // a frame has seen the input: what waits may follow
    std::deque<InputEvent> queuedInput;
    std::vector<int> changedSinceFrame;  // buttons as -1 - b, any key as one entry
    std::unordered_map<int, std::vector<int>> keysHeldBy;  // GLUT key -> the KeysDown indices it set
    bool enterTypes = false;  // the control with keyboard focus takes Enter as "type into me"
    GLUI_Control* adjusting = nullptr;  // a trackball or pad that the arrow keys move
    bool tabMove = false;  // this frame's move was asked for with Tab: it wraps around

    // User changes found while drawing; they run after the frame, since a callback may
    // open windows and ImGui contexts of its own.
    std::vector<std::function<void()>> pending;

    // Layout of the previous frame: column widths of each container, the panel's size.
    // The width is that of the controls with every rollout open, measured in a pass of its
    // own (measuring: nothing is shown, kept or changed), so that the window keeps its width
    // as rollouts open and close; the height is that of the controls as they stand.
    std::unordered_map<const GLUI_Control*, std::vector<float>> columnWidths;
    std::unordered_map<const GLUI_Control*, std::string> editBuffers;
    float contentWidth = 0.0f, contentHeight = 0.0f;
    bool measuring = false;
    // The most the window may grow to, to the screen's bottom edge (0: no limit); a window
    // whose controls may need more keeps room for a scroll bar.
    float maxHeight = 0.0f;
    float popupBottom = 0.0f;  // lowest point an open list needs, to grow the window for it
    // The widest item of each list box and the items_version it was measured at: a list of
    // many names is measured once, not in every frame.
    std::unordered_map<const GLUI_Control*, std::pair<unsigned long, float>> listWidths;
    // Where each control's last widget stood in the last frame (window pixels), for tests and tools.
    struct Rect {
        float x0, y0, x1, y1;
    };
    std::unordered_map<const GLUI_Control*, Rect> drawnAt;
};

// Draws the control tree of a panel into the current ImGui window (imgui_layout.cpp).
void drawPanelControls(GLUI_View& view);
// Registers the panel window's GLUT callbacks on the current window (panel_input.cpp).
void registerPanelCallbacks();
