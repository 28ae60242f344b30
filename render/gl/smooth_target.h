// Smooth edges by multisampling: a frame is drawn into a multisampled framebuffer of the
// viewport's size, kept per context, and resolved at its end into the buffers it stands for
// (a window's back buffers, or the framebuffer of a picture drawn without one). Needs
// framebuffer objects with multisampling (OpenGL 3.0 or ARB_framebuffer_object); where the
// context has none, frames are drawn as they always were.
#pragma once

#include "render/cpu/stereo_layout.h"

// How many samples a pixel may have in the current context's framebuffers (0 or 1: none).
int largestSampleCount();

// Sends the following drawing to the multisampled framebuffer of width x height pixels with
// samples per pixel (at most largestSampleCount()), with a colour buffer for each buffer the
// framebuffer now drawn into has (one, or the left and right eyes' of a stereo window or
// picture). While it is in use, frameOutput.selectDrawBuffer selects among its colour
// buffers. False, with nothing changed, where the context cannot multisample.
bool beginSmoothing(int samples, int width, int height);
// Resolves what was drawn into the buffers it stands for (each eye's into its own) and
// gives the drawing back to them. A frame drawn in slices that stops short gives the drawing
// back without resolving (resolve false): the multisampled picture is continued by the next
// slice.
void endSmoothing(bool resolve);
// Whether drawing goes to the multisampled framebuffer.
bool smoothing();
// A number that changes whenever the buffers drawn into change their contents' home (the
// multisampled framebuffer made anew, or drawing moved to or from it): what is kept in the
// stencil or depth buffers is then to be drawn again. 0 while not smoothing.
unsigned long smoothTargetVersion();

// For reading back what is being drawn (a copy into a texture, glReadPixels): where drawing
// goes to the multisampled framebuffer, area of its colour buffer being drawn is resolved
// into a framebuffer that can be read, bound for reading until this goes out of scope.
class ResolvedReading {
public:
    explicit ResolvedReading(const Viewport& area);
    ~ResolvedReading();
    ResolvedReading(const ResolvedReading&) = delete;
    ResolvedReading& operator=(const ResolvedReading&) = delete;

private:
    bool resolved_ = false;
};

// Gives up the framebuffers kept for a context that is going away (deleting them when it is
// the current one).
void forgetSmoothTargets(const void* context);
