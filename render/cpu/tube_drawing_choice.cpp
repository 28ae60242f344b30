// The choice of the tubes' drawing from the frames' own times.
#include "render/cpu/tube_drawing_choice.h"

#include <algorithm>

TubeDrawing TubeDrawingChoice::next(const std::vector<unsigned char>& key, TubeDrawing firstTry, bool mayTry)
{
    if (fixed_) {
        return fixedDrawing_;
    }
    if (!mayTry) {
        return firstTry;
    }
    // The scene becomes the newest, made afresh when it is not kept.
    auto found = std::find_if(scenes_.begin(), scenes_.end(), [&](const Scene& s) { return s.key == key; });
    Scene scene = found != scenes_.end() ? *found : Scene{key};
    if (found != scenes_.end()) {
        scenes_.erase(found);
    } else if (scenes_.size() == kKeptScenes) {
        scenes_.erase(scenes_.begin());
    }
    scenes_.push_back(scene);
    const double* seconds = scenes_.back().seconds;
    const int* framesSince = scenes_.back().framesSince;
    // Each is tried once, the one asked for first.
    const int first = index(firstTry);
    if (seconds[first] < 0.0) {
        return firstTry;
    }
    if (seconds[1 - first] < 0.0) {
        return first == 0 ? TubeDrawing::Triangles : TubeDrawing::Pixels;
    }
    const int best = seconds[0] <= seconds[1] ? 0 : 1, other = 1 - best;
    const int wait = seconds[other] > kFarSlower * seconds[best] ? kProbeEvery * kFarProbeFactor : kProbeEvery;
    const int chosen = framesSince[other] >= wait ? other : best;
    return chosen == 0 ? TubeDrawing::Pixels : TubeDrawing::Triangles;
}

void TubeDrawingChoice::record(TubeDrawing drawing, double seconds)
{
    if (scenes_.empty()) {
        return;
    }
    Scene& scene = scenes_.back();
    const int d = index(drawing);
    // Half the weight on the newest frame: one frame slowed down by other work does not
    // turn the choice, and a view that changed for good does within a few frames.
    scene.seconds[d] = scene.seconds[d] < 0.0 ? seconds : 0.5 * (scene.seconds[d] + seconds);
    scene.framesSince[d] = 0;
    ++scene.framesSince[1 - d];
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
