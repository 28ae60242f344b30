// Both eyes in one double-buffered window: in halves of the viewport, on alternate rows kept
// apart by the stencil buffer, or drawn one after the other and mixed into a colour anaglyph.
#include "render/gl/shared_window_stereo.h"

#include <GL/gl.h>

#include <algorithm>

#include "core/modes.h"
#include "render/cpu/stereo_layout.h"
#include "render/gl/anaglyph_mix.h"
#include "render/gl/chunked_drawing.h"
#include "render/gl/eye_pass.h"
#include "render/gl/frame.h"
#include "render/gl/row_interleave.h"
#include "render/gl/scene_parts.h"

namespace {

// A dark neutral grey: under the two lights (whose white ambient alone lifts it to 0.44) it
// stays clear of the white background in every channel, equally dark through both filters.
constexpr float kNeutralMaterial[4] = {0.3f, 0.3f, 0.3f, 1.0f};

Viewport currentViewport()
{
    GLint v[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, v);
    return Viewport{v[0], v[1], v[2], v[3]};
}

// The viewport and scissor box of one eye's picture: nothing of it reaches the other's.
void useEyeViewport(const Viewport& v)
{
    glViewport(v.x, v.y, v.width, v.height);
    glScissor(v.x, v.y, v.width, v.height);
}

// One eye's share of a split window: its viewport and camera.
struct PlacedEye {
    Viewport viewport;
    EyeCamera camera;
    bool drawable = false;
};

PlacedEye placeEye(const Settings& s, EyeArrangement arrangement, const Viewport& area, int place)
{
    const bool swap = s.swapEyes != 0;
    const Eye eye = eyeAtPlace(place, swap);
    const EyeView view = eyeView(arrangement, eye, area.width, area.height, s.squeezeEyes != 0, swap);
    const FrameProjection p = frameProjectionOfRatio(view.ratio, s.eyeSeparation, s.focalLength, kViewDirection,
                                                     kViewUp, view.heightScale);
    PlacedEye placed;
    placed.viewport = view.viewport;
    placed.viewport.x += area.x;
    placed.viewport.y += area.y;
    placed.camera = eyeCamera(p, eye);
    placed.drawable = p.drawable && !view.viewport.empty();
    return placed;
}

// Side by side, or top and bottom: each eye in its part of the viewport, alike in colour.
void drawSplit(const DrawContext& c, EyeArrangement arrangement, const Viewport& area)
{
    const Settings& s = c.settings;
    const PlacedEye eyes[2] = {placeEye(s, arrangement, area, 0), placeEye(s, arrangement, area, 1)};
    if (eyes[0].drawable && eyes[1].drawable) {
        announceSecondEye(c.secondEye, s.focalLength, eyes[0].camera, eyes[1].camera);
    }
    glEnable(GL_SCISSOR_TEST);
    for (int place = 0; place < 2; ++place) {
        if (eyes[place].drawable) {
            useEyeViewport(eyes[place].viewport);
            drawEyePass(c, eyes[place].camera, GL_BACK, s.leftColor);
        }
        c.secondEye.forget();
    }
    c.secondEye.close();
    glDisable(GL_SCISSOR_TEST);
    useEyeViewport(area);
}

// Row interleaving: the eyes on alternate rows of the screen, alike in colour.
void drawInterleaved(const DrawContext& c, const FrameProjection& whole, const Viewport& area, int windowTop)
{
    const Settings& s = c.settings;
    const bool swap = s.swapEyes != 0;
    // The parity of the window rows (from its bottom) that carry the first place; the
    // viewport reaches the window's top.
    const int firstParity = leftEyeRowParity(windowTop, area.y + area.height, false);
    const bool stencil = markInterleavedRows(area, firstParity);
    const EyeCamera eyes[2] = {eyeCamera(whole, eyeAtPlace(0, swap)), eyeCamera(whole, eyeAtPlace(1, swap))};
    // The second pass keeps to the other rows: the first pass finds its pixels there only.
    announceSecondEye(c.secondEye, s.focalLength, eyes[0], eyes[1], false, 1 - firstParity);
    for (int place = 0; place < 2; ++place) {
        // Without a stencil buffer each eye gets a depth buffer of its own, whose other rows
        // are blocked.
        if (!stencil && place == 1) {
            glClear(GL_DEPTH_BUFFER_BIT);
        }
        keepToRows(area, firstParity, place == 0 ? firstParity : 1 - firstParity, stencil);
        drawEyePass(c, eyes[place], GL_BACK, s.leftColor);
        c.secondEye.forget();
    }
    c.secondEye.close();
    stopKeepingToRows();
}

// A step of the frame that is not drawing but counts as one of its slice chunks, so that a
// frame drawn in slices does it exactly once, in the slice that reaches it.
template <typename Step>
void asSliceChunk(Step step)
{
    if (!chunkSkipped()) {
        step();
        chunkDrawn();
    }
}

// Colour anaglyph: each eye drawn in full colour on a cleared colour and depth buffer, the
// first one kept, and both mixed by the method.
void drawColorAnaglyph(const DrawContext& c, const FrameProjection& whole, const Viewport& area)
{
    const Settings& s = c.settings;
    const bool swap = s.swapEyes != 0;
    const EyeCamera eyes[2] = {eyeCamera(whole, eyeAtPlace(0, swap)), eyeCamera(whole, eyeAtPlace(1, swap))};
    const float* material = colorAnaglyphMaterial(s);
    announceSecondEye(c.secondEye, s.focalLength, eyes[0], eyes[1]);
    drawEyePass(c, eyes[0], GL_BACK, material);
    c.secondEye.forget();
    asSliceChunk([&] { keepFirstEyePicture(area); });
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawEyePass(c, eyes[1], GL_BACK, material);
    c.secondEye.close();
    asSliceChunk([&] { mixWithFirstEyePicture(area, s.anaglyphMethod, s.desaturation); });
}

}  // namespace

