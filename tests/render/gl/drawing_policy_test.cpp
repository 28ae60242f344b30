// The choice of drawing: which renderers count as software, the words of the paths, and the
// viewer's environment variable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "render/gl/drawing_policy.h"

namespace {

TEST(DrawingPolicy, MesasSoftwareRenderersAreAssistedAndOthersPlain)
{
    EXPECT_TRUE(isSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(isSoftwareRenderer("softpipe"));
    EXPECT_TRUE(isSoftwareRenderer("Mesa swrast"));
    EXPECT_TRUE(isSoftwareRenderer("Software Rasterizer"));
    // No context, no answer: the drawing that is right everywhere.
    EXPECT_TRUE(isSoftwareRenderer(nullptr));
    EXPECT_FALSE(isSoftwareRenderer("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0)"));
    EXPECT_FALSE(isSoftwareRenderer("NVIDIA GeForce RTX 3060/PCIe/SSE2"));
    EXPECT_FALSE(isSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(isSoftwareRenderer(""));
    // A chosen path stands whatever the renderer.
    EXPECT_EQ(drawingPathInContext(DrawingPath::Assisted), DrawingPath::Assisted);
    EXPECT_EQ(drawingPathInContext(DrawingPath::Plain), DrawingPath::Plain);
}

TEST(DrawingPolicy, WordsAndTheEnvironmentVariable)
{
    for (DrawingPath path : {DrawingPath::Auto, DrawingPath::Assisted, DrawingPath::Plain}) {
        DrawingPath read = DrawingPath::Auto;
        ASSERT_TRUE(parseDrawingPath(drawingPathWord(path), read)) << drawingPathWord(path);
        EXPECT_EQ(read, path);
    }
    DrawingPath read = DrawingPath::Plain;
    EXPECT_FALSE(parseDrawingPath("PLAIN", read));
    EXPECT_FALSE(parseDrawingPath("", read));
    EXPECT_EQ(read, DrawingPath::Plain) << "a refused word changes nothing";

    std::string error;
    unsetenv("ORVELLE_DRAWING");
    EXPECT_EQ(drawingPathFromEnvironment(error), DrawingPath::Auto);
    EXPECT_EQ(error, "");
    setenv("ORVELLE_DRAWING", "plain", 1);
    EXPECT_EQ(drawingPathFromEnvironment(error), DrawingPath::Plain);
    setenv("ORVELLE_DRAWING", "assisted", 1);
    EXPECT_EQ(drawingPathFromEnvironment(error), DrawingPath::Assisted);
    EXPECT_EQ(error, "");
    setenv("ORVELLE_DRAWING", "fast", 1);
    EXPECT_EQ(drawingPathFromEnvironment(error), DrawingPath::Auto);
    EXPECT_NE(error.find("ORVELLE_DRAWING=fast"), std::string::npos) << error;
    EXPECT_NE(error.find("auto, assisted or plain"), std::string::npos) << error;
    unsetenv("ORVELLE_DRAWING");
}

}  // namespace
