// The named colours and the data colour table they seed.
#include "core/colors.h"

// Name n (1 to 10) selects row n - 1; "custom" selects none. Row 10 has no name
// and only seeds data colour 10.
const NamedColorTable namedColorTable = {
    {"custom", "red", "green", "blue", "cyan", "magenta", "yellow", "purple", "orange", "white",
     "black"},
    {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.7f, 0.9f, 1.0f, 0.0f, 0.0f},
    {0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.4f, 0.4f, 1.0f, 0.0f, 0.0f},
    {0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.7f, 0.1f, 1.0f, 0.0f, 0.0f},
};

void fillDataColors(DataColor (&dataColors)[kDataColorCount])
{
    for (int i = 0; i < kDataColorCount; ++i) {
        DataColor& c = dataColors[i];
        if (i < numColorNames) {
            c.r = namedColorTable.colorRedTable[i];
            c.g = namedColorTable.colorGreenTable[i];
            c.b = namedColorTable.colorBlueTable[i];
        } else {
            c.r = c.g = c.b = 0.0f;
        }
        c.given = i < numColorNames - 1 ? 1 : 0;
    }
}

void giveDataColor(DataColor& color, float r, float g, float b)
{
    color.r = r;
    color.g = g;
    color.b = b;
    color.given = 1;
}

int dataColorIndex(int value)
{
    if (value < 0) {
        return 0;
    }
    return value % kDataColorCount;
}
