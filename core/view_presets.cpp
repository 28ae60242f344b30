// Preset views and the fit of the data to the window.
#include "core/view_presets.h"

#include <algorithm>

#include "core/matrix_math.h"
#include "core/view_maths.h"

namespace {

void restTrackball(Settings& settings)
{
    static const Settings defaults;
    std::copy(defaults.rotateMat, defaults.rotateMat + 16, settings.rotateMat);
}

void setAngles(Settings& settings, float x, float y, float z)
{
    settings.angleX = x;
    settings.angleY = y;
    settings.angleZ = z;
    buildRotation(x, y, z, settings.angleMat);
}

}  // namespace

PresetAngles presetAngles(PresetView view)
{
    // The turn is about x first, then y: a positive turn about x brings +y towards the eye,
    // a negative one about y brings +x towards it.
    switch (view) {
    case PresetView::Front:
        return {0.0f, 0.0f, 0.0f};
    case PresetView::Top:
        return {90.0f, 0.0f, 0.0f};
    case PresetView::Side:
        return {0.0f, -90.0f, 0.0f};
    case PresetView::ThreeQuarter:
        return {30.0f, -45.0f, 0.0f};
    }
    return {0.0f, 0.0f, 0.0f};
}

void applyPresetView(Settings& settings, PresetView view)
{
    const PresetAngles a = presetAngles(view);
    setAngles(settings, a.x, a.y, a.z);
    restTrackball(settings);
}

void fitView(Settings& settings, float fittedScale)
{
    static const Settings defaults;
    setAngles(settings, defaults.angleX, defaults.angleY, defaults.angleZ);
    restTrackball(settings);
    std::copy(defaults.objTrans, defaults.objTrans + 3, settings.objTrans);
    settings.scale = fittedScale;
}

void turnAboutVertical(Settings& settings, double degrees)
{
    float turn[16];
    buildRotation(0.0, degrees, 0.0, turn);
    float turned[16];
    multiplyMatrices(turn, settings.angleMat, turned);
    std::copy(turned, turned + 16, settings.angleMat);
}
