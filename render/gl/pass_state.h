// What the drawing from kept arrays reads of the current pass and leaves behind: its
// transform, the material of a colour group, the state the immediate-mode drawing leaves,
// and single pixels drawn lit as the surface that covers them.
#pragma once

#include <cstdint>
#include <vector>

#include "core/settings.h"
#include "render/cpu/geometry_cache.h"
#include "render/cpu/second_eye.h"

// The model-view, projection and viewport in force.
PassTransform currentTransform();

// The material of colour slot colorIndex (a data colour or a step of the colour map);
// -1 keeps the pass's own material. Where the data show their own colours (coloured by
// height or by group) the ambient material is the colour itself, for the ambient light of
// beginTrueColorLights.
void useGroupMaterial(const Settings& settings, int colorIndex);

// The lights of the data's own colours (coloured by height or by group): each light white,
// as bright as its colour as set (the luminance of its diffuse colour, its intensity in it),
// so that the lights change the colours' brightness and never their hue; and one ambient
// light of kColorAmbient for every face, so that a face turned away from both lights keeps
// that share of its colour. endTrueColorLights gives back the lights and materials found.
void beginTrueColorLights();
void endTrueColorLights();
constexpr float kColorAmbient = 0.3f;

// Colours of each vertex (coloured by height) in place of a material: the vertex colour
// stands for the diffuse and the ambient material; the specular one is a faint grey,
// kMapSpecular. endVertexColors puts back the material, colour material, current colour and
// client state that beginVertexColors found, so that whatever is drawn after sees the pass
// as it was.
void beginVertexColors();
void endVertexColors();
constexpr float kMapSpecular = 0.3f;
// The colour array of four bytes a vertex, when coloured by height, beside the vertex array
// set: set (and enabled) when colors is not empty, left disabled when it is.
void vertexColorArray(const std::vector<std::uint8_t>& colors, std::size_t firstVertex = 0);

// The material and normal that the immediate-mode drawing leaves behind.
void leaveStateAsDrawn(const Settings& settings, const GeometryCache& cache);

// Draws pixels (window x, y and normalised depth), one pixel each, lit as what covers them:
// the model-view matrix (and so the transformed normal) stays, and the projection takes its
// inverse back out. The lights are directional and the viewer infinitely far, so the lit
// colour depends on the normal alone. normals: one per pixel, or null for the current one.
// The model-view must have an inverse.
void drawSplattedPixels(const PassTransform& t, const std::vector<float>& pixels, const float* normals = nullptr);
