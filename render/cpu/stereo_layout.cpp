// Viewports, frustum ratios and row ownership of the two-eye arrangements.
#include "render/cpu/stereo_layout.h"

namespace {

int notBelowZero(int size)
{
    return size < 0 ? 0 : size;
}

// The part of a side that the first place gets; the second gets the rest.
int firstPart(int side)
{
    return side / 2;
}

double ratioOf(double width, double height)
{
    return width > 0.0 && height > 0.0 ? width / height : 0.0;
}

// Screen rows are even or odd whatever the sign of the row.
int parityOf(long long row)
{
    return static_cast<int>(row & 1);
}

}  // namespace

EyeArrangement arrangementOf(ViewMode mode)
{
    switch (mode) {
    case ViewMode::SideBySide: return EyeArrangement::SideBySide;
    case ViewMode::TopBottom: return EyeArrangement::TopBottom;
    case ViewMode::Interleaved: return EyeArrangement::RowInterleaved;
    default: return EyeArrangement::Overlaid;
    }
}

Eye eyeAtPlace(int place, bool swapEyes)
{
    return eyePlace(Eye::Left, swapEyes) == place ? Eye::Left : Eye::Right;
}

int eyePlace(Eye eye, bool swapEyes)
{
    const int place = eye == Eye::Left ? 0 : 1;
    return swapEyes ? 1 - place : place;
}

EyeView eyeView(EyeArrangement arrangement, Eye eye, int width, int height, bool squeezed, bool swapEyes)
{
    width = notBelowZero(width);
    height = notBelowZero(height);
    const int place = eyePlace(eye, swapEyes);
    EyeView view;
    view.viewport = {0, 0, width, height};
    switch (arrangement) {
    case EyeArrangement::SideBySide: {
        const int leftWidth = firstPart(width);
        view.viewport.x = place == 0 ? 0 : leftWidth;
        view.viewport.width = place == 0 ? leftWidth : width - leftWidth;
        break;
    }
    case EyeArrangement::TopBottom: {
        // OpenGL counts y from the bottom: the top half starts above the bottom one.
        const int topHeight = firstPart(height);
        const int bottomHeight = height - topHeight;
        view.viewport.y = place == 0 ? bottomHeight : 0;
        view.viewport.height = place == 0 ? topHeight : bottomHeight;
        break;
    }
    case EyeArrangement::Overlaid:
    case EyeArrangement::RowInterleaved:
    default:
        break;
    }
    if (view.viewport.empty()) {
        return view;
    }
    const bool split = arrangement == EyeArrangement::SideBySide || arrangement == EyeArrangement::TopBottom;
    const double whole = ratioOf(width, height);
    view.ratio = squeezed && split ? whole : ratioOf(view.viewport.width, view.viewport.height);
    if (view.ratio > 0.0 && view.ratio < whole) {
        view.heightScale = whole / view.ratio;
    }
    return view;
}

long long screenRowOfGlRow(int glRow, int windowTop, int height)
{
    // Summed in 64 bits: a window far off the screen must not overflow the row.
    return static_cast<long long>(windowTop) + height - 1 - glRow;
}

Eye eyeOfGlRow(int glRow, int windowTop, int height, bool swapEyes)
{
    const int place = parityOf(screenRowOfGlRow(glRow, windowTop, height));
    return eyePlace(Eye::Left, swapEyes) == place ? Eye::Left : Eye::Right;
}

int leftEyeRowParity(int windowTop, int height, bool swapEyes)
{
    // glRow 0 is screen row windowTop + height - 1; rows of the same parity follow.
    const int placeOfRowZero = parityOf(screenRowOfGlRow(0, windowTop, height));
    const bool rowZeroIsLeft = placeOfRowZero == eyePlace(Eye::Left, swapEyes);
    return rowZeroIsLeft ? 0 : 1;
}
