// Colour by value: the colouring a frame uses and the palette slots of heights.
#include "core/value_colors.h"

#include <cmath>

bool viewModeKeepsColors(ViewMode mode)
{
    return mode != ViewMode::Anaglyph;
}

bool operator==(const ValueColoring& a, const ValueColoring& b)
{
    return a.by == b.by && a.z.rawMin == b.z.rawMin && a.z.scale == b.z.scale && a.lo == b.lo && a.hi == b.hi &&
           a.map == b.map;
}

ColorRange colorBarRange(const Settings& settings, const DataSet& data)
{
    if (settings.colorRange[0] != settings.colorRange[1]) {
        return ColorRange{settings.colorRange[0], settings.colorRange[1], true};
    }
    return dataColorRange(data.rawMin[2], data.rawMax[2]);
}

ValueColoring valueColoringFor(const Settings& settings, const DataSet& data)
{
    ValueColoring coloring;
    if (!viewModeKeepsColors(settings.stereoMode)) {
        return coloring;
    }
    coloring.by = settings.colorBy;
    if (coloring.by == ColorBy::Height) {
        coloring.z = rawAxis(data, 2);
        const ColorRange range = colorBarRange(settings, data);
        coloring.lo = range.lo;
        coloring.hi = range.hi;
        coloring.map = settings.colorMap;
    }
    return coloring;
}

DataColor groupColor(const Settings& settings, int index)
{
    DataColor c = settings.dataColors[index];
    const bool byGroup = settings.colorBy == ColorBy::Group || settings.colorBy == ColorBy::File;
    if (c.given == 0 && byGroup && viewModeKeepsColors(settings.stereoMode)) {
        const Rgb palette = categoricalColor(index);
        c.r = static_cast<float>(palette.r);
        c.g = static_cast<float>(palette.g);
        c.b = static_cast<float>(palette.b);
    }
    return c;
}

int heightSlot(const ValueColoring& coloring, double drawnZ)
{
    const double t = mapValue(cubeToRaw(drawnZ, coloring.z), coloring.lo, coloring.hi);
    return kPaletteFirst + static_cast<int>(std::lround(t * (kPaletteSize - 1)));
}

std::array<unsigned char, 4> heightVertexColor(const ValueColoring& coloring, double drawnZ)
{
    const auto rgb = toBytes(colorAt(coloring.map, mapValue(cubeToRaw(drawnZ, coloring.z), coloring.lo, coloring.hi)));
    return {rgb[0], rgb[1], rgb[2], 255};
}

Rgb paletteColor(ColorMap map, int slot)
{
    return colorAt(map, static_cast<double>(slot - kPaletteFirst) / (kPaletteSize - 1));
}

std::string colorBarLabel(double value, const ColorRange& range)
{
    return formatTickLabel(value, std::fabs(range.hi / 2.0 - range.lo / 2.0) / 5.0);
}
