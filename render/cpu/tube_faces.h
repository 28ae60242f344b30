// What finding the tube faces to send needs of a pass (tube_visibility.h does the finding):
// a tube is a closed convex solid, so with the depth test its faces turned away from the eye
// lie behind those turned towards it and never show, and a filled face that covers no pixel
// centre makes no fragment. That holds only for filled, opaque tubes seen through a
// perspective frustum and not cut by the near plane (checked per tube): otherwise every
// face is sent. The facing is judged in the model space, where a negative scale mirrors the
// faces and the eye alike.
#pragma once

// What finding the faces to send needs: the eye in the tubes' model space, and the way to
// the window (also to find tubes reaching out of the depth range).
struct FaceCulling {
    bool on = false;
    float eye[3] = {};
    float clipFromModel[16] = {};
    float width = 0.0f, height = 0.0f;
    // The viewport rows whose pixel centres the pass draws (a pass of row interleaving
    // keeps to one parity); -1 for every row.
    int rowParity = -1;
};

// The culling for a projection and a model-view (column order) in a viewport of width x
// height pixels; off unless the projection is a perspective frustum and the model-view has
// an inverse.
FaceCulling cullingFor(const float projection[16], const float modelview[16], int width, int height);

// Whether two eyes' clip coordinates differ only in x, as the eyes of an off-axis stereo
// pair do (same viewport, same window y and w).
bool sharesAllButX(const FaceCulling& a, const FaceCulling& b);
