// The named colours of the "Color Name:" list and the starting data colours.
#pragma once

#include "core/settings.h"

constexpr int numColorNames = 11;

struct NamedColorTable {
    const char* colorNames[numColorNames];
    float colorRedTable[numColorNames];
    float colorGreenTable[numColorNames];
    float colorBlueTable[numColorNames];
};

extern const NamedColorTable namedColorTable;

// Entries 0 to 10 from the colour rows, 11 to 49 black; the fourth float is left alone. The
// entries of the named rows (0 to 9) count as given, the others (10 to 49) as never set.
void fillDataColors(DataColor (&dataColors)[kDataColorCount]);

// Gives a data colour its red, green and blue (the fourth float stays) and marks it as given.
void giveDataColor(DataColor& color, float r, float g, float b);

// The entry of the 50 data colours that a data value is drawn in: negative values take
// entry 0, values of 50 and more repeat the table (value % 50).
int dataColorIndex(int value);
