// The command line of orvelle-render: accepted forms, usage errors that name the bad
// option, and how the options reach the viewer's settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/view_maths.h"
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
    ASSERT_TRUE(parse({"--format", "color", "--display", "needled", "--view", "stereo", "--scaling",
                       "uniform", "--size", "320x240", "--eye-separation", "3.5", "--focal-length", "40",
                       "--scale", "1.5", "--thickness", "0.05", "--segments", "12", "--angles", "10,-20,30",
                       "--shift", "1,2,3", "--background", "0.2,0.4,0.6", "--left-color", "0,1,0",
                       "--right-color", "1,0,1", "--data-color", "3=0.5,0.25,1", "--data-color", "49=1,1,0",
                       "--axes", "--no-file-name", "--debug", "--output", "out.png", "--frames", "5",
                       "--reference", "--swap-eyes", "--squeeze", "--anaglyph-method", "half-color",
                       "--desaturate", "0.25", "--drawing", "plain", "dir/wave.dat"},
                      o, error))
        << error;
    const Settings& s = o.settings;
    EXPECT_EQ(o.file, "dir/wave.dat");
    EXPECT_EQ(s.dataFormat, DataFormat::Colored);
    EXPECT_EQ(s.displayType, DisplayType::Needled);
    EXPECT_EQ(s.stereoMode, ViewMode::Stereo);
    EXPECT_EQ(s.axis_data, AxisScaling::Uniform);
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 240);
    EXPECT_FLOAT_EQ(s.eyeSeparation, 3.5f);
    EXPECT_FLOAT_EQ(s.focalLength, 40.0f);
    EXPECT_FLOAT_EQ(s.scale, 1.5f);
    EXPECT_FLOAT_EQ(s.thickness, 0.05f);
    EXPECT_EQ(s.segments, 12);
    EXPECT_EQ((std::vector<float>{s.angleX, s.angleY, s.angleZ}), (std::vector<float>{10.0f, -20.0f, 30.0f}));
    EXPECT_EQ((std::vector<float>(s.objTrans, s.objTrans + 3)), (std::vector<float>{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ((std::vector<float>(s.bgColor, s.bgColor + 3)), (std::vector<float>{0.2f, 0.4f, 0.6f}));
    EXPECT_FLOAT_EQ(s.dataColors[3].r, 0.5f);
    EXPECT_FLOAT_EQ(s.dataColors[3].g, 0.25f);
    EXPECT_FLOAT_EQ(s.dataColors[49].g, 1.0f);
    EXPECT_FLOAT_EQ(s.dataColors[49].b, 0.0f);
    EXPECT_TRUE(s.showAxes == 1 && s.showFileName == 0 && s.debugPrint == 1 && o.reference);
    EXPECT_EQ(o.output, "out.png");
    EXPECT_EQ(o.frames, 5);
    EXPECT_EQ(o.drawing, DrawingPath::Plain);
    EXPECT_EQ(s.swapEyes, 1);
    EXPECT_EQ(s.squeezeEyes, 1);
    EXPECT_EQ(s.anaglyphMethod, AnaglyphMethod::HalfColor);
    EXPECT_FLOAT_EQ(s.desaturation, 0.25f);
    ASSERT_TRUE(parse({"--drawing", "assisted", "f"}, o, error)) << error;
    EXPECT_EQ(o.drawing, DrawingPath::Assisted);
}

TEST(RenderOptions, ViewWordsNameTheModesInOrder)
{
    RenderOptions o;
    std::string error;
    const std::pair<const char*, ViewMode> words[] = {
        {"mono", ViewMode::Mono},
        {"anaglyph", ViewMode::Anaglyph},
        {"stereo", ViewMode::Stereo},
        {"side-by-side", ViewMode::SideBySide},
        {"top-bottom", ViewMode::TopBottom},
        {"interleaved", ViewMode::Interleaved},
        {"color-anaglyph", ViewMode::ColorAnaglyph},
    };
    for (const auto& [word, mode] : words) {
        ASSERT_TRUE(parse({"--view", word, "f"}, o, error)) << word << ": " << error;
        EXPECT_EQ(o.settings.stereoMode, mode) << word;
    }
    const std::pair<const char*, AnaglyphMethod> methods[] = {
        {"mask", AnaglyphMethod::ColorMask}, {"gray", AnaglyphMethod::Gray},
        {"half-color", AnaglyphMethod::HalfColor}, {"color", AnaglyphMethod::FullColor},
        {"dubois", AnaglyphMethod::Dubois},
    };
    for (const auto& [word, method] : methods) {
        ASSERT_TRUE(parse({"--anaglyph-method", word, "f"}, o, error)) << word << ": " << error;
        EXPECT_EQ(o.settings.anaglyphMethod, method) << word;
    }
    // The defaults: the least-squares method, 0.65 desaturation, eyes in place, not squeezed.
    ASSERT_TRUE(parse({"f"}, o, error));
    EXPECT_EQ(o.settings.anaglyphMethod, AnaglyphMethod::Dubois);
    EXPECT_FLOAT_EQ(o.settings.desaturation, 0.65f);
    EXPECT_EQ(o.settings.swapEyes + o.settings.squeezeEyes, 0);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--view", "quad", "f"}, {"--view", "Side-by-side", "f"},
          {"--anaglyph-method", "Dubois", "f"}, {"--desaturate", "1.01", "f"}, {"--desaturate", "-0.1", "f"},
          {"--desaturate", "nan", "f"}}) {
        EXPECT_FALSE(parse(bad, o, error)) << bad[0] << " " << bad[1];
        EXPECT_NE(error.find(bad[0]), std::string::npos) << error;
    }
}

