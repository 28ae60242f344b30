// One eye's pass of a frame: its camera (frustum and place beside the centre), and telling
// the drawing beforehand how a frame's second eye will differ from its first.
#pragma once

#include "render/cpu/stereo_layout.h"
#include "render/cpu/stereo_projection.h"
#include "render/gl/draw_context.h"

// What one pass draws from: the frustum's limits at the near plane and where the eye
// stands beside the centre of view.
struct EyeCamera {
    FrustumLimits frustum;
    double bottom = 0.0, top = 0.0;
    Point3d displacement;
};
EyeCamera centreCamera(const FrameProjection& p);
EyeCamera eyeCamera(const FrameProjection& p, Eye eye);

// Sets the pass's projection and model-view, selects drawBuffer (0: leaves the selection),
// sets the material colour and draws the data from the camera.
void drawEyePass(const DrawContext& c, const EyeCamera& camera, unsigned int drawBuffer, const float colour[4]);

// Before the first eye's pass: how the second eye's projection and view differ from the
// first's, so that the drawing can do work that both share once. sharedDepth: the second eye
// draws over the first's picture in the same colour and depth buffers (Anaglyph).
// secondRowParity: the window rows the second pass is kept to (row interleaving), -1 for all.
void announceSecondEye(SecondEye& secondEye, float focalLength, const EyeCamera& first, const EyeCamera& second,
                       bool sharedDepth = false, int secondRowParity = -1);
