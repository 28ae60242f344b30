// Which drawing a frame takes from the kept geometry. A software renderer (Mesa's
// llvmpipe, softpipe or swrast) shades every vertex on the processor, where finding on
// two threads what is hidden or smaller than a pixel pays for itself many times over
// ("assisted" drawing). A graphics card draws the kept arrays faster than the processor
// could sort them, so on any other renderer they go to it as they are ("plain" drawing,
// in buffer objects where the context offers them). Both give the reference's picture.
#pragma once

#include <string>

enum class DrawingPath : int {
    Auto = 0,      // by the renderer of the current context
    Assisted = 1,  // processor-side culling, splatting and pixel search
    Plain = 2,     // the kept arrays as they are
};

// The words of the paths, as --drawing and ORVELLE_DRAWING take them.
const char* drawingPathWord(DrawingPath path);
// Reads a word ("auto", "assisted", "plain"); false for any other text.
bool parseDrawingPath(const std::string& word, DrawingPath& path);

// Whether a GL_RENDERER string names one of Mesa's software renderers.
bool isSoftwareRenderer(const char* renderer);

// The path a frame in the current context takes: the chosen one, or for Auto the one that
// suits the context's renderer.
DrawingPath drawingPathInContext(DrawingPath chosen);

// The path chosen in the environment variable ORVELLE_DRAWING: Auto when it is not set.
// A value that names no path is reported in error (the variable and what it takes) and
// gives Auto.
DrawingPath drawingPathFromEnvironment(std::string& error);