void drawEyesInSharedWindow(const DrawContext& c, const FrameProjection& whole, int windowTop)
{
    const Viewport area = currentViewport();
    const ViewMode mode = c.settings.stereoMode;
    switch (arrangementOf(mode)) {
    case EyeArrangement::SideBySide:
    case EyeArrangement::TopBottom:
        drawSplit(c, arrangementOf(mode), area);
        break;
    case EyeArrangement::RowInterleaved:
        drawInterleaved(c, whole, area, windowTop);
        break;
    case EyeArrangement::Overlaid:
        if (mode == ViewMode::ColorAnaglyph) {
            drawColorAnaglyph(c, whole, area);
        }
        break;
    }
}

void drawOverEachEyePicture(const Settings& settings, const std::function<void(int width, int height)>& draw)
{
    const EyeArrangement arrangement = arrangementOf(settings.stereoMode);
    const Viewport area = currentViewport();
    if (arrangement != EyeArrangement::SideBySide && arrangement != EyeArrangement::TopBottom) {
        draw(area.width, area.height);
        return;
    }
    glEnable(GL_SCISSOR_TEST);
    for (int place = 0; place < 2; ++place) {
        const PlacedEye eye = placeEye(settings, arrangement, area, place);
        if (!eye.viewport.empty()) {
            useEyeViewport(eye.viewport);
            draw(eye.viewport.width, eye.viewport.height);
        }
    }
    glDisable(GL_SCISSOR_TEST);
    useEyeViewport(area);
}

const float* colorAnaglyphMaterial(const Settings& settings)
{
    static const Settings defaults;
    const bool chosen = !std::equal(settings.leftColor, settings.leftColor + 4, defaults.leftColor);
    return chosen ? settings.leftColor : kNeutralMaterial;
}

void forgetSharedWindowStereo(const void* context)
{
    forgetInterleavedRows(context);
    forgetAnaglyphMixObjects(context);
}
