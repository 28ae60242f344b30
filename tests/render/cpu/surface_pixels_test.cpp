// The pixel centres of a fine surface found on the processor: coverage, the nearest depth,
// the normal seen, and what is left to the renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "render/cpu/surface_pixels.h"
#include "tests/render/stereo_pair.h"

namespace {

constexpr int kSize = 20;  // a 20 x 20 pixel viewport

// A grid of rows of points given in normalised device coordinates, drawn with the identity
// as projection times model-view; a quadrilateral's normal is (row, column, 1) at its
// fourth vertex, so that each normal names its quadrilateral.
struct Grid {
    std::vector<float> vertices;
    std::vector<float> normals;
    int rows = 0;
    int columns = 0;

    SurfaceGrid view() const
    {
        SurfaceGrid g;
        g.vertices = vertices.data();
        g.normals = normals.data();
        g.sets = rows - 1;
        g.pointsPerSet = columns;
        return g;
    }
};

// Pixel coordinates to normalised device coordinates.
float ndc(float pixels)
{
    return pixels / kSize * 2.0f - 1.0f;
}

// rows x columns points at pixel positions x0 + i * step, y0 + j * step, depth z(i, j).
template <typename Depth>
Grid makeGrid(int rows, int columns, float x0, float y0, float step, Depth z)
{
    Grid g;
    g.rows = rows;
    g.columns = columns;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            g.vertices.insert(g.vertices.end(), {ndc(x0 + i * step), ndc(y0 + j * step), z(i, j)});
        }
    }
    g.normals.assign(g.vertices.size(), 0.0f);
    for (int i = 0; i + 1 < rows; ++i) {
        for (int j = 0; j + 1 < columns; ++j) {
            float* n = &g.normals[static_cast<std::size_t>(i * columns + j + 1) * 3];  // at P(i, j + 1)
            n[0] = static_cast<float>(i);
            n[1] = static_cast<float>(j);
            n[2] = 1.0f;
        }
    }
    return g;
}

SurfaceView identityView()
{
    SurfaceView v;
    for (int k = 0; k < 16; ++k) {
        v.clipFromModel[k] = k % 5 == 0 ? 1.0f : 0.0f;
    }
    v.width = kSize;
    v.height = kSize;
    return v;
}

// Pixel (x, y) -> depth and normal found there.
std::map<std::pair<int, int>, std::tuple<float, float, float>> byPixel(const SurfacePixels& found)
{
    std::map<std::pair<int, int>, std::tuple<float, float, float>> out;
    for (std::size_t k = 0; k * 3 < found.pixels.size(); ++k) {
        const float* p = &found.pixels[k * 3];
        const float* n = &found.normals[k * 3];
        const auto key = std::make_pair(static_cast<int>(p[0]), static_cast<int>(p[1]));
        EXPECT_EQ(out.count(key), 0u) << "pixel " << key.first << "," << key.second << " found twice";
        EXPECT_FLOAT_EQ(p[0], key.first + 0.5f);
        EXPECT_FLOAT_EQ(p[1], key.second + 0.5f);
        out[key] = std::make_tuple(p[2], n[0], n[1]);
    }
    return out;
}

TEST(SurfacePixels, EachCoveredCentreOnceWithInterpolatedDepthAndItsQuadrilateralsNormal)
{
    // 4 x 4 quadrilaterals of 2.5 pixels from (2, 3) to (12, 13): centres 2.5 ... 11.5 across
    // and 3.5 ... 12.5 up, those on the outer edge at y = 13 - 0.5 included. Depth rises with x.
    const Grid g = makeGrid(5, 5, 2.0f, 3.0f, 2.5f, [](int i, int) { return -0.5f + 0.1f * i; });
    SurfacePixels found;
    findSurfacePixels(g.view(), identityView(), found);
    EXPECT_TRUE(found.quads.empty());
    const auto pixels = byPixel(found);
    EXPECT_EQ(pixels.size(), 10u * 10u);
    for (const auto& [pixel, seen] : pixels) {
        const auto [x, y] = pixel;
        EXPECT_GE(x, 2);
        EXPECT_LE(x, 11);
        EXPECT_GE(y, 3);
        EXPECT_LE(y, 12);
        const float cx = x + 0.5f, cy = y + 0.5f;
        EXPECT_NEAR(std::get<0>(seen), -0.5f + 0.1f * (cx - 2.0f) / 2.5f, 1e-5f);
        // The quadrilateral holding the centre, where it is not on a shared edge.
        const float i = (cx - 2.0f) / 2.5f, j = (cy - 3.0f) / 2.5f;
        if (i != static_cast<int>(i) && j != static_cast<int>(j)) {
            EXPECT_EQ(std::get<1>(seen), static_cast<float>(static_cast<int>(i))) << x << "," << y;
            EXPECT_EQ(std::get<2>(seen), static_cast<float>(static_cast<int>(j))) << x << "," << y;
        }
    }
}

