// The drawing from kept vertex arrays against the immediate-mode reference: the same
// pictures for every display type and format, on the assisted and the plain drawing, and
// kept geometry that follows every change.
#define GL_GLEXT_PROTOTYPES
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/navigation.h"
#include "app/viewer_state.h"
#include "core/data_set.h"
#include "core/colors.h"
#include "render/gl/data_drawing.h"
#include "render/gl/fast_drawing.h"
#include "render/gl/frame.h"
#include "render/cpu/geometry_cache.h"
#include "render/gl/offscreen_context.h"

#include "tests/render/gl/picture_probe.h"
#include "tests/support/wave_grid.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
// Pixels that may differ between the two paths: where edges of the same triangles are
// rasterised from vertices rounded differently, a few pixels along an edge can flip.
constexpr double kEdgeFraction = 0.002;
// Dense points in Anaglyph across the plane of zero parallax: see
// ManyPointsSharePixelsWithoutChangingThePicture.
constexpr double kNearTieFraction = 0.01;

struct Comparison {
    int differing = 0;
    int drawnReference = 0;  // pixels not of the background
    int drawnFast = 0;
};

// A wavy grid of nx sets of ny points in the cube; data values from -3 upwards, some
// beyond the 50 colours.
void loadGrid(int nx, int ny, int format, double wave = 1.0)
{
    const unsigned long generation = dataSet.generation;
    dataSet = waveGrid(nx, ny, format, wave);
    dataSet.generation = generation;
    dataSet.tx = 0.25f;
    dataSet.ty = -0.5f;
    dataSet.tz = 0.125f;
    ++dataSet.generation;
}

class FastPath : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(openPictureContext(kWidth, kHeight, false, error)) << error;
    }
    static void TearDownTestSuite()
    {
        displayState.referenceDrawing = false;
        displayState.drawing = DrawingPath::Auto;
        displayState.geometry = GeometryStore();
        displayState.geometry.clear();
        closeOffscreenContext();
    }

    void SetUp() override
    {
        resetViewerForPicture();
        viewer.showFileName = 0;
        viewer.angleX = 30.0f;
        viewer.angleY = 25.0f;
        buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
        displayState.referenceDrawing = false;
        displayState.drawing = DrawingPath::Assisted;
        displayState.geometry = GeometryStore();
    }

    // What earlier frames leave behind, made the same for both paths.
    static void startState(GLenum polygonMode)
    {
        glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
        glLineWidth(1.0f);
        glPointSize(1.0f);
        glDisable(GL_POINT_SMOOTH);
        glNormal3f(0.0f, 0.0f, 1.0f);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    static std::vector<unsigned char> frame(bool reference, GLenum polygonMode,
                                            DrawingPath drawing = DrawingPath::Assisted)
    {
        displayState.referenceDrawing = reference;
        displayState.drawing = drawing;
        startState(polygonMode);
        displayViewerFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return readOffscreenPicture(0);
    }

    static bool background(const unsigned char* px) { return px[0] == 255 && px[1] == 255 && px[2] == 255; }

    // The reference frame, then the plain drawing and the assisted drawing each twice (built,
    // then drawn from what was kept); the plain drawing's comparison goes to lastPlain. The
    // assisted drawing draws filled tubes both ways, as pixels and as triangles: the worse
    // counts.
    static Comparison compare(GLenum polygonMode = GL_FILL)
    {
        const std::vector<unsigned char> reference = frame(true, polygonMode);
        lastPlain = against(reference, polygonMode, DrawingPath::Plain);
        Comparison worst;
        for (const TubeDrawing tubes : {TubeDrawing::Pixels, TubeDrawing::Triangles}) {
            displayState.tubeChoice.fix(tubes);
            const Comparison c = against(reference, polygonMode, DrawingPath::Assisted);
            worst = c.differing >= worst.differing ? c : worst;
        }
        displayState.tubeChoice.unfix();
        return worst;
    }

    static Comparison against(const std::vector<unsigned char>& reference, GLenum polygonMode, DrawingPath drawing)
    {
        frame(false, polygonMode, drawing);
        const std::vector<unsigned char> fast = frame(false, polygonMode, drawing);
        Comparison c;
        for (std::size_t k = 0; k + 2 < reference.size(); k += 3) {
            int worst = 0;
            for (int ch = 0; ch < 3; ++ch) {
                worst = std::max(worst, std::abs(reference[k + ch] - fast[k + ch]));
            }
            c.differing += worst > 3 ? 1 : 0;
            c.drawnReference += background(&reference[k]) ? 0 : 1;
            c.drawnFast += background(&fast[k]) ? 0 : 1;
        }
        return c;
    }

    // The assisted drawing's comparison c, and the plain drawing's of the same compare().
    static void expectSame(const Comparison& c, const std::string& what, double fraction = kEdgeFraction)
    {
        expectOne(c, what + " (assisted)", fraction);
        expectOne(lastPlain, what + " (plain)", fraction);
    }

    static void expectOne(const Comparison& c, const std::string& what, double fraction)
    {
        EXPECT_GT(c.drawnReference, 200) << what << ": the scene must show something";
        EXPECT_LE(c.differing, fraction * kWidth * kHeight)
            << what << ": " << c.differing << " pixels differ; drawn " << c.drawnReference << " and "
            << c.drawnFast;
    }

    static Comparison lastPlain;
};
Comparison FastPath::lastPlain;

