// The command line of orvelle-render: accepted forms, usage errors that name the bad
// option, and how the options reach the viewer's settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/navigation.h"
#include "app/viewer_state.h"
#include "tools/orvelle_render/render_options.h"

namespace {

bool parse(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
    options = RenderOptions{};
    error.clear();
    return parseRenderOptions(args, options, error);
}

TEST(RenderOptions, EveryOptionIsRead)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--format", "color", "--display", "needled", "--view", "side-by-side", "--scaling",
                       "uniform", "--size", "320x240", "--eye-separation", "3.5", "--focal-length", "40",
                       "--scale", "1.5", "--thickness", "0.05", "--segments", "12", "--angles", "10,-20,30",
                       "--shift", "1,2,3", "--background", "0.2,0.4,0.6", "--left-color", "0,1,0",
                       "--right-color", "1,0,1", "--data-color", "3=0.5,0.25,1", "--data-color", "49=1,1,0",
                       "--axes", "--no-file-name", "--debug", "--output", "out.png", "--frames", "5",
                       "--reference", "dir/wave.dat"},
                      o, error))
        << error;
    EXPECT_EQ(o.file, "dir/wave.dat");
    EXPECT_EQ(o.dataFormat, 2);
    EXPECT_EQ(*o.displayType, 2);
    EXPECT_EQ(o.view, PictureView::SideBySide);
    EXPECT_EQ(*o.axisScaling, 1);
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 240);
    EXPECT_FLOAT_EQ(*o.eyeSeparation, 3.5f);
    EXPECT_FLOAT_EQ(*o.focalLength, 40.0f);
    EXPECT_FLOAT_EQ(*o.scale, 1.5f);
    EXPECT_FLOAT_EQ(*o.thickness, 0.05f);
    EXPECT_EQ(*o.segments, 12);
    EXPECT_EQ(*o.angles, (std::vector<float>{10.0f, -20.0f, 30.0f}));
    EXPECT_EQ(*o.shift, (std::vector<float>{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(*o.background, (std::vector<float>{0.2f, 0.4f, 0.6f}));
    ASSERT_EQ(o.dataColors.size(), 2u);
    EXPECT_EQ(o.dataColors[0].value, 3);
    EXPECT_FLOAT_EQ(o.dataColors[0].rgb[1], 0.25f);
    EXPECT_EQ(o.dataColors[1].value, 49);
    EXPECT_TRUE(o.axes && o.noFileName && o.debug && o.reference);
    EXPECT_EQ(o.output, "out.png");
    EXPECT_EQ(o.frames, 5);
}

TEST(RenderOptions, DefaultsAndOutputName)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"samples/wave.dat"}, o, error)) << error;
    EXPECT_EQ(o.dataFormat, 0);
    EXPECT_EQ(o.view, PictureView::Mono);
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_FALSE(o.displayType.has_value());
    EXPECT_EQ(o.output, "wave.png");
    EXPECT_EQ(defaultOutputName("C:\\maps\\hill.mpl"), "hill.png");
    EXPECT_EQ(defaultOutputName("surface"), "surface.png");
    EXPECT_EQ(defaultOutputName("a.b/.hidden"), ".hidden.png");
    EXPECT_TRUE(parse({"--help"}, o, error));
    EXPECT_TRUE(o.help);
}

TEST(RenderOptions, UsageErrorsNameTheOptionOrValue)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--format", "csv", "f"}, "--format"},
        {{"--display", "lines", "f"}, "--display"},
        {{"--view", "stereo", "f"}, "--view"},
        {{"--scaling", "both", "f"}, "--scaling"},
        {{"--size", "800", "f"}, "--size"},
        {{"--size", "0x600", "f"}, "--size"},
        {{"--size", "800x600x2", "f"}, "--size"},
        {{"--eye-separation", "46", "f"}, "--eye-separation"},
        {{"--focal-length", "-1", "f"}, "--focal-length"},
        {{"--scale", "big", "f"}, "--scale"},
        {{"--scale", "inf", "f"}, "--scale"},
        {{"--scale", "1001", "f"}, "--scale"},
        {{"--thickness", "0", "f"}, "--thickness"},
        {{"--size", "8193x600", "f"}, "8193x600"},
        {{"--segments", "2", "f"}, "--segments"},
        {{"--segments", "8.5", "f"}, "--segments"},
        {{"--angles", "1,2", "f"}, "--angles"},
        {{"--angles", "1,2,3,4", "f"}, "--angles"},
        {{"--shift", "1,,3", "f"}, "--shift"},
        {{"--background", "1,1,2", "f"}, "--background"},
        {{"--left-color", "red", "f"}, "--left-color"},
        {{"--data-color", "50=1,0,0", "f"}, "--data-color"},
        {{"--data-color", "3:1,0,0", "f"}, "--data-color"},
        {{"--frames", "0", "f"}, "--frames"},
        {{"--bogus", "f"}, "--bogus"},
        {{"f", "--output"}, "--output"},
        {{"a", "b"}, "'b'"},
        {{}, "no data file"},
    };
    for (const auto& c : cases) {
        RenderOptions o;
        std::string error;
        EXPECT_FALSE(parse(c.first, o, error)) << c.second;
        EXPECT_NE(error.find(c.second), std::string::npos) << "error '" << error << "' should name " << c.second;
    }
}

TEST(RenderOptions, AppliedToTheViewer)
{
    const ViewerState saved = viewer;
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--view", "anaglyph", "--display", "grid", "--focal-length", "40", "--angles", "30,0,-15",
                       "--shift", "1,-2,0.5", "--left-color", "0,1,0", "--data-color", "4=0.5,0.5,0.5",
                       "--no-file-name", "f"},
                      o, error));
    applyRenderOptions(o);
    EXPECT_EQ(viewer.stereoMode, 1);
    EXPECT_EQ(viewer.displayType, 3);
    EXPECT_FLOAT_EQ(viewer.focalLength, 40.0f);
    // As after the viewer's reset of the view: eye separation = focal length / focal ratio.
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 2.0f);
    EXPECT_FLOAT_EQ(viewer.angleX, 30.0f);
    EXPECT_FLOAT_EQ(viewer.angleZ, -15.0f);
    float expected[16];
    buildRotation(30.0, 0.0, -15.0, expected);
    for (int k = 0; k < 16; ++k) {
        EXPECT_FLOAT_EQ(viewer.angleMat[k], expected[k]);
    }
    EXPECT_FLOAT_EQ(viewer.objTrans[1], -2.0f);
    EXPECT_FLOAT_EQ(viewer.leftColor[1], 1.0f);
    EXPECT_FLOAT_EQ(viewer.leftColor[3], 1.0f);
    EXPECT_FLOAT_EQ(viewer.dataColors[4].g, 0.5f);
    EXPECT_EQ(viewer.showFileName, 0);

    ASSERT_TRUE(parse({"--view", "side-by-side", "--eye-separation", "0", "f"}, o, error));
    applyRenderOptions(o);
    EXPECT_EQ(viewer.stereoMode, 2);
    EXPECT_FLOAT_EQ(viewer.eyeSeparation, 0.0f);
    viewer = saved;
}

}  // namespace
