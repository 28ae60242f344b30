// Colour by value: which colour each point, tube or quadrilateral takes, told as a colour
// slot. Slots below kDataColorCount are the data colours; the kPaletteSize slots above them
// are even steps of the colour map, from its low end to its high end. Coloured by height,
// the vertices of surfaces and tubes take their own colours instead of a slot.
#pragma once

#include <array>
#include <string>

#include "core/axis_ticks.h"
#include "core/colormap.h"
#include "core/data_set.h"
#include "core/modes.h"
#include "core/settings.h"

// With the 50 data colours and "no colour of its own", a slot still fits a byte, which keeps
// the sorting of millions of primitives by colour as small as it was.
constexpr int kPaletteSize = 205;
constexpr int kPaletteFirst = kDataColorCount;
constexpr int kColorSlots = kDataColorCount + kPaletteSize;

// Whether a view mode shows the data's own colours: every mode but the two-material
// Anaglyph, whose eyes are told apart by their colours alone.
bool viewModeKeepsColors(ViewMode mode);

// How a frame colours the data: what by, and for heights where the drawn z values lie in the
// data's units, which of them the ends of the colour map stand for, and the map (which the
// vertices' own colours are made in).
struct ValueColoring {
    ColorBy by = ColorBy::Eye;
    AxisMapping z{-5.0, 0.1};
    double lo = 0.0, hi = 1.0;
    ColorMap map = ColorMap::Viridis;
};
bool operator==(const ValueColoring& a, const ValueColoring& b);
inline bool operator!=(const ValueColoring& a, const ValueColoring& b)
{
    return !(a == b);
}

// The colouring that the settings ask for, as the view mode lets it show (ColorBy::Eye in
// Anaglyph).
ValueColoring valueColoringFor(const Settings& settings, const DataSet& data);

// The values at the ends of the colour bar: the user's range when its ends differ, else the
// data's z range.
ColorRange colorBarRange(const Settings& settings, const DataSet& data);

// The label of an end of the colour bar: as many digits as tell a tenth of the range apart.
std::string colorBarLabel(double value, const ColorRange& range);

// The colour that data colour entry index (0 to 49) is drawn in: the entry itself; coloured
// by group (or by the file's colours, which data without them take as by group) in a mode
// that shows the data's colours, an entry never given a colour of its own
// (DataColor::given) takes the categorical palette's colour of its number instead of the
// table's black. The fourth float is the entry's.
DataColor groupColor(const Settings& settings, int index);

// The palette slot of a drawn (normalised) z value.
int heightSlot(const ValueColoring& coloring, double drawnZ);

// The colour of a vertex at a drawn (normalised) z value: the colour map's colour there, not
// a step of the palette, so that colours run smoothly across a quadrilateral or a tube.
// Red, green, blue and an opaque alpha, 8 bits each, as vertex colour arrays hold them.
std::array<unsigned char, 4> heightVertexColor(const ValueColoring& coloring, double drawnZ);

// The colour of a palette slot (kPaletteFirst up to kColorSlots - 1) in a colour map.
Rgb paletteColor(ColorMap map, int slot);