TEST_F(FastPath, EveryDisplayTypeAndFormatLooksAsInImmediateMode)
{
    setSetting(viewer.thickness, 0.1f);  // tubes about four pixels across: drawn as meshes
    for (int format = 0; format < 3; ++format) {
        loadGrid(9, 11, format);
        for (int type = 0; type < 5; ++type) {
            setSetting(viewer.displayType, static_cast<DisplayType>(type));
            expectSame(compare(), "format " + std::to_string(format) + " type " + std::to_string(type));
        }
    }
}

TEST_F(FastPath, ColouredByValueEveryDisplayTypeLooksAsInImmediateMode)
{
    // Each colour's points, tubes and quadrilaterals in its own material, or by height with
    // colours of their own at the vertices of tubes and quadrilaterals, in both drawings.
    setSetting(viewer.thickness, 0.1f);
    for (ColorBy by : {ColorBy::Height, ColorBy::Group}) {
        setSetting(viewer.colorBy, by);
        for (int format = 0; format < 3; ++format) {
            loadGrid(9, 11, format);
            for (int type = 0; type < 5; ++type) {
                setSetting(viewer.displayType, static_cast<DisplayType>(type));
                const std::string what = "colour by " + std::to_string(static_cast<int>(by)) + " format " +
                                         std::to_string(format) + " type " + std::to_string(type);
                expectSame(compare(), what);
                if (type >= 3) {
                    expectSame(compare(GL_LINE), what + " in outline");
                }
            }
        }
    }
    setSetting(viewer.colorBy, ColorBy::Eye);
}

TEST_F(FastPath, FineSurfacesLookAsInImmediateMode)
{
    // 300 x 300 points: most quadrilaterals are smaller than a pixel and cover no pixel
    // centre; the filled surface leaves them out, the grid draws them all.
    for (int format = 0; format < 3; ++format) {
        loadGrid(300, 300, format);
        for (int type : {3, 4}) {
            setSetting(viewer.displayType, static_cast<DisplayType>(type));
            setSetting(viewer.thickness, 0.01f);
            const std::string what = "format " + std::to_string(format) + " type " + std::to_string(type);
            expectSame(compare(), what);
            // The right eye's pixels of a filled surface of one colour are found with the left eye's.
            viewer.stereoMode = ViewMode::Anaglyph;
            const unsigned long before = displayState.secondEye.sharedPasses;
            expectSame(compare(), what + " anaglyph");
            EXPECT_EQ(displayState.secondEye.sharedPasses > before, type == 4 && format != 2) << what;
            viewer.stereoMode = ViewMode::Mono;
            viewer.scale = -1.4f;
            expectSame(compare(), what + " scale -1.4");
            // Quadrilaterals of three to four pixels: some drawn as pixels, some as polygons.
            viewer.scale = 5.0f;
            expectSame(compare(), what + " scale 5");
            viewer.scale = 1.0f;
        }
    }
}

