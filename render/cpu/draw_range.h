// The part of the data set that one display type draws, shared by the immediate-mode
// drawing and the drawing from kept vertex arrays.
#pragma once

#include <array>
#include <cstddef>

#include "core/data_set.h"
#include "core/modes.h"
#include "core/value_colors.h"

// Sets 0 to lastSet of ny points each of data; colored when every point carries a data value.
// coloring: how the frame colours the data, by value or by the eyes.
struct DrawRange {
    const DataSet* data;
    int lastSet;
    int ny;
    bool colored;
    ValueColoring coloring = ValueColoring{};
};

inline std::size_t pointIndex(const DrawRange& range, int i, int j)
{
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(range.ny) + static_cast<std::size_t>(j);
}

inline const Point3d& pointAt(const DrawRange& range, int i, int j)
{
    return range.data->coordArray[pointIndex(range, i, j)];
}

inline int groupAt(const DrawRange& range, int i, int j)
{
    const std::size_t k = pointIndex(range, i, j);
    return k < range.data->groupArray.size() ? range.data->groupArray[k] : 0;
}

// Whether the drawn primitives carry colours of their own rather than the pass's colour.
inline bool ownColors(const DrawRange& range)
{
    return range.colored || range.coloring.by != ColorBy::Eye;
}

// The colour slot (core/value_colors.h) of point j of set i; -1 for the pass's own colour.
// By group, data without groups take the data colour of the set's number.
int pointColorSlot(const DrawRange& range, int i, int j);
// Whether each point takes the colour its file gives it: coloured by group or by the file's
// colours, when the data set holds such colours.
inline bool fileColors(const DrawRange& range)
{
    return (range.coloring.by == ColorBy::Group || range.coloring.by == ColorBy::File) &&
           !range.data->pointColors.empty();
}

// Whether the quadrilaterals and tubes carry a colour per vertex (vertexColorAt) rather than
// a colour slot each: when coloured by height, or by the file's colours. Coloured by height,
// points keep their slots; with the file's colours they too carry their own.
inline bool vertexColors(const DrawRange& range)
{
    return range.coloring.by == ColorBy::Height || fileColors(range);
}

// The colour of a vertex at point k of the data set, whose drawn z is drawnZ (a foot of a
// needle stands for its point): the file's colour of the point, else the colour map's at
// that height.
std::array<unsigned char, 4> vertexColorAt(const DrawRange& range, std::size_t k, double drawnZ);

// Whether a surface's quadrilaterals each carry the flat normal of their first three corners:
// those of plain data always, those of every format when filled, so that a filled surface
// is shaded by the lights whatever file it came from.
inline bool surfaceHasNormals(const DrawRange& range, DisplayType displayType)
{
    return range.data->loadedFormat == static_cast<int>(DataFormat::Plain) || displayType == DisplayType::Filled;
}

// The last set (counted from 0) that a data format shows in a display type, or -1 for none.
int lastSetDrawn(int loadedFormat, DisplayType displayType, int nx);

// The range that the display type draws of data; false when it draws nothing (no set to
// draw, or arrays that do not hold every point the dimensions announce).
bool drawRangeOf(const DataSet& data, DisplayType displayType, DrawRange& range);
