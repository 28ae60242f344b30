// The lighter picture drawn while the view moves: a share of the full picture's work, chosen
// frame by frame so that a frame fits a time budget, and what that share means for each
// display type. At rest the full picture is drawn (share 1).
#pragma once

#include "core/data_set.h"
#include "render/cpu/geometry_cache.h"

// What a frame draws of the full picture.
struct LighterPicture {
    double share = 1.0;  // of the full picture's work; 1: the full picture

    bool full() const { return share >= 1.0; }
    // Points: this share of every colour's points, an evenly spread subset.
    double pointShare() const { return share < 1.0 ? share : 1.0; }
    // Grids and surfaces: every k-th row and column (and the last), so that the work falls
    // with the square of k.
    int gridStep() const;
    // Tubes: fewer slices round each tube (never fewer than 4), then lines of the tubes' width.
    int tubeSegments(int segments) const;
    bool tubesAsLines(int segments) const;
    // Of the lines, the share drawn (every k-th line), when even all lines are too many.
    double lineShare(int segments) const;
};

// Chooses the share of the lighter frames from the frames' own times: each lighter frame's
// time against the budget scales the next one's share, a full frame's time gives the first
// one's. Shares below kLeastShare are not drawn; a frame over its budget at the least share
// keeps it.
class DetailBudget {
public:
    static constexpr double kLeastShare = 1.0 / 4096.0;

    // Seconds a lighter frame may take.
    void setBudget(double seconds) { budget_ = seconds; }
    double budget() const { return budget_; }
    // The share for the next lighter frame.
    double next() const { return share_; }
    // A frame drawn at share took seconds (a full frame at share 1).
    void record(double share, double seconds);
    // The scene changed (other data, display type, window size, view mode): its frames' times
    // say nothing of the new one's.
    void forget();

private:
    double budget_ = 0.040;
    double share_ = 1.0;
};

// The rows and columns of a grid's lighter picture: every step-th set and every step-th
// point of each (and always the last of both) of data, in its own data set and kept geometry,
// made again only for other data or another step.
class CoarseGrid {
public:
    // The grid of every step-th row and column of data.
    const DataSet& of(const DataSet& data, int step);
    GeometryStore& geometry() { return geometry_; }

private:
    DataSet coarse_;
    const DataSet* from_ = nullptr;
    unsigned long fromGeneration_ = 0;
    int step_ = 0;
    GeometryStore geometry_;
};