TEST_F(FastPath, FilledSurfacesOfEveryFormatAreShadedInEveryDrawing)
{
    // A wavy surface in one material: its flat quadrilaterals face the lights at many angles,
    // so a shaded picture holds many brightnesses; one without normals holds one.
    setSetting(viewer.displayType, DisplayType::Filled);
    for (int format = 0; format < 3; ++format) {
        for (int cells : {12, 300}) {  // quadrilaterals drawn as polygons, and mostly as pixels
            loadGrid(cells, cells, format);
            std::fill(dataSet.groupArray.begin(), dataSet.groupArray.end(), 1);
            for (DrawingPath drawing : {DrawingPath::Assisted, DrawingPath::Plain}) {
                for (bool reference : {true, false}) {
                    const std::vector<unsigned char> picture = frame(reference, GL_FILL, drawing);
                    int low = 255, high = 0, drawn = 0;
                    for (std::size_t k = 0; k + 2 < picture.size(); k += 3) {
                        if (!background(&picture[k])) {
                            const int brightest = std::max({picture[k], picture[k + 1], picture[k + 2]});
                            low = std::min(low, brightest);
                            high = std::max(high, brightest);
                            ++drawn;
                        }
                    }
                    const std::string what = "format " + std::to_string(format) + ", " + std::to_string(cells) +
                                             " cells, " + (reference ? "immediate" : "arrays") + " drawing " +
                                             std::to_string(static_cast<int>(drawing));
                    EXPECT_GT(drawn, 5000) << what;
                    EXPECT_GT(high - low, 60) << what;
                }
            }
        }
    }
}

TEST_F(FastPath, TubesOfThreeAndSixtySidesNegativeScaleAndAnaglyph)
{
    setSetting(viewer.thickness, 0.15f);
    for (int format : {0, 2}) {
        loadGrid(6, 7, format, 1.5);
        for (int type : {1, 2}) {
            setSetting(viewer.displayType, static_cast<DisplayType>(type));
            const std::string what = "format " + std::to_string(format) + " type " + std::to_string(type);
            setSetting(viewer.segments, 3);
            expectSame(compare(), what + " segments 3");
            setSetting(viewer.segments, 60);
            expectSame(compare(), what + " segments 60");
            setSetting(viewer.segments, 8);
            viewer.scale = -1.0f;
            expectSame(compare(), what + " scale -1");
            viewer.scale = 1.0f;
            viewer.stereoMode = ViewMode::Anaglyph;
            expectSame(compare(), what + " anaglyph");
            viewer.stereoMode = ViewMode::Mono;
        }
    }
}

