// The choice of the tubes' drawing from the frames' own times.
#include "render/cpu/tube_drawing_choice.h"

TubeDrawing TubeDrawingChoice::next(const std::vector<unsigned char>& key)
{
    if (fixed_) {
        return fixedDrawing_;
    }
    if (key != key_) {
        key_ = key;
        seconds_[0] = seconds_[1] = -1.0;
        framesSince_[0] = framesSince_[1] = 0;
    }
    // Each is tried once, the pixels first: they pay on most data.
    if (seconds_[0] < 0.0) {
        return TubeDrawing::Pixels;
    }
    if (seconds_[1] < 0.0) {
        return TubeDrawing::Triangles;
    }
    const int best = seconds_[0] <= seconds_[1] ? 0 : 1, other = 1 - best;
    const int wait = seconds_[other] > kFarSlower * seconds_[best] ? kProbeEvery * kFarProbeFactor : kProbeEvery;
    const int chosen = framesSince_[other] >= wait ? other : best;
    return chosen == 0 ? TubeDrawing::Pixels : TubeDrawing::Triangles;
}

void TubeDrawingChoice::record(TubeDrawing drawing, double seconds)
{
    const int d = index(drawing);
    // Half the weight on the newest frame: one frame slowed down by other work does not
    // turn the choice, and a view that changed for good does within a few frames.
    seconds_[d] = seconds_[d] < 0.0 ? seconds : 0.5 * (seconds_[d] + seconds);
    framesSince_[d] = 0;
    ++framesSince_[1 - d];
}

void TubeDrawingChoice::fix(TubeDrawing drawing)
{
    fixed_ = true;
    fixedDrawing_ = drawing;
}

void TubeDrawingChoice::unfix()
{
    fixed_ = false;
}
