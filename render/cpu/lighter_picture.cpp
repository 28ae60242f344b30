// The lighter picture's share and what it means for each display type.
#include "render/cpu/lighter_picture.h"

#include <algorithm>
#include <cmath>

int LighterPicture::gridStep() const
{
    if (full()) {
        return 1;
    }
    return std::max(1, static_cast<int>(std::ceil(1.0 / std::sqrt(std::max(share, DetailBudget::kLeastShare)))));
}

int LighterPicture::tubeSegments(int segments) const
{
    if (full()) {
        return segments;
    }
    // The processor's work for a tube grows with its slices; below four its shading darkens
    // visibly (three faces a third of a turn apart), and lines take over.
    return std::max(std::min(segments, 4), std::min(segments, static_cast<int>(std::floor(segments * share))));
}

bool LighterPicture::tubesAsLines(int segments) const
{
    // Below the share that four slices need, lines: a tube of four slices still costs about
    // half of one of eight, a line a fraction of that.
    return !full() && segments * share < 2.0;
}

double LighterPicture::lineShare(int segments) const
{
    // Lines of every tube cost about what the share at which they take over allows.
    const double atLines = 2.0 / segments;
    return tubesAsLines(segments) ? std::max(share / atLines, 1.0 / 64.0) : 1.0;
}

void DetailBudget::record(double share, double seconds)
{
    if (!(seconds > 0.0)) {
        return;
    }
    // Aim at three quarters of the budget: frames vary, one over it shows as a jolt, and the
    // event loop's own work between frames (the input, the panels) takes its share too.
    // After a full frame the share is what its time allows; after a lighter one it moves at
    // most by a factor of eight, so that one frame slowed by other work does not empty the next.
    const double scale = 0.75 * budget_ / seconds;
    share_ = std::clamp(share >= 1.0 ? scale : share * std::clamp(scale, 1.0 / 8.0, 8.0), kLeastShare, 1.0);
}

void DetailBudget::forget()
{
    share_ = 1.0;
}

namespace {

// Every step-th of count places, and the last.
std::vector<int> everyStep(int count, int step)
{
    std::vector<int> kept;
    for (int k = 0; k < count; k += step) {
        kept.push_back(k);
    }
    if (count > 0 && kept.back() != count - 1) {
        kept.push_back(count - 1);
    }
    return kept;
}

}  // namespace

const DataSet& CoarseGrid::of(const DataSet& data, int step)
{
    if (from_ == &data && fromGeneration_ == data.generation && step_ == step) {
        return coarse_;
    }
    const unsigned long generation = coarse_.generation;
    coarse_ = DataSet{};
    // The same normalisation, format and place on screen.
    copyPlacement(data, coarse_);
    const int ny = data.fnTrf.pointsPerSet;
    const std::size_t held = data.coordArray.size() / static_cast<std::size_t>(std::max(ny, 1));
    const std::vector<int> sets = everyStep(std::min(data.fnTrf.nx, static_cast<int>(held)), step);
    const std::vector<int> points = everyStep(ny, step);
    const bool groups = data.groupArray.size() == data.coordArray.size();
    const bool colors = data.pointColors.size() == 4 * data.coordArray.size();
    for (int i : sets) {
        for (int j : points) {
            const std::size_t k = static_cast<std::size_t>(i) * static_cast<std::size_t>(ny) + static_cast<std::size_t>(j);
            coarse_.coordArray.push_back(data.coordArray[k]);
            if (groups) {
                coarse_.groupArray.push_back(data.groupArray[k]);
            }
            if (colors) {
                coarse_.pointColors.insert(coarse_.pointColors.end(), &data.pointColors[4 * k], &data.pointColors[4 * k] + 4);
            }
        }
    }
    coarse_.groupNames = data.groupNames;
    coarse_.fnTrf = FnTrf{static_cast<int>(sets.size()), static_cast<int>(points.size())};
    coarse_.generation = generation + 1;
    from_ = &data;
    fromGeneration_ = data.generation;
    step_ = step;
    return coarse_;
}