TEST_F(FastPath, TubesFromEveryAngleShowNoHiddenFaceMissing)
{
    // Only the faces of a tube turned towards the eye are drawn; from every side, mirrored,
    // for either eye of Anaglyph and with the near plane cutting tubes open the picture
    // stays that of all faces. Joined tubes run along z and needles along y, so the angles
    // below look along both, across them and askew.
    setSetting(viewer.thickness, 0.3f);
    setSetting(viewer.segments, 8);
    loadGrid(5, 6, 2, 1.5);
    const float angles[][2] = {{0.0f, 0.0f}, {0.0f, 180.0f}, {90.0f, 0.0f}, {-90.0f, 0.0f},
                               {0.0f, 90.0f}, {-60.0f, 150.0f}, {200.0f, -35.0f}};
    for (int type : {1, 2}) {
        setSetting(viewer.displayType, static_cast<DisplayType>(type));
        for (const auto& a : angles) {
            viewer.angleX = a[0];
            viewer.angleY = a[1];
            buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
            const std::string what = "type " + std::to_string(type) + " angles " + std::to_string(a[0]) + ", " +
                                     std::to_string(a[1]);
            expectSame(compare(), what);
            viewer.scale = -1.3f;
            expectSame(compare(), what + " scale -1.3");
            viewer.stereoMode = ViewMode::Anaglyph;
            expectSame(compare(), what + " scale -1.3 anaglyph");
            viewer.scale = 1.0f;
            expectSame(compare(), what + " anaglyph");
            viewer.stereoMode = ViewMode::Mono;
        }
    }
    // The eye inside a tube: every face that shows is turned away from it.
    const unsigned long generation = dataSet.generation;
    dataSet = DataSet{};
    dataSet.generation = generation;
    dataSet.coordArray = {{0.0, 0.0, -4.0}, {0.05, 0.02, 4.0}, {1.0, 0.5, 6.0}};
    dataSet.fnTrf.nx = 1;
    dataSet.fnTrf.pointsPerSet = 3;
    ++dataSet.generation;
    setSetting(viewer.displayType, DisplayType::Joined);
    viewer.angleX = 0.0f;
    viewer.angleY = 10.0f;
    buildRotation(viewer.angleX, viewer.angleY, viewer.angleZ, viewer.angleMat);
    viewer.objTrans[2] = -19.0f;
    expectSame(compare(), "eye inside a tube");
    displayState.geometry = GeometryStore(64);
    expectSame(compare(), "eye inside a tube, generated per frame");
}

TEST_F(FastPath, TubesAFewPixelsWideLeaveOutOnlyFacesThatCoverNoPixelCentre)
{
    // Tubes two to three pixels across, just too wide to be lines: most of their faces cover
    // no pixel centre and are left out, the rest must give the picture of all faces.
    // Lines would differ from the tubes by more than the edge fraction.
    loadGrid(24, 30, 2, 1.5);
    setSetting(viewer.thickness, 0.06f);
    for (int segments : {8, 60}) {
        setSetting(viewer.segments, segments);
        for (int type : {1, 2}) {
            setSetting(viewer.displayType, static_cast<DisplayType>(type));
            const std::string what = "segments " + std::to_string(segments) + " type " + std::to_string(type);
            expectSame(compare(), what);
            // Two eyes: the right eye's faces are found with the left eye's and taken over.
            for (int stereoMode : {1, 2}) {
                viewer.stereoMode = static_cast<ViewMode>(stereoMode);
                const unsigned long before = displayState.secondEye.sharedPasses;
                expectSame(compare(), what + " stereo mode " + std::to_string(stereoMode));
                EXPECT_GT(displayState.secondEye.sharedPasses, before) << what;
            }
            viewer.stereoMode = ViewMode::Mono;
        }
    }
}

TEST_F(FastPath, ModesOfBothEyesInOneWindowLookAsInImmediateMode)
{
    // Points, the fine filled surface and tubes share the second eye's work with the first;
    // side by side and top and bottom draw each eye into its own part of the window. The
    // tubes stay meshes (some pixels across) in the halves too.
    struct Scene {
        DisplayType type;
        int nx, ny, format;
        float thickness;
    };
    const Scene scenes[] = {{DisplayType::Points, 200, 200, 0, 0.02f},
                            {DisplayType::Filled, 300, 300, 0, 0.01f},
                            {DisplayType::Joined, 24, 30, 2, 0.12f}};
    for (const Scene& scene : scenes) {
        loadGrid(scene.nx, scene.ny, scene.format, 1.5);
        setSetting(viewer.displayType, scene.type);
        setSetting(viewer.thickness, scene.thickness);
        for (int mode = 3; mode < kViewModeCount; ++mode) {
            viewer.stereoMode = static_cast<ViewMode>(mode);
            for (const int swap : {0, 1}) {
                viewer.swapEyes = swap;
                const unsigned long before = displayState.secondEye.sharedPasses;
                const std::string what = "type " + std::to_string(static_cast<int>(scene.type)) + " view mode " +
                                         std::to_string(mode) + (swap ? " swapped" : "");
                expectSame(compare(), what);
                EXPECT_GT(displayState.secondEye.sharedPasses, before) << what;
            }
        }
        viewer.stereoMode = ViewMode::Mono;
        viewer.swapEyes = 0;
    }
}

