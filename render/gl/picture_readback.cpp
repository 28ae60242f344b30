// Reading back the shown picture from the back buffers.
#include "render/gl/picture_readback.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

// One buffer's viewport, its rows turned top-down (OpenGL reads them bottom-up).
std::vector<unsigned char> readBuffer(GLenum buffer, const GLint viewport[4])
{
    const int width = viewport[2], height = viewport[3];
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(row * height);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    std::vector<unsigned char> topDown(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        std::copy_n(&bottomUp[(height - 1 - y) * row], row, &topDown[y * row]);
    }
    return topDown;
}

}  // namespace

ShownPicture readShownPicture()
{
    ShownPicture picture;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0) {
        return picture;
    }
    GLboolean stereo = GL_FALSE;
    glGetBooleanv(GL_STEREO, &stereo);
    GLint readBufferBefore = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBufferBefore);
    picture.height = viewport[3];
    if (!stereo) {
        picture.width = viewport[2];
        picture.rgb = readBuffer(GL_BACK, viewport);
    } else {
        const std::vector<unsigned char> left = readBuffer(GL_BACK_LEFT, viewport);
        const std::vector<unsigned char> right = readBuffer(GL_BACK_RIGHT, viewport);
        const std::size_t row = static_cast<std::size_t>(viewport[2]) * 3;
        picture.width = 2 * viewport[2];
        picture.rgb.resize(2 * row * picture.height);
        for (int y = 0; y < picture.height; ++y) {
            std::copy_n(&left[y * row], row, &picture.rgb[2 * y * row]);
            std::copy_n(&right[y * row], row, &picture.rgb[(2 * y + 1) * row]);
        }
    }
    glReadBuffer(static_cast<GLenum>(readBufferBefore));
    return picture;
}
