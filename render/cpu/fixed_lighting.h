// The renderer's fixed-function lighting worked out on the processor, for drawing that writes
// finished pixels itself: directional lights, the viewer infinitely far away, one-sided
// lighting, a colour per vertex clamped to 0..1. The drawing reads what it needs of a pass from
// OpenGL (render/gl) and hands it over here.
#pragma once

constexpr int kMostLights = 8;

// One light in eye coordinates.
struct LightTerms {
    float ambient[4], diffuse[4], specular[4];
    float direction[3];  // towards the light, unit length
    float halfway[3];    // the unit halfway vector between it and the way to the viewer (0, 0, 1)
};

struct FixedLighting {
    int lightCount = 0;
    LightTerms lights[kMostLights];
    float modelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    // The vertex colour stands for the ambient and the diffuse material (colour material).
    bool colorMaterial = false;
};

struct Material {
    float ambient[4], diffuse[4], specular[4], emission[4];
    float shininess = 0.0f;
};

// A material under the pass's lights: what a vertex's colour is made of besides its normal.
struct MaterialTerms {
    float base[3];  // emission, and the ambient of the light model and of every light
    float diffuse[kMostLights][3];
    float specular[kMostLights][3];
    float alpha;
    float shininess;
    int lightCount;
};

// The terms of a material; vertexColor (red, green, blue, alpha from 0 to 1) stands for its
// ambient and diffuse parts when the lighting says so, and is ignored otherwise.
MaterialTerms materialTerms(const FixedLighting& lighting, const Material& material, const float* vertexColor);

// The lit colour of a vertex with the given normal in eye coordinates (any length but 0; it
// is normalised as the renderer normalises it), each component clamped to 0..1.
void litColor(const FixedLighting& lighting, const MaterialTerms& terms, const float normal[3], float out[4]);

// The same from the unit normal's dot products with each light's direction and halfway vector.
void litColorFromDots(const MaterialTerms& terms, const float* toLight, const float* halfway, float out[4]);
