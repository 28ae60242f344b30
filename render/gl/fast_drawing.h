// Drawing each display type from the kept vertex arrays: the pictures of the immediate-mode
// drawing at a fraction of its cost. Each expects the model transform of its display type
// (as data_drawing sets it) and leaves the material and normal that the immediate-mode
// drawing leaves. Points are in point_drawing.cpp, line sets in tube_drawing.cpp, surfaces
// in surface_drawing.cpp.
#pragma once

#include "render/cpu/draw_range.h"
#include "render/gl/draw_context.h"

// Points, with the centring translation in force. Many smooth points of one colour are
// drawn as the pixels they cover, each once at the depth that the nearest of them leaves:
// they all have the same lit colour, so the picture and the depths are those of all points.
// A lighter picture (c.lighter) draws an evenly spread share of every colour's points.
void drawPointsFast(const DrawContext& c, const DrawRange& range);

// Joined or needled line sets, with the view transform but not the centring in force.
// Tubes thinner on screen than kThinTubePixels become lit lines of the tubes' width;
// others are drawn as meshes of one stack and one loop, filled ones with only the faces
// turned towards the eye (the others are hidden behind them). Returns false, drawing nothing,
// for thick tubes in the wire-outline state, whose outlines show every stack and loop.
// asLines: every tube a lit line of its width (the lighter picture), and of those lines only
// the share lineShare, evenly spread.
bool drawTubesFast(const DrawContext& c, const DrawRange& range, DisplayType displayType, bool asLines = false,
                   double lineShare = 1.0);

// Surface grid or filled surface, with the centring translation and polygon mode in force.
void drawSurfaceFast(const DrawContext& c, const DrawRange& range, DisplayType displayType);

// The largest on-screen diameter, in pixels, at which a tube is drawn as a line.
constexpr double kThinTubePixels = 2.0;
