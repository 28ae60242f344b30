// The culling of a pass: the eye in the model's space and the way to the window.
#include "render/cpu/tube_faces.h"

#include "core/matrix_math.h"

FaceCulling cullingFor(const float projection[16], const float modelview[16], int width, int height)
{
    FaceCulling c;
    const float* p = projection;
    if (p[3] != 0.0f || p[7] != 0.0f || p[11] != -1.0f || p[15] != 0.0f) {
        return c;
    }
    double inverse[16];
    if (!affineInverse(modelview, inverse)) {
        return c;
    }
    for (int k = 0; k < 3; ++k) {
        c.eye[k] = static_cast<float>(inverse[12 + k]);
    }
    multiplyMatrices(projection, modelview, c.clipFromModel);
    c.width = static_cast<float>(width);
    c.height = static_cast<float>(height);
    c.on = true;
    return c;
}

bool sharesAllButX(const FaceCulling& a, const FaceCulling& b)
{
    return a.on && b.on && a.width == b.width && a.height == b.height &&
           clipDiffersOnlyInX(a.clipFromModel, b.clipFromModel);
}