TEST(RenderOptions, DefaultsAndOutputName)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"samples/wave.dat"}, o, error)) << error;
    EXPECT_EQ(o.settings.dataFormat, DataFormat::Plain);
    EXPECT_EQ(o.settings.stereoMode, ViewMode::Mono);
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.settings.displayType, Settings{}.displayType);
    EXPECT_EQ(o.output, "wave.png");
    EXPECT_EQ(o.drawing, DrawingPath::Auto);
    EXPECT_EQ(defaultOutputName("C:\\maps\\hill.mpl"), "hill.png");
    EXPECT_EQ(defaultOutputName("surface"), "surface.png");
    EXPECT_EQ(defaultOutputName("a.b/.hidden"), ".hidden.png");
    // A picture drawn from a .png never takes its input's name.
    EXPECT_EQ(defaultOutputName("maps/heights.png"), "heights-render.png");
    EXPECT_EQ(defaultOutputName("heights.png.dat"), "heights.png.png");
    EXPECT_TRUE(parse({"--help"}, o, error));
    EXPECT_TRUE(o.help);
}

TEST(RenderOptions, UsageErrorsNameTheOptionOrValue)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--format", "csv", "f"}, "--format"},
        {{"--display", "lines", "f"}, "--display"},
        {{"--view", "quad", "f"}, "--view"},
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
        {{"--format", "csv", "f"}, "auto"},
        {{"--columns", "a,b", "f"}, "--columns"},
        {{"--columns", "1,,3", "f"}, "--columns"},
        {{"--columns", "1,2,3,4,5", "f"}, "--columns"},
        {{"--watch", "f"}, "unknown option --watch"},
        {{"--drawing", "gpu", "f"}, "--drawing"},
        {{"--drawing", "Plain", "f"}, "auto, assisted or plain"},
        {{"f", "--drawing"}, "--drawing"},
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

TEST(RenderOptions, AppliedToTheSettings)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--view", "anaglyph", "--display", "grid", "--focal-length", "40", "--angles", "30,0,-15",
                       "--shift", "1,-2,0.5", "--left-color", "0,1,0", "--data-color", "4=0.5,0.5,0.5",
                       "--no-file-name", "f"},
                      o, error));
    const Settings& s = o.settings;
    EXPECT_EQ(s.stereoMode, ViewMode::Anaglyph);
    EXPECT_EQ(s.displayType, DisplayType::Grid);
    EXPECT_FLOAT_EQ(s.focalLength, 40.0f);
    // As after the viewer's reset of the view: eye separation = focal length / focal ratio.
    EXPECT_FLOAT_EQ(s.eyeSeparation, 2.0f);
    EXPECT_FLOAT_EQ(s.angleX, 30.0f);
    EXPECT_FLOAT_EQ(s.angleZ, -15.0f);
    float expected[16];
    buildRotation(30.0, 0.0, -15.0, expected);
    for (int k = 0; k < 16; ++k) {
        EXPECT_FLOAT_EQ(s.angleMat[k], expected[k]);
    }
    EXPECT_FLOAT_EQ(s.objTrans[1], -2.0f);
    EXPECT_FLOAT_EQ(s.leftColor[1], 1.0f);
    EXPECT_FLOAT_EQ(s.leftColor[3], 1.0f);
    EXPECT_FLOAT_EQ(s.dataColors[4].g, 0.5f);
    // The data colours start as the panel fills them.
    EXPECT_FLOAT_EQ(s.dataColors[0].r, 1.0f);
    EXPECT_FLOAT_EQ(s.dataColors[1].g, 1.0f);
    EXPECT_EQ(s.showFileName, 0);

    ASSERT_TRUE(parse({"--view", "stereo", "--eye-separation", "0", "f"}, o, error));
    EXPECT_EQ(o.settings.stereoMode, ViewMode::Stereo);
    EXPECT_FLOAT_EQ(o.settings.eyeSeparation, 0.0f);
}

