// The part of the data set that one display type draws, shared by the immediate-mode
// drawing and the drawing from kept vertex arrays.
#pragma once

#include <cstddef>

#include "app/viewer_state.h"
#include "core/data_set.h"

enum DisplayType { kPoints = 0, kJoined = 1, kNeedled = 2, kGrid = 3, kFilled = 4 };
enum DataFormat { kPlain = 0, kMaple = 1, kColored = 2 };

// Sets 0 to lastSet of ny points each; colored when every point carries a data value.
struct DrawRange {
    int lastSet;
    int ny;
    bool colored;
};

inline std::size_t pointIndex(const DrawRange& range, int i, int j)
{
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(range.ny) + static_cast<std::size_t>(j);
}

inline const Point3d& pointAt(const DrawRange& range, int i, int j)
{
    return dataSet.coordArray[pointIndex(range, i, j)];
}

inline int groupAt(const DrawRange& range, int i, int j)
{
    const std::size_t k = pointIndex(range, i, j);
    return k < dataSet.groupArray.size() ? dataSet.groupArray[k] : 0;
}
