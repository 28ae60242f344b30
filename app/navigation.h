// Keys, mouse drags, reshape and idle of the display window: the view navigation.
#pragma once

#include "core/view_maths.h"

void resetView();

void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onReshape(int width, int height);
void onIdle();

// The arithmetic behind the callbacks, free of toolkit calls so that it runs without a window.
// The callbacks above read the window size from the toolkit and pass it in.

constexpr double kKeyAngleStep = 1.0;
constexpr double kKeyScaleStep = 0.1;
constexpr double kArrowStep = 0.1;
constexpr double kDragDivisor = 40.0;

// What a key asks of the display window besides the change of the view.
enum class ScreenRequest {
    None,
    LeaveFullScreen,
    EnterFullScreen,
    RestTrackball,  // a preset or the fit put the "Rotate" trackball back at rest
    SavePicture,    // the picture as shown, once the next frame is complete
    SaveView,       // the view, beside the data
};

// Steps the angles or the scale for a key (key "p" prints matCur), turns to a preset view
// (1 to 4) or fits the data to the window (0), switches the help on or off (h, ?), then
// rebuilds angleMat.
ScreenRequest applyKey(unsigned char key);
// Shifts objTrans for an arrow key code; other codes change nothing.
void applyArrow(int key);
// A button press or release at toolkit position x, y (y from the top).
void applyPress(int button, int state, int x, int y, int windowHeight);
// A motion to x, y (y from the top) with a button held, in a window of the given size.
void applyDrag(int x, int y, int windowWidth, int windowHeight);
// The values a view reset restores (everything but the "Rotate" control and the redisplay).
void resetViewValues();
// Key 0 and "Fit to window": the view a reset gives, made smaller where the display window
// (of viewportWidth x viewportHeight) is too narrow or too low for the data; the trackball at
// rest.
void fitDataToWindow();