TEST(SurfacePixels, TheNearestWinsAndEqualDepthsKeepTheFirstWithOneOrTwoThreads)
{
    // Quadrilaterals 0, 2, ..., 19998 cover the same 8 x 2 pixels, the odd ones join them with
    // no area; enough rows that two threads share them. All lie at depth 0 but 16, which
    // runs from 0.5 at x = 4 to -0.5 at x = 12: nearer right of x = 8. Left of it the first
    // of the equal depths, 0, stays, whichever thread found which.
    Grid g;
    g.rows = 20000;
    g.columns = 2;
    for (int i = 0; i < g.rows; ++i) {
        const float x = i % 4 == 0 || i % 4 == 3 ? 4.0f : 12.0f;
        const float z = i == 16 ? 0.5f : i == 17 ? -0.5f : 0.0f;
        for (int j = 0; j < 2; ++j) {
            g.vertices.insert(g.vertices.end(), {ndc(x), ndc(j == 0 ? 4.0f : 6.0f), z});
        }
    }
    g.normals.assign(g.vertices.size(), 0.0f);
    for (int i = 0; i + 1 < g.rows; ++i) {
        g.normals[(2 * i + 1) * 3] = static_cast<float>(i);  // at P(i, 1)
    }
    for (int threads : {1, 2}) {
        for (int repeat = 0; repeat < 20; ++repeat) {
            SurfacePixels found;
            findSurfacePixels(g.view(), identityView(), found, threads);
            const auto pixels = byPixel(found);
            ASSERT_EQ(pixels.size(), 8u * 2u);
            for (const auto& [pixel, seen] : pixels) {
                const float x = pixel.first + 0.5f;
                const bool nearer = x > 8.0f;
                ASSERT_EQ(std::get<1>(seen), nearer ? 16.0f : 0.0f) << "threads " << threads << " x " << x;
                EXPECT_NEAR(std::get<0>(seen), nearer ? 0.5f - (x - 4.0f) / 8.0f : 0.0f, 1e-5f);
            }
        }
    }
}

TEST(SurfacePixels, LargeCutAndBackwardQuadrilateralsAreLeftToTheRendererAndEmptyOnesDropped)
{
    // Quadrilateral 0 is 1.0 x 0.25 pixels holding no centre; 1 is 10 x 10 pixels; 2 reaches
    // beyond the far plane; 3 reaches behind the eye (w <= 0). Each is one row of a grid.
    const auto add = [&](std::vector<float> corners, float w) {
        Grid one;
        one.rows = 2;
        one.columns = 2;
        one.vertices = std::move(corners);
        one.normals.assign(12, 0.0f);
        SurfaceView v = identityView();
        v.clipFromModel[15] = w;
        SurfacePixels found;
        findSurfacePixels(one.view(), v, found);
        return found;
    };
    const SurfacePixels tiny = add({ndc(5.6f), ndc(5.6f), 0, ndc(5.6f), ndc(5.85f), 0,  //
                                    ndc(6.4f), ndc(5.6f), 0, ndc(6.4f), ndc(5.85f), 0},
                                   1.0f);
    EXPECT_TRUE(tiny.pixels.empty());
    EXPECT_TRUE(tiny.quads.empty());

    const SurfacePixels large = add({ndc(2), ndc(2), 0, ndc(2), ndc(12), 0, ndc(12), ndc(2), 0, ndc(12), ndc(12), 0}, 1.0f);
    EXPECT_TRUE(large.pixels.empty());
    EXPECT_EQ(large.quads, (std::vector<std::uint32_t>{0}));

    const SurfacePixels far = add({ndc(5), ndc(5), 0, ndc(5), ndc(7), 1.5f, ndc(7), ndc(5), 0, ndc(7), ndc(7), 0}, 1.0f);
    EXPECT_TRUE(far.pixels.empty());
    EXPECT_EQ(far.quads.size(), 1u);

    const SurfacePixels behind = add({ndc(5), ndc(5), 0, ndc(5), ndc(7), 0, ndc(7), ndc(5), 0, ndc(7), ndc(7), 0}, -1.0f);
    EXPECT_TRUE(behind.pixels.empty());
    EXPECT_EQ(behind.quads.size(), 1u);

    // A quadrilateral half outside the viewport: only the centres inside are found.
    const SurfacePixels edge = add({ndc(-1.5f), ndc(5), 0, ndc(-1.5f), ndc(7), 0, ndc(1.5f), ndc(5), 0, ndc(1.5f), ndc(7), 0}, 1.0f);
    EXPECT_EQ(edge.pixels.size(), 2u * 3u);  // pixel 0 of rows 5 and 6
    for (std::size_t k = 0; k < edge.pixels.size(); k += 3) {
        EXPECT_FLOAT_EQ(edge.pixels[k], 0.5f);
    }
}

