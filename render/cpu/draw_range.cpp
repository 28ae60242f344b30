// Which sets of a data set each display type draws.
#include "render/cpu/draw_range.h"

#include "core/colors.h"

int lastSetDrawn(int loadedFormat, DisplayType displayType, int nx)
{
    const int type = static_cast<int>(displayType);
    const int plain = static_cast<int>(DataFormat::Plain), maple = static_cast<int>(DataFormat::Maple),
              colored = static_cast<int>(DataFormat::Colored);
    if (loadedFormat < plain || loadedFormat > colored || type < static_cast<int>(DisplayType::Points) ||
        type > static_cast<int>(DisplayType::Filled)) {
        return -1;
    }
    if (displayType == DisplayType::Grid || displayType == DisplayType::Filled || loadedFormat == maple) {
        return nx - 2;
    }
    if (displayType == DisplayType::Needled && loadedFormat == colored) {
        return nx - 2;
    }
    return nx - 1;
}

bool drawRangeOf(const DataSet& data, DisplayType displayType, DrawRange& range)
{
    const FnTrf& f = data.fnTrf;
    const int lastSet = lastSetDrawn(data.loadedFormat, displayType, f.nx);
    if (lastSet < 0 || f.nx <= 0 || f.pointsPerSet <= 0) {
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(f.nx) * static_cast<std::size_t>(f.pointsPerSet);
    if (count > data.coordArray.size()) {
        return false;
    }
    if (!data.pointColors.empty() && data.pointColors.size() != data.coordArray.size() * 4) {
        return false;
    }
    range = DrawRange{&data, lastSet, f.pointsPerSet, data.loadedFormat == static_cast<int>(DataFormat::Colored)};
    return true;
}

std::array<unsigned char, 4> vertexColorAt(const DrawRange& range, std::size_t k, double drawnZ)
{
    if (fileColors(range)) {
        const std::uint8_t* c = &range.data->pointColors[k * 4];
        return {c[0], c[1], c[2], c[3]};
    }
    return heightVertexColor(range.coloring, drawnZ);
}

int pointColorSlot(const DrawRange& range, int i, int j)
{
    switch (range.coloring.by) {
    case ColorBy::Height:
        return heightSlot(range.coloring, pointAt(range, i, j).z);
    case ColorBy::Group:
    case ColorBy::File:
        return dataColorIndex(range.colored ? groupAt(range, i, j) : i);
    case ColorBy::Eye:
        break;
    }
    return range.colored ? dataColorIndex(groupAt(range, i, j)) : -1;
}
