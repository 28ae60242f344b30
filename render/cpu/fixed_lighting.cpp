// The fixed-function lighting equation for directional lights and a viewer far away.
#include "render/cpu/fixed_lighting.h"

#include <algorithm>
#include <cmath>

namespace {

// x to the power p, for x from 0 to 1: whole powers by squaring (the usual shininess of 60
// takes eight multiplications instead of a logarithm and an exponential).
float power(float x, float p)
{
    if (p >= 0.0f && p <= 128.0f && p == std::floor(p)) {
        float result = 1.0f;
        for (int n = static_cast<int>(p); n > 0; n >>= 1) {
            if ((n & 1) != 0) {
                result *= x;
            }
            x *= x;
        }
        return result;
    }
    return std::pow(x, p);
}

}  // namespace

MaterialTerms materialTerms(const FixedLighting& lighting, const Material& material, const float* vertexColor)
{
    const bool fromVertex = lighting.colorMaterial && vertexColor != nullptr;
    const float* ambient = fromVertex ? vertexColor : material.ambient;
    const float* diffuse = fromVertex ? vertexColor : material.diffuse;
    MaterialTerms t{};
    t.lightCount = lighting.lightCount;
    t.shininess = material.shininess;
    t.alpha = diffuse[3];
    for (int c = 0; c < 3; ++c) {
        float ambientLight = lighting.modelAmbient[c];
        for (int l = 0; l < lighting.lightCount; ++l) {
            ambientLight += lighting.lights[l].ambient[c];
        }
        t.base[c] = material.emission[c] + ambientLight * ambient[c];
        for (int l = 0; l < lighting.lightCount; ++l) {
            t.diffuse[l][c] = lighting.lights[l].diffuse[c] * diffuse[c];
            t.specular[l][c] = lighting.lights[l].specular[c] * material.specular[c];
        }
    }
    return t;
}

void litColorFromDots(const MaterialTerms& terms, const float* toLight, const float* halfway, float out[4])
{
    float sum[3] = {terms.base[0], terms.base[1], terms.base[2]};
    for (int l = 0; l < terms.lightCount; ++l) {
        if (!(toLight[l] > 0.0f)) {
            continue;  // lit from behind: neither diffuse nor specular light
        }
        const float shine = power(std::max(halfway[l], 0.0f), terms.shininess);
        for (int c = 0; c < 3; ++c) {
            sum[c] += toLight[l] * terms.diffuse[l][c] + shine * terms.specular[l][c];
        }
    }
    for (int c = 0; c < 3; ++c) {
        out[c] = std::clamp(sum[c], 0.0f, 1.0f);
    }
    out[3] = std::clamp(terms.alpha, 0.0f, 1.0f);
}

void litColor(const FixedLighting& lighting, const MaterialTerms& terms, const float normal[3], float out[4])
{
    const float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    const float scale = length > 0.0f ? 1.0f / length : 0.0f;
    float toLight[kMostLights], halfway[kMostLights];
    for (int l = 0; l < terms.lightCount; ++l) {
        const LightTerms& light = lighting.lights[l];
        toLight[l] = (normal[0] * light.direction[0] + normal[1] * light.direction[1] + normal[2] * light.direction[2]) *
                     scale;
        halfway[l] = (normal[0] * light.halfway[0] + normal[1] * light.halfway[1] + normal[2] * light.halfway[2]) *
                     scale;
    }
    litColorFromDots(terms, toLight, halfway, out);
}