// A wavy 300 x 300 sheet 24 units wide for the off-axis pair of stereo_pair.h in a 200 x 150
// view: most quadrilaterals are small, those near the eyes' edges of the view are cut by one
// eye's picture edge only, and a fold near the front reaches behind the near plane. A
// quadrilateral's normal names its row and column.
struct WavySheet {
    static constexpr int kPoints = 300;
    std::vector<float> vertices, normals;
    SurfaceGrid grid;
    SurfaceView left, right;

    WavySheet()
    {
        for (int i = 0; i < kPoints; ++i) {
            for (int j = 0; j < kPoints; ++j) {
                const float x = -12.0f + 24.0f * i / (kPoints - 1), y = -9.0f + 18.0f * j / (kPoints - 1);
                const float z = 2.0f * std::sin(0.7f * x) * std::cos(0.5f * y) + (x > 10.0f ? 19.5f : 0.0f);
                vertices.insert(vertices.end(), {x, y, z});
                normals.insert(normals.end(), {static_cast<float>(i), static_cast<float>(j), 1.0f});
            }
        }
        grid.vertices = vertices.data();
        grid.normals = normals.data();
        grid.sets = kPoints - 1;
        grid.pointsPerSet = kPoints;
        offAxisPair(left.clipFromModel, right.clipFromModel);
        left.width = right.width = 200;
        left.height = right.height = 150;
    }
};

// The pixels and normals of out followed by those of every further batch.
void appendBatches(SurfacePixels& out, std::size_t most, std::vector<float>& pixels, std::vector<float>& normals)
{
    do {
        EXPECT_LE(out.pixels.size(), most * 3);
        pixels.insert(pixels.end(), out.pixels.begin(), out.pixels.end());
        normals.insert(normals.end(), out.normals.begin(), out.normals.end());
    } while (moreSurfacePixels(out, most));
}

TEST(SurfacePixels, TwoEyesAtOnceFindWhatEachFindsAlone)
{
    const WavySheet sheet;
    const SurfaceGrid& grid = sheet.grid;
    const SurfaceView& left = sheet.left;
    const SurfaceView& right = sheet.right;
    for (int threads : {1, 2}) {
        SurfacePixels bothLeft, bothRight, aloneLeft, aloneRight;
        // The eyes the other way round, never taken: nothing of it may stay behind.
        ASSERT_TRUE(findSurfacePixelsForTwo(grid, right, left, bothLeft, threads));
        ASSERT_TRUE(findSurfacePixelsForTwo(grid, left, right, bothLeft, threads));
        // A search for one eye in between leaves the second eye's finds to be taken.
        findSurfacePixels(grid, left, aloneLeft, threads);
        ASSERT_TRUE(takeSecondEyePixels(bothRight));
        EXPECT_FALSE(takeSecondEyePixels(bothRight)) << "taken once";
        findSurfacePixels(grid, right, aloneRight, threads);
        EXPECT_EQ(bothLeft.pixels, aloneLeft.pixels) << threads;
        EXPECT_EQ(bothLeft.normals, aloneLeft.normals) << threads;
        EXPECT_EQ(bothLeft.quads, aloneLeft.quads) << threads;
        EXPECT_EQ(bothRight.pixels, aloneRight.pixels) << threads;
        EXPECT_EQ(bothRight.normals, aloneRight.normals) << threads;
        EXPECT_EQ(bothRight.quads, aloneRight.quads) << threads;
        EXPECT_NE(aloneLeft.pixels, aloneRight.pixels) << "the eyes see the sheet in different places";
        EXPECT_NE(aloneLeft.quads, aloneRight.quads) << "the picture's edges cut different quadrilaterals";
        EXPECT_GT(aloneLeft.pixels.size(), 3u * 10000u);
    }
}

// The pixels (and their normals) on rows of one parity only, as a pass of row interleaving
// keeps them.
void keepRows(const SurfacePixels& all, int parity, std::vector<float>& pixels, std::vector<float>& normals)
{
    for (std::size_t k = 0; k + 2 < all.pixels.size(); k += 3) {
        if ((static_cast<int>(all.pixels[k + 1]) & 1) == parity) {
            pixels.insert(pixels.end(), &all.pixels[k], &all.pixels[k] + 3);
            normals.insert(normals.end(), &all.normals[k], &all.normals[k] + 3);
        }
    }
}

