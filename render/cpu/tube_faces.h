// Which faces of the tubes to send: a tube is a closed convex solid, so with the depth test
// its faces turned away from the eye lie behind those turned towards it and never show, and
// a filled face that covers no pixel centre makes no fragment. That holds only for filled,
// opaque tubes seen through a perspective frustum and not cut by the near plane (checked
// per tube): otherwise every face is sent. The facing is judged in the model space, where
// a negative scale mirrors the faces and the eye alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/cpu/tube_mesh.h"

// What finding the faces to send needs: the eye in the tubes' model space, the model-view
// matrix's depth row and largest scale to find tubes reaching in front of the near plane,
// and the way to the window to find the faces that cover no pixel centre.
struct FaceCulling {
    bool on = false;
    float eye[3] = {};
    float depthRow[4] = {};
    float scale = 0.0f;
    float clipFromModel[16] = {};
    float width = 0.0f, height = 0.0f;
};

// The culling for a projection and a model-view (column order) in a viewport of width x
// height pixels; off unless the projection is a perspective frustum and the model-view has
// an inverse.
FaceCulling cullingFor(const float projection[16], const float modelview[16], int width, int height);

// Appends to out the indices of the triangles to draw of tubes first to end of the mesh,
// in the tubes' order: with culling on, the faces towards the eye that may cover a pixel
// centre; each whole tube that the near plane cuts. Many tubes are shared out between two
// threads.
void findFrontFaces(const MeshArrays& mesh, std::size_t first, std::size_t end, int segments, float radius,
                    const FaceCulling& c, std::vector<std::uint32_t>& out);

// Whether two eyes' clip coordinates differ only in x, as the eyes of an off-axis stereo
// pair do (same viewport, same window y and w).
bool sharesAllButX(const FaceCulling& a, const FaceCulling& b);

// findFrontFaces for two such eyes at once, into outA and outB: the window y and the division
// by w are worked out once for both. Eyes that differ in more are found one after the other.
void findFrontFacesOfTwo(const MeshArrays& mesh, std::size_t first, std::size_t end, int segments, float radius,
                         const FaceCulling& a, const FaceCulling& b, std::vector<std::uint32_t>& outA,
                         std::vector<std::uint32_t>& outB);
