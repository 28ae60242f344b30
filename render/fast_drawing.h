// Drawing each display type from the kept vertex arrays: the pictures of the immediate-mode
// drawing at a fraction of its cost. Each expects the model transform of its display type
// (as data_drawing sets it) and leaves the material and normal that the immediate-mode
// drawing leaves.
#pragma once

#include "render/draw_range.h"

// Points, with the centring translation in force. Many smooth points of one colour are
// drawn as the pixels they cover, each once at the depth that the nearest of them leaves:
// they all have the same lit colour, so the picture and the depths are those of all points.
void drawPointsFast(const DrawRange& range);

// Joined or needled line sets, with the view transform but not the centring in force.
// Tubes thinner on screen than kThinTubePixels become lit lines of the tubes' width;
// others are drawn as meshes of one stack and one loop, filled ones with only the faces
// turned towards the eye (the others are hidden behind them). Returns false, drawing nothing,
// for thick tubes in the wire-outline state, whose outlines show every stack and loop.
bool drawTubesFast(const DrawRange& range, int displayType);

// Surface grid or filled surface, with the centring translation and polygon mode in force.
void drawSurfaceFast(const DrawRange& range, int displayType);

// The largest on-screen diameter, in pixels, at which a tube is drawn as a line.
constexpr double kThinTubePixels = 2.0;

// Frame slicing, for the viewer: a big frame is drawn over several display callbacks so
// that the event loop serves the panel windows in between. The drawing above counts its
// chunks; once the budget is spent it stops in front of the next chunk, and a later
// callback of the unchanged view draws the same frame again with colour and depth writes
// masked up to the chunk where the earlier one stopped, so that the finished back buffer
// holds exactly the picture drawn in one go. A budget of 0 (the default) draws whole frames.
void setFrameSliceBudget(double seconds);
double frameSliceBudget();
// Begins a callback's slice: chunks before resumeAt are skipped, masked.
void beginFrameSlice(std::size_t resumeAt);
// Whether this slice stopped short, and the chunk count at which the next slice resumes.
bool frameSliceStopped();
std::size_t frameSliceResumePoint();
// Unmasks colour and depth writes after a slice.
void endFrameSlice();
