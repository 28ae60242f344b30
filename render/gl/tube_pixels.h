// Tubes drawn as the finished pixels that the processor finds for them (render/cpu/tube_raster):
// the renderer is handed one lit point per covered pixel, and only the tubes the processor
// leaves to it as triangles.
#pragma once

#include "render/cpu/fixed_lighting.h"
#include "render/cpu/geometry_cache.h"
#include "render/cpu/tube_faces.h"
#include "render/gl/draw_context.h"

// The pass's lighting as the processor works it out; false when it is not one it follows
// (a light near by or a spot light, a viewer near by, two-sided lighting, fog, textures,
// normals left unnormalised, flat shading, another depth test than "less").
bool readFixedLighting(FixedLighting& out);

// Draws the kept line sets' tubes of this pass as their pixels, with the view transform and
// the centring in force and the culling of the pass on; false, drawing nothing, when the
// pass's lighting is not one the processor follows.
bool drawTubePixels(const DrawContext& c, const GeometryCache& cache, const FaceCulling& culling);
