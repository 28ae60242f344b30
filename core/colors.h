// The named colours, the data colour table and applying a colour to its target.
#pragma once

constexpr int numColorNames = 11;

struct NamedColorTable {
    const char* colorNames[numColorNames];
    float colorRedTable[numColorNames];
    float colorGreenTable[numColorNames];
    float colorBlueTable[numColorNames];
};

extern const NamedColorTable namedColorTable;

// Entries 0 to 10 from the colour rows, 11 to 49 black; the fourth float is left alone.
void fillDataColors();
void applyColorSettings();
