// Which of the two ways of drawing filled tubes on a software renderer a frame takes: the
// tubes rasterised on the processor into finished pixels (tube_raster.h), or the triangles
// that can show searched for and handed to the renderer (tube_visibility.h). Which pays
// depends on the data and the view: tubes a pixel or two across are drawn fastest as
// pixels, whatever hides what; tubes many pixels across are the renderer's, which fills
// large triangles faster than the processor's rasterising does. So the choice follows the
// frames' own times: each frame takes the drawing whose last frames were faster, and now and
// then one frame takes the other, so that a change of the view that turns the balance is
// seen. Frames of other data, tubes, window sizes or view modes are timed apart; the times of
// the last few such scenes are kept (the full picture at rest and the lighter one while
// moving take turns).
#pragma once

#include <cstdint>
#include <vector>

enum class TubeDrawing { Pixels, Triangles };

class TubeDrawingChoice {
public:
    // The drawing for the next frame of what key describes (any bytes that change when the
    // data, the tubes, the window size or the view mode change). firstTry: the drawing that
    // the tubes' size on screen suggests; a scene not timed yet tries it, then the other.
    // mayTry: whether this frame is one of a run that may try drawings and follow their
    // times (frames while the view moves, frames timed in a run); a frame that is not (the
    // picture at rest, which must come out the same whenever it is drawn again) takes firstTry.
    TubeDrawing next(const std::vector<unsigned char>& key, TubeDrawing firstTry = TubeDrawing::Pixels,
                     bool mayTry = true);
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

    // Scenes whose times are kept.
    static constexpr std::size_t kKeptScenes = 4;

private:
    static int index(TubeDrawing d) { return d == TubeDrawing::Pixels ? 0 : 1; }

    struct Scene {
        std::vector<unsigned char> key;
        double seconds[2] = {-1.0, -1.0};  // smoothed frame times; below 0 unknown
        int framesSince[2] = {0, 0};
    };
    std::vector<Scene> scenes_;  // the newest last
    bool fixed_ = false;
    TubeDrawing fixedDrawing_ = TubeDrawing::Pixels;
};

// The tubes' drawing of one frame: chosen by the first pass that draws filled tubes (it
// knows how large they are on screen, which tells which to try first), kept for the frame's
// other passes; used says that it was drawn so, and the frame's time is the drawing's.
struct TubeFrame {
    TubeDrawingChoice* choice = nullptr;
    std::vector<unsigned char> key;
    bool mayTry = true;
    bool decided = false;
    bool used = false;
    TubeDrawing drawing = TubeDrawing::Pixels;

    TubeDrawing decide(TubeDrawing firstTry)
    {
        if (!decided && choice != nullptr) {
            drawing = choice->next(key, firstTry, mayTry);
            decided = true;
        }
        return drawing;
    }
};
