// The choice between assisted and plain drawing by the renderer that draws.
#include "render/gl/drawing_policy.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

namespace {

const char* const kPathWords[] = {"auto", "assisted", "plain"};

}  // namespace

const char* drawingPathWord(DrawingPath path)
{
    const int index = static_cast<int>(path);
    return index >= 0 && index < 3 ? kPathWords[index] : "auto";
}

bool parseDrawingPath(const std::string& word, DrawingPath& path)
{
    for (int k = 0; k < 3; ++k) {
        if (word == kPathWords[k]) {
            path = static_cast<DrawingPath>(k);
            return true;
        }
    }
    return false;
}

bool isSoftwareRenderer(const char* renderer)
{
    if (renderer == nullptr) {
        return true;  // no answer: assume the slow case, whose drawing is right everywhere
    }
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
        if (std::strstr(renderer, name) != nullptr) {
            return true;
        }
    }
    return false;
}

DrawingPath drawingPathInContext(DrawingPath chosen)
{
    if (chosen != DrawingPath::Auto) {
        return chosen;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return isSoftwareRenderer(renderer) ? DrawingPath::Assisted : DrawingPath::Plain;
}

DrawingPath drawingPathFromEnvironment(std::string& error)
{
    error.clear();
    const char* value = std::getenv("ORVELLE_DRAWING");
    DrawingPath path = DrawingPath::Auto;
    if (value != nullptr && !parseDrawingPath(value, path)) {
        error = std::string("ORVELLE_DRAWING=") + value + " names no drawing (auto, assisted or plain): drawing by the renderer";
        return DrawingPath::Auto;
    }
    return path;
}