TEST_F(FastPath, WireOutlineStateShowsEveryStackAndLoop)
{
    // A surface grid leaves polygon mode GL_LINE behind; tubes then show as outlines of
    // all their stacks and loops, which the fast path must not thin out.
    loadGrid(5, 6, 0);
    setSetting(viewer.thickness, 0.2f);
    setSetting(viewer.segments, 12);
    for (int type : {1, 2}) {
        setSetting(viewer.displayType, static_cast<DisplayType>(type));
        expectSame(compare(GL_LINE), "wire outlines of type " + std::to_string(type));
    }
}

TEST_F(FastPath, PerFrameTubeGenerationMatchesTheKeptMesh)
{
    loadGrid(7, 9, 2);
    setSetting(viewer.thickness, 0.12f);
    setSetting(viewer.displayType, DisplayType::Needled);
    displayState.geometry = GeometryStore(4096);  // far below the mesh of these tubes
    expectSame(compare(), "needles generated per frame");
    setSetting(viewer.displayType, DisplayType::Joined);
    expectSame(compare(), "joined tubes generated per frame");
}

TEST_F(FastPath, ManyPointsSharePixelsWithoutChangingThePicture)
{
    // 200 x 200 points, most pixels covered by several: each covered pixel is drawn once,
    // at the nearest depth.
    setSetting(viewer.displayType, DisplayType::Points);
    for (int format : {0, 2}) {
        loadGrid(200, 200, format);
        for (float thickness : {0.01f, 0.03f}) {
            setSetting(viewer.thickness, thickness);
            const Comparison c = compare();
            expectSame(c, "points of format " + std::to_string(format) + " thickness " + std::to_string(thickness));
            EXPECT_NEAR(c.drawnFast, c.drawnReference, c.drawnReference / 50);
        }
    }
    // Many more points are shared out between two threads.
    loadGrid(400, 400, 0);
    setSetting(viewer.thickness, 0.02f);
    expectSame(compare(), "points found by two threads");

    // The right eye's points are depth-tested against the depths that the left eye's left
    // behind. Away from the plane of zero parallax the two paths agree as in MonoView; on
    // it a point is seen at the same pixel and depth by both eyes, and which eye wins that
    // tie is decided by rounding in either path.
    // The right eye's pixels are found with the left eye's and taken over.
    loadGrid(200, 200, 0);
    viewer.objTrans[2] = 12.0f;
    for (int stereoMode : {2, 1}) {
        viewer.stereoMode = static_cast<ViewMode>(stereoMode);
        const unsigned long before = displayState.secondEye.sharedPasses;
        expectSame(compare(), "points behind the screen in stereo mode " + std::to_string(stereoMode));
        EXPECT_GT(displayState.secondEye.sharedPasses, before) << stereoMode;
    }
    viewer.objTrans[2] = -9.0f;
    expectSame(compare(), "points in anaglyph in front of the screen");
    viewer.objTrans[2] = 0.0f;
    expectSame(compare(), "points in anaglyph across the screen", kNearTieFraction);
    viewer.eyeSeparation = 0.0f;
    expectSame(compare(), "points in anaglyph with both eyes in one place");
}

