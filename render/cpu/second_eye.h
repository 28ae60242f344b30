// A frame of two eyes draws the same scene twice, the second time from beside the first eye.
// Before the first eye's pass the frame announces how the second eye's projection and view
// differ, so that the drawing can do the second eye's share of the work that both eyes
// have in common (the window y and the division by w of every vertex) together with the
// first eye's. Nothing announced is trusted: the second pass uses work done for it only when
// its own transform matches. The frame owns one SecondEye record; the drawing is handed it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/cpu/point_splat.h"
#include "render/cpu/tube_faces.h"
#include "render/cpu/tube_visibility.h"

// The transform of a pass: model-view and projection (column order) and the viewport.
struct PassTransform {
    float modelview[16];
    float projection[16];
    int viewport[4];
};

// What a pass draws from kept arrays (or the data set): the arrays, their extent, and a
// point's reach.
struct DrawnArrays {
    const void* data = nullptr;
    const void* extra = nullptr;
    std::size_t count = 0;
    std::size_t columns = 0;
    float reach = 0.0f;

    bool operator==(const DrawnArrays& o) const
    {
        return data == o.data && extra == o.extra && count == o.count && columns == o.columns && reach == o.reach;
    }
};

class SecondEye;

// Work done in the first eye's pass for the second. It serves the second pass only while
// the frame's second eye is the same, and the pass draws the same arrays under the same
// transform.
struct SecondEyeWork {
    bool ready = false;
    unsigned long generation = 0;
    DrawnArrays drawn;
    int width = 0, height = 0;
    int rowParity = -1;  // the window rows the work covers, -1 for all
    float clipFromModel[16] = {};

    // Whether the work was done for this pass, which keeps to window rows of
    // passRowParity (-1: every row); it serves once.
    bool takeFor(const SecondEye& eye, const DrawnArrays& passDrawn, const PassTransform& t,
                 const float passClipFromModel[16], int passRowParity);
    // Sets clipFromModel to the announced second eye's for the first eye's transform t and
    // notes what the work is for (rowParity: the second pass's rows); false when no second
    // eye is announced.
    bool startFor(const SecondEye& eye, const DrawnArrays& passDrawn, const PassTransform& t);
};

// The second eye's visible tube faces, found in the first eye's pass.
struct SecondEyeTubes {
    bool ready = false;
    unsigned long generation = 0;
    const void* tubes = nullptr;  // the tubes searched, and how many
    std::size_t count = 0;
    int segments = 0;
    float radius = 0.0f;
    FaceCulling culling;
    VisibleTubes faces;
};

// Whether two cullings agree up to rounding, so that faces found for one serve the other.
bool sameCulling(const FaceCulling& a, const FaceCulling& b);

class SecondEye {
public:
    // projection: the second pass's projection matrix; viewChange: the view of the second
    // eye times the inverse of the first eye's view, so that the second pass's model-view is
    // viewChange times the first pass's. Both in column order. sharedDepth: the second pass
    // draws into the first one's colour and depth buffer, over its picture (Anaglyph).
    // secondRowParity: the window rows (counted from the bottom) that the second pass is
    // kept to, -1 for all.
    void announce(const double projection[16], const double viewChange[16], bool sharedDepth = false,
                  int secondRowParity = -1);
    // Whether the announced passes share one colour and depth buffer.
    bool sharesDepth() const { return sharedDepth_; }
    int secondRowParity() const { return secondRowParity_; }
    // After the first eye's pass: no further pass is announced.
    void forget();
    // After the second eye's pass: work done for it is out of date from now on.
    void close();

    // The second eye's projection and model-view for the first eye's model-view; false when
    // no second eye is announced.
    bool transform(const float modelview[16], float projection[16], float secondModelview[16]) const;

    // Counts the announcements and closings: work done for a second eye is valid only while
    // this stays what it was when the work was done.
    unsigned long generation() const { return generation_; }

    // The work kept for the second pass, by kind of drawing.
    SecondEyeWork splat;
    SplatResult splatFound;
    SecondEyeWork surface;
    SecondEyeTubes tubes;

    // How many times a second eye's pass has drawn tube faces, point pixels or surface
    // pixels found for it together with the first eye's.
    unsigned long sharedPasses = 0;

private:
    bool announced_ = false;
    bool sharedDepth_ = false;
    int secondRowParity_ = -1;
    unsigned long generation_ = 0;
    double projection_[16] = {};
    double viewChange_[16] = {};
};
