// Which of the two ways of drawing filled tubes on a software renderer a frame takes: the
// tubes rasterised on the processor into finished pixels (tube_raster.h), or the triangles
// that can show searched for and handed to the renderer (tube_visibility.h). Which pays
// depends on the data and the view: tubes a pixel or two across are drawn fastest as
// pixels, whatever hides what; tubes many pixels across are the renderer's, which fills
// large triangles faster than the processor's rasterising does. So the choice follows the
// frames' own times: each frame takes the drawing whose last frames were faster, and now and
// then one frame takes the other, so that a change of the view that turns the balance is
// seen. Frames of other data, tubes, window sizes or view modes start over.
#pragma once

#include <cstdint>
#include <vector>

enum class TubeDrawing { Pixels, Triangles };

class TubeDrawingChoice {
public:
    // The drawing for the next frame of what key describes (any bytes that change when the
    // data, the tubes, the window size or the view mode change).
    TubeDrawing next(const std::vector<unsigned char>& key);
    // The frame drawn with drawing took seconds in all.
    void record(TubeDrawing drawing, double seconds);
    // Fixes the drawing (tests); unfix to choose again.
    void fix(TubeDrawing drawing);
    void unfix();

    // Frames in a row the slower drawing waits before it is tried again; when it was more
    // than kFarSlower times slower, kFarProbeFactor times as many.
    static constexpr int kProbeEvery = 24;
    static constexpr double kFarSlower = 1.5;
    static constexpr int kFarProbeFactor = 4;

private:
    static int index(TubeDrawing d) { return d == TubeDrawing::Pixels ? 0 : 1; }

    std::vector<unsigned char> key_;
    double seconds_[2] = {-1.0, -1.0};  // smoothed frame times; below 0 unknown
    int framesSince_[2] = {0, 0};
    bool fixed_ = false;
    TubeDrawing fixedDrawing_ = TubeDrawing::Pixels;
};