TEST_F(FastPath, TubesThinnerThanAPixelBecomeLinesOfTheSameCoverage)
{
    // 40 sets of 60 points: tubes of about a pixel across, drawn as lit lines. A line
    // and a tube of that width light their pixels alike but not identically: the two
    // pictures must cover about the same pixels, and the lines must not show where the
    // tubes do not.
    loadGrid(40, 60, 0, 0.6);
    setSetting(viewer.displayType, DisplayType::Joined);
    setSetting(viewer.thickness, 0.038f);
    const Comparison joined = compare();
    EXPECT_GT(joined.drawnReference, 2000);
    EXPECT_NEAR(joined.drawnFast, joined.drawnReference, joined.drawnReference * 0.35);
    EXPECT_LE(joined.differing, joined.drawnReference * 0.6);
    // The plain drawing sends the tubes' mesh as it is: the reference's picture.
    expectOne(lastPlain, "thin tubes (plain)", kEdgeFraction);

    // Thicker tubes of the same data are meshes again and match exactly.
    setSetting(viewer.thickness, 0.05f);
    loadGrid(12, 12, 0, 0.6);
    expectSame(compare(), "tubes a few pixels across");
}

// The box of the pixels not of the background, and their mean colour.
struct Drawn {
    int x0 = kWidth, x1 = -1, y0 = kHeight, y1 = -1;
    int count = 0;
    double mean[3] = {0.0, 0.0, 0.0};
};

Drawn drawnPixels(const std::vector<unsigned char>& picture)
{
    Drawn d;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* px = &picture[(static_cast<std::size_t>(y) * kWidth + x) * 3];
            if (px[0] == 255 && px[1] == 255 && px[2] == 255) {
                continue;
            }
            d.x0 = std::min(d.x0, x);
            d.x1 = std::max(d.x1, x);
            d.y0 = std::min(d.y0, y);
            d.y1 = std::max(d.y1, y);
            ++d.count;
            for (int c = 0; c < 3; ++c) {
                d.mean[c] += px[c];
            }
        }
    }
    for (double& m : d.mean) {
        m /= std::max(d.count, 1);
    }
    return d;
}

TEST_F(FastPath, TheLighterPictureKeepsTheViewTheColoursAndTheExtent)
{
    // Every display type at a twentieth of the full picture's work, in MonoView and with both
    // eyes in one window: a sample of the points, a coarser grid, tubes of fewer slices or
    // lines. The drawn pixels' box stays within 2% of the picture's size of the full one's,
    // their colour about the full picture's.
    const auto framed = [](double share) {
        FrameInputs in = displayFrameInputs();
        in.lighter.share = share;
        startState(GL_FILL);
        displayFrame(in, displayState);
        return readOffscreenPicture(0);
    };
    for (const ViewMode mode : {ViewMode::Mono, ViewMode::SideBySide}) {
        viewer.stereoMode = mode;
        for (int type = 0; type < 5; ++type) {
            // Points: enough to be drawn as the pixels they cover; grids: fine; tubes: many
            // and about four pixels across.
            loadGrid(type == 0 ? 300 : type >= 3 ? 120 : 30, type == 0 ? 300 : type >= 3 ? 120 : 30, 0);
            setSetting(viewer.displayType, static_cast<DisplayType>(type));
            setSetting(viewer.thickness, type == 0 ? 0.02f : 0.08f);
            for (double share : {0.05, 0.3}) {
                const std::string what = "view mode " + std::to_string(static_cast<int>(mode)) + ", type " +
                                         std::to_string(type) + ", share " + std::to_string(share);
                const Drawn full = drawnPixels(framed(1.0));
                const Drawn lighter = drawnPixels(framed(share));
                ASSERT_GT(full.count, 500) << what;
                ASSERT_GT(lighter.count, 100) << what;
                EXPECT_LE(lighter.count, full.count * (type == 0 ? 1.0 : 1.1)) << what << ": lighter";
                EXPECT_LE(std::abs(lighter.x0 - full.x0), 0.02 * kWidth) << what;
                EXPECT_LE(std::abs(lighter.x1 - full.x1), 0.02 * kWidth) << what;
                EXPECT_LE(std::abs(lighter.y0 - full.y0), 0.02 * kHeight) << what;
                EXPECT_LE(std::abs(lighter.y1 - full.y1), 0.02 * kHeight) << what;
                for (int c = 0; c < 3; ++c) {
                    EXPECT_NEAR(lighter.mean[c], full.mean[c], 25.0) << what << ", channel " << c;
                }
            }
        }
    }
    viewer.stereoMode = ViewMode::Mono;
}

