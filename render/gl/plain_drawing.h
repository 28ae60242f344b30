// Plain drawing: the kept vertex arrays handed to the renderer as they are, in buffer
// objects where the context offers them, with no processor work per frame that grows with
// the data. The drawing for graphics cards (see drawing_policy.h); each function expects
// the model transform that the fast drawing of its display type expects (fast_drawing.h).
#pragma once

#include "render/cpu/draw_range.h"
#include "render/gl/draw_context.h"

// The kept arrays of one display copied into buffer objects of the current context.
struct PlainBuffers {
    const void* store = nullptr;      // the GeometryStore they were copied from
    unsigned long arraysVersion = 0;  // its arraysVersion() then
    int kind = -1;                    // which arrays: see plain_drawing.cpp
    unsigned int vertices = 0, normals = 0, indices = 0, colors = 0;
    bool inBuffers = false;           // false: drawn from the kept arrays themselves
};

void drawPointsPlain(const DrawContext& c, const DrawRange& range);
void drawSurfacePlain(const DrawContext& c, const DrawRange& range, DisplayType displayType);
// Draws the line sets' kept tube mesh whole; false, drawing nothing, in the wire-outline
// state, whose outlines show every stack and loop. Tubes too many for their mesh to be kept
// are drawn as the fast drawing draws them.
bool drawTubesPlain(const DrawContext& c, const DrawRange& range, DisplayType displayType);

// Vertices handed to the renderer in one call on the plain path (also the unit of a frame
// drawn in slices).
constexpr std::size_t kPlainChunk = 1u << 20;