TEST(RenderOptions, TheReaderIsDetectedUnlessNamedAndColumnsChooseTheTableReader)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"f"}, o, error)) << error;
    EXPECT_TRUE(o.load.format.automatic) << "--format auto is the default";
    LoadSettings load = loadSettingsFor(o.settings, o.load);
    EXPECT_TRUE(load.detectFormat);
    EXPECT_EQ(load.chosenIn, FormatChosenIn::Panel);
    EXPECT_TRUE(load.columns.empty());

    ASSERT_TRUE(parse({"--format", "MATRIX", "f"}, o, error)) << error;
    load = loadSettingsFor(o.settings, o.load);
    EXPECT_FALSE(load.detectFormat);
    EXPECT_EQ(load.format, DataFormat::Matrix);
    EXPECT_EQ(o.settings.dataFormat, DataFormat::Matrix);
    EXPECT_EQ(load.chosenIn, FormatChosenIn::CommandLine) << "a wrong reader is changed on the command line";

    ASSERT_TRUE(parse({"--columns", "lon,lat,height,station", "f"}, o, error)) << error;
    load = loadSettingsFor(o.settings, o.load);
    EXPECT_FALSE(load.detectFormat) << "named columns are read from a table";
    EXPECT_EQ(load.format, DataFormat::Columns);
    EXPECT_EQ(load.columns, "lon,lat,height,station");

    ASSERT_TRUE(parse({"--columns", "2,3,1", "--format", "data", "f"}, o, error)) << error;
    load = loadSettingsFor(o.settings, o.load);
    EXPECT_EQ(load.format, DataFormat::Plain) << "a reader named by --format wins";

    ASSERT_TRUE(parse({"--format", "maple", "--format", "auto", "f"}, o, error)) << error;
    EXPECT_TRUE(loadSettingsFor(o.settings, o.load).detectFormat) << "the last --format wins";
}

}  // namespace

namespace {

TEST(RenderOptions, AntialiasAndFitAreReadAndChecked)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"wave.dat"}, o, error)) << error;
    EXPECT_EQ(o.antialias, 4) << "smoothed by default";
    EXPECT_FALSE(o.fit);
    ASSERT_TRUE(parse({"--antialias", "16", "--fit", "--text-size", "1.5", "wave.dat"}, o, error)) << error;
    EXPECT_EQ(o.antialias, 16);
    EXPECT_TRUE(o.fit);
    EXPECT_FLOAT_EQ(o.settings.textSize, 1.5f);
    for (const char* bad : {"0", "17", "four", "2.5"}) {
        EXPECT_FALSE(parse({"--antialias", bad, "wave.dat"}, o, error)) << bad;
        EXPECT_NE(error.find("--antialias"), std::string::npos) << error;
    }
    EXPECT_FALSE(parse({"--text-size", "0.1", "wave.dat"}, o, error));
    // The viewer's own setting has no option here.
    EXPECT_FALSE(parse({"--no-smooth-edges", "wave.dat"}, o, error));
}

TEST(RenderOptions, SmoothingMultisamplesAndDrawsLargerForTheRest)
{
    const auto plan = [](int antialias, int largest, bool keepRows = false, int side = 8192) {
        const SmoothingPlan p = smoothingPlan(antialias, largest, keepRows, 800, 600, side);
        return std::vector<int>{p.samples, p.scale};
    };
    EXPECT_EQ(plan(1, 4), (std::vector<int>{1, 1})) << "none asked for";
    EXPECT_EQ(plan(4, 4), (std::vector<int>{4, 1})) << "the renderer's multisampling";
    EXPECT_EQ(plan(16, 4), (std::vector<int>{4, 2})) << "four samples in each of 2 x 2 pixels";
    EXPECT_EQ(plan(8, 4), (std::vector<int>{4, 2})) << "at least as many as asked for";
    EXPECT_EQ(plan(4, 0), (std::vector<int>{1, 2})) << "without multisampling: drawn twice as large";
    EXPECT_EQ(plan(16, 1), (std::vector<int>{1, 4}));
    EXPECT_EQ(plan(16, 4, true), (std::vector<int>{4, 1})) << "rows kept as the picture's own";
    EXPECT_EQ(plan(16, 0, false, 2000), (std::vector<int>{1, 2})) << "never past the largest side";
}

}  // namespace
