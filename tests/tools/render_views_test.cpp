// orvelle-render's options for views: a saved view where it stands among the options, the
// turntable's count and picture names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/colors.h"
#include "io/view_file.h"
#include "tests/support/temp_folder.h"
#include "tools/orvelle_render/render_options.h"

namespace {

bool parse(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
    options = RenderOptions{};
    error.clear();
    return parseRenderOptions(args, options, error);
}

TEST(RenderViews, AViewFileSetsItsSettingsWhereItStandsAmongTheOptions)
{
    TempFolder folder;
    Settings saved;
    fillDataColors(saved.dataColors);
    saved.scale = 2.0f;
    saved.thickness = 0.3f;
    saved.eyeSeparation = 0.5f;
    saved.dataFormat = DataFormat::Maple;
    saved.colorBy = ColorBy::Height;
    saved.dataColors[4].r = 0.5f;
    const std::string view = folder.path("ripple.view");
    std::string error;
    ASSERT_TRUE(writeViewFile(view, saved, error)) << error;

    RenderOptions o;
    ASSERT_TRUE(parse({"--thickness", "0.1", "--view-file", view, "--scale", "3", "ripple.mpl"}, o, error)) << error;
    EXPECT_EQ(o.settings.thickness, 0.3f) << "the view's value replaces an earlier option's";
    EXPECT_EQ(o.settings.scale, 3.0f) << "a later option replaces the view's value";
    EXPECT_EQ(o.settings.eyeSeparation, 0.5f) << "the view's eye separation is kept, not coupled anew";
    EXPECT_EQ(o.settings.dataFormat, DataFormat::Maple) << "the view names the reader";
    EXPECT_EQ(o.settings.colorBy, ColorBy::Height);
    EXPECT_EQ(o.settings.dataColors[4].r, 0.5f);
    EXPECT_EQ(o.settings.dataColors[1].g, 1.0f) << "colours the view leaves alone stay as the panel has them";

    folder.write("bad.view", "# saved\nscale = 2\nsegments = many\n");
    EXPECT_FALSE(parse({"--view-file", folder.path("bad.view"), "x.dat"}, o, error));
    EXPECT_NE(error.find("bad.view: line 3: bad value for segments"), std::string::npos) << error;
    EXPECT_FALSE(parse({"--view-file", folder.path("none.view"), "x.dat"}, o, error));
    EXPECT_NE(error.find("none.view: No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(parse({"x.dat", "--view-file"}, o, error));
    EXPECT_NE(error.find("--view-file needs a value"), std::string::npos) << error;
}

TEST(RenderViews, ATurntableTakesACountAndNumbersItsPictures)
{
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--turntable", "36", "a.dat"}, o, error)) << error;
    EXPECT_EQ(o.turntable, 36);
    for (const char* bad : {"0", "-3", "3601", "ten", ""}) {
        EXPECT_FALSE(parse({"--turntable", bad, "a.dat"}, o, error)) << bad;
        EXPECT_NE(error.find("--turntable"), std::string::npos) << error;
    }
    EXPECT_FALSE(parse({"--turntable", "8", "--frames", "3", "a.dat"}, o, error));

    EXPECT_EQ(turntableName("ripple.png", 0, 36), "ripple-000.png");
    EXPECT_EQ(turntableName("out/ripple.png", 35, 36), "out/ripple-035.png");
    EXPECT_EQ(turntableName("ripple.png", 1234, 2000), "ripple-1234.png");
    EXPECT_EQ(turntableName("ripple.png", 7, 1001), "ripple-0007.png") << "every name has as many digits";
    EXPECT_EQ(turntableName("frames", 2, 4), "frames-002.png");
    EXPECT_EQ(turntableName("a.b/frames", 2, 4), "a.b/frames-002.png");
    EXPECT_NE(renderUsage().find("--turntable N"), std::string::npos);
    EXPECT_NE(renderUsage().find("--view-file F"), std::string::npos);
    EXPECT_NE(renderUsage().find("--color-by eye|height|group"), std::string::npos);
}

}  // namespace