TEST(SurfacePixels, EachEyeOfRowInterleavingFindsThePixelsOfItsOwnRowsOnly)
{
    const WavySheet sheet;
    SurfacePixels aloneLeft, aloneRight;
    findSurfacePixels(sheet.grid, sheet.left, aloneLeft);
    findSurfacePixels(sheet.grid, sheet.right, aloneRight);
    for (int threads : {1, 2}) {
        for (int first : {0, 1}) {
            SurfaceView left = sheet.left, right = sheet.right;
            left.rowParity = first;
            right.rowParity = 1 - first;
            SurfacePixels bothLeft, bothRight, oneLeft;
            ASSERT_TRUE(findSurfacePixelsForTwo(sheet.grid, left, right, bothLeft, threads));
            ASSERT_TRUE(takeSecondEyePixels(bothRight));
            findSurfacePixels(sheet.grid, left, oneLeft, threads);
            const std::string what = std::to_string(threads) + " threads, first eye on rows of parity " +
                                     std::to_string(first);
            std::vector<float> leftPixels, leftNormals, rightPixels, rightNormals;
            keepRows(aloneLeft, first, leftPixels, leftNormals);
            keepRows(aloneRight, 1 - first, rightPixels, rightNormals);
            ASSERT_GT(leftPixels.size(), 3u * 5000u) << what;
            EXPECT_EQ(bothLeft.pixels, leftPixels) << what;
            EXPECT_EQ(bothLeft.normals, leftNormals) << what;
            EXPECT_EQ(bothRight.pixels, rightPixels) << what;
            EXPECT_EQ(bothRight.normals, rightNormals) << what;
            EXPECT_EQ(oneLeft.pixels, leftPixels) << what;
            // The quadrilaterals left to the renderer are not a matter of rows.
            EXPECT_EQ(bothLeft.quads, aloneLeft.quads) << what;
            EXPECT_EQ(bothRight.quads, aloneRight.quads) << what;
        }
    }
}

TEST(SurfacePixels, PixelsHandedOverInBatchesAreThoseFoundAtOnce)
{
    const WavySheet sheet;
    SurfacePixels whole, batch;
    findSurfacePixels(sheet.grid, sheet.left, whole);
    ASSERT_GT(whole.pixels.size(), 3u * 10000u);
    std::vector<float> pixels, normals;
    findSurfacePixels(sheet.grid, sheet.left, batch, 2, 1000);
    EXPECT_EQ(batch.quads, whole.quads);
    appendBatches(batch, 1000, pixels, normals);
    EXPECT_EQ(pixels, whole.pixels);
    EXPECT_EQ(normals, whole.normals);
    EXPECT_FALSE(moreSurfacePixels(batch, 1000));
    EXPECT_TRUE(batch.pixels.empty());

    // Pixels left part-way must not show in the next search, of another view.
    SurfaceView shifted = sheet.left;
    shifted.clipFromModel[12] += 0.3f;
    SurfacePixels alone;
    findSurfacePixels(sheet.grid, shifted, alone);
    findSurfacePixels(sheet.grid, sheet.left, batch, 2, 1000);
    findSurfacePixels(sheet.grid, shifted, batch);
    EXPECT_EQ(batch.pixels, alone.pixels);

    // The same for the second eye: taken in batches, left part-way by a search for one eye,
    // then searched again for two.
    SurfacePixels aloneRight;
    findSurfacePixels(sheet.grid, sheet.right, aloneRight);
    ASSERT_TRUE(findSurfacePixelsForTwo(sheet.grid, sheet.left, sheet.right, batch, 2, 1000));
    ASSERT_TRUE(takeSecondEyePixels(batch, 1000));
    pixels.clear();
    normals.clear();
    appendBatches(batch, 1000, pixels, normals);
    EXPECT_EQ(pixels, aloneRight.pixels);
    EXPECT_EQ(normals, aloneRight.normals);
    EXPECT_EQ(batch.quads, aloneRight.quads);
    ASSERT_TRUE(findSurfacePixelsForTwo(sheet.grid, sheet.right, sheet.left, batch, 2, 1000));
    ASSERT_TRUE(takeSecondEyePixels(batch, 1000));
    findSurfacePixels(sheet.grid, shifted, batch, 2, 1000);
    ASSERT_TRUE(findSurfacePixelsForTwo(sheet.grid, sheet.left, sheet.right, batch));
    ASSERT_TRUE(takeSecondEyePixels(batch));
    EXPECT_EQ(batch.pixels, aloneRight.pixels);
}

}  // namespace
