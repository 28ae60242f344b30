// A frame of two eyes draws the same scene twice, the second time from beside the first eye.
// Before the first eye's pass the frame announces how the second eye's projection and view
// differ, so that the drawing can do the second eye's share of the work that both eyes
// have in common (the window y and the division by w of every vertex) together with the
// first eye's. Nothing announced is trusted: the second pass uses work done for it only when
// its own transform matches.
#pragma once

// projection: the second pass's projection matrix; viewChange: the view of the second eye
// times the inverse of the first eye's view, so that the second pass's model-view is
// viewChange times the first pass's. Both in column order.
void announceSecondEye(const double projection[16], const double viewChange[16]);
// After the first eye's pass: no further pass is announced.
void forgetSecondEye();
// After the second eye's pass: work done for it is out of date from now on.
void closeSecondEye();

// The second eye's projection and model-view for the first eye's model-view; false when
// no second eye is announced.
bool secondEyeTransform(const float modelview[16], float projection[16], float secondModelview[16]);

// Counts the announcements and closings: work done for a second eye is valid only while
// this stays what it was when the work was done.
unsigned long secondEyeGeneration();
