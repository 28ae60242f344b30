// Tubes rasterised on the processor, held against a brute-force depth test of every triangle
// of the tubes' mesh at every pixel centre: the same pixels at the same depths, on every row
// or on one row parity, and tubes through the near plane left to the renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "render/cpu/tube_raster.h"
#include "tests/render/stereo_pair.h"
#include "tests/render/tube_scenes.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

// One white light from behind the viewer, and a material of one colour for every tube.
struct Lit {
    std::vector<ColorGroup> groups;
    TubeShading shading;

    explicit Lit(std::size_t tubes) : groups{ColorGroup{-1, 0, tubes}}
    {
        LightTerms& light = shading.lighting.lights[0];
        for (int c = 0; c < 4; ++c) {
            light.ambient[c] = c == 3 ? 1.0f : 0.0f;
            light.diffuse[c] = light.specular[c] = 1.0f;
        }
        light.direction[0] = light.direction[1] = light.halfway[0] = light.halfway[1] = 0.0f;
        light.direction[2] = light.halfway[2] = 1.0f;
        shading.lighting.lightCount = 1;
        Material m;
        for (int c = 0; c < 4; ++c) {
            m.ambient[c] = 0.2f;
            m.diffuse[c] = c == 0 || c == 3 ? 1.0f : 0.3f;
            m.specular[c] = 0.5f;
            m.emission[c] = 0.0f;
        }
        m.shininess = 60.0f;
        shading.materials = {m};
        shading.groups = &groups;
    }
};

// The rasterised pixels by pixel number (row by row from the bottom) with their depths.
std::map<int, double> byPixel(const TubePixels& out)
{
    std::map<int, double> pixels;
    for (std::size_t k = 0; k < out.size(); ++k) {
        const int x = static_cast<int>(out.pixels[3 * k]), y = static_cast<int>(out.pixels[3 * k + 1]);
        EXPECT_TRUE(pixels.emplace(y * kWidth + x, out.pixels[3 * k + 2]).second) << "pixel twice: " << x << ", " << y;
    }
    return pixels;
}

// Pixels the rasterising and the brute force disagree on: in coverage, and in depth by more
// than the corners' rounding to 1/256 of a pixel makes of faces seen nearly edge-on.
struct Agreement {
    int missing = 0, extra = 0, otherDepth = 0;
};

Agreement agreement(const std::map<int, double>& raster, const Winners& winners)
{
    Agreement a;
    for (const auto& [pixel, winner] : winners) {
        const auto it = raster.find(pixel);
        if (it == raster.end()) {
            ++a.missing;
        } else if (std::fabs(it->second - winner.z) > 1.0e-5) {
            ++a.otherDepth;
        }
    }
    for (const auto& [pixel, z] : raster) {
        a.extra += winners.count(pixel) == 0 ? 1 : 0;
    }
    return a;
}

TEST(TubeRaster, CoversThePixelsTheDepthTestShowsAtTheirDepths)
{
    float projection[16], modelview[16];
    frustum(-0.5f, 0.5f, -0.375f, 0.375f, projection);
    movedAway(modelview);
    const FaceCulling c = cullingFor(projection, modelview, kWidth, kHeight);
    ASSERT_TRUE(c.on);
    // Tubes about two pixels wide and a third of a pixel long, overlapping many times over
    // (two threads share them), and tubes eight pixels wide.
    for (const auto& [points, radius] : {std::make_pair(3000, 0.1f), std::make_pair(400, 0.4f)}) {
        const Helix helix(points, 3.0, radius);
        const Lit lit(helix.set.count);
        TubePixels out;
        rasteriseTubes(helix.set, c, lit.shading, out);
        EXPECT_TRUE(out.wholeTubes.empty());
        const std::map<int, double> raster = byPixel(out);
        const Winners winners = depthTestWinners(helix.set, c.clipFromModel, c.eye, kWidth, kHeight);
        ASSERT_GT(winners.size(), 500u);
        // The brute force places corners without the renderer's rounding to 1/256 of a
        // pixel: centres on the very edge of a triangle may go either way.
        const Agreement a = agreement(raster, winners);
        const std::string what = std::to_string(points) + " tubes";
        EXPECT_LE(a.missing + a.extra, 0.002 * winners.size()) << what << ": " << a.missing << " missing, " << a.extra
                                                               << " extra";
        EXPECT_LE(a.otherDepth, 0.01 * winners.size()) << what;
        // The same words whatever thread got there first.
        TubePixels again;
        rasteriseTubes(helix.set, c, lit.shading, again);
        EXPECT_EQ(again.pixels, out.pixels) << what;
        EXPECT_EQ(again.colors, out.colors) << what;
    }
}

TEST(TubeRaster, APassOfRowInterleavingDrawsItsOwnRowsAsTheWholePictureHasThem)
{
    float projection[16], modelview[16];
    frustum(-0.5f, 0.5f, -0.375f, 0.375f, projection);
    movedAway(modelview);
    FaceCulling c = cullingFor(projection, modelview, kWidth, kHeight);
    const Helix helix(3000, 3.0, 0.1f);
    const Lit lit(helix.set.count);
    TubePixels all;
    rasteriseTubes(helix.set, c, lit.shading, all);
    const std::map<int, double> whole = byPixel(all);
    for (int parity : {0, 1}) {
        c.rowParity = parity;
        TubePixels rows;
        rasteriseTubes(helix.set, c, lit.shading, rows);
        std::map<int, double> expected;
        for (const auto& [pixel, z] : whole) {
            if ((pixel / kWidth) % 2 == parity) {
                expected[pixel] = z;
            }
        }
        EXPECT_EQ(byPixel(rows), expected) << "rows of parity " << parity;
    }
}

TEST(TubeRaster, TubesThroughTheNearPlaneAreLeftToTheRenderer)
{
    const ThroughTheNearPlane scene(kWidth, kHeight, 0.5f);
    const Lit lit(scene.tubes.size());
    TubePixels out;
    rasteriseTubes(scene.set, scene.culling, lit.shading, out);
    EXPECT_EQ(out.wholeTubes, std::vector<std::uint32_t>{0u}) << "the first reaches behind the eye";
    EXPECT_GT(out.size(), 0u) << "the second lies wholly in front";
}

}  // namespace