TEST_F(FastPath, KeptGeometryFollowsEveryChange)
{
    loadGrid(6, 8, 2);
    setSetting(viewer.displayType, DisplayType::Joined);
    setSetting(viewer.thickness, 0.12f);
    frame(false, GL_FILL);
    unsigned long builds = displayState.geometry.buildCount();
    frame(false, GL_FILL);
    viewer.stereoMode = ViewMode::Anaglyph;  // a second pass per frame draws the same geometry
    frame(false, GL_FILL);
    EXPECT_EQ(displayState.geometry.buildCount(), builds) << "unchanged frames reuse what was kept";

    // Each change that the arrays are built from must rebuild them, and the picture must then
    // be the reference's picture; a data colour is applied as the arrays are drawn.
    const auto changed = [&](const std::string& what, bool rebuilds = true) {
        frame(false, GL_FILL);
        EXPECT_EQ(displayState.geometry.buildCount(), builds + (rebuilds ? 1 : 0)) << what;
        builds = displayState.geometry.buildCount();
        expectSame(compare(), what);
        builds = displayState.geometry.buildCount();
    };
    setSetting(viewer.thickness, 0.2f);
    changed("thickness");
    setSetting(viewer.segments, 5);
    changed("segments");
    setSetting(viewer.displayType, DisplayType::Needled);
    changed("display type");
    viewer.dataColors[dataColorIndex(dataSet.groupArray[0])].g = 1.0f;
    changed("a data colour", false);
    loadGrid(6, 8, 2, -1.0);
    changed("the data");
    for (Point3d& p : dataSet.coordArray) {
        p.x *= 0.5;  // points moved without a load, which tells the kept geometry so
    }
    ++dataSet.generation;
    changed("points changed in place");
    dataSet.loadedFormat = 0;
    ++dataSet.generation;
    changed("the format");
}

TEST_F(FastPath, PlainDrawingKeepsTheArraysInBuffersUntilTheyChange)
{
    // The software renderer of the tests takes the assisted drawing unless told otherwise.
    EXPECT_EQ(drawingPathInContext(DrawingPath::Auto), DrawingPath::Assisted);
    EXPECT_EQ(drawingPathInContext(DrawingPath::Plain), DrawingPath::Plain);
    loadGrid(30, 40, 0);
    setSetting(viewer.thickness, 0.1f);  // tubes drawn as meshes on both drawings
    setSetting(viewer.displayType, DisplayType::Filled);
    frame(false, GL_FILL, DrawingPath::Plain);
    const PlainBuffers first = displayState.plainBuffers;
    ASSERT_TRUE(first.inBuffers) << "the context offers buffer objects";
    EXPECT_TRUE(glIsBuffer(first.vertices) && glIsBuffer(first.normals) && glIsBuffer(first.indices));
    frame(false, GL_FILL, DrawingPath::Plain);
    viewer.stereoMode = ViewMode::Anaglyph;
    frame(false, GL_FILL, DrawingPath::Plain);
    EXPECT_EQ(displayState.plainBuffers.vertices, first.vertices) << "unchanged frames draw from the same buffers";
    EXPECT_EQ(displayState.plainBuffers.arraysVersion, first.arraysVersion);
    // What the arrays are built from changes: the buffers are filled again, and the picture
    // is the reference's.
    for (int type : {0, 1, 2, 3}) {
        setSetting(viewer.displayType, static_cast<DisplayType>(type));
        expectSame(compare(), "display type " + std::to_string(type) + " after the filled surface");
        EXPECT_NE(displayState.plainBuffers.arraysVersion, first.arraysVersion);
    }
    // The assisted and the reference drawing find no buffer left bound.
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

}  // namespace
