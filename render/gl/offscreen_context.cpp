// EGL surfaceless context with framebuffer objects standing in for the window's back
// buffers: GL_BACK_LEFT is colour attachment 0, GL_BACK_RIGHT attachment 1.
#include "render/gl/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

#include "render/gl/frame.h"
#include "render/gl/scene_parts.h"
#include "render/gl/shared_window_stereo.h"
#include "render/gl/smooth_target.h"
#include "render/gl/type_text.h"

namespace {

// Framebuffer-object entry points, looked up from EGL since they are not OpenGL 1.1.
struct FboCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLDRAWBUFFERSPROC drawBuffers = nullptr;
};

// The one offscreen context of the process; a headless program needs no more.
struct Offscreen {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    GLuint framebuffer = 0;
    GLuint colour[2] = {0, 0};
    GLuint depth = 0;
    int width = 0;
    int height = 0;
    bool twoEyes = false;
    FrameOutput windowOutput{};
    GLUquadric* quadric = nullptr;
    FboCalls gl;
};
Offscreen offscreen;

template <typename T>
bool lookUp(T& entry, const char* name)
{
    entry = reinterpret_cast<T>(eglGetProcAddress(name));
    return entry != nullptr;
}

bool lookUpFboCalls(FboCalls& gl)
{
    return lookUp(gl.genFramebuffers, "glGenFramebuffers") && lookUp(gl.bindFramebuffer, "glBindFramebuffer") &&
           lookUp(gl.deleteFramebuffers, "glDeleteFramebuffers") &&
           lookUp(gl.genRenderbuffers, "glGenRenderbuffers") &&
           lookUp(gl.bindRenderbuffer, "glBindRenderbuffer") &&
           lookUp(gl.deleteRenderbuffers, "glDeleteRenderbuffers") &&
           lookUp(gl.renderbufferStorage, "glRenderbufferStorage") &&
           lookUp(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           lookUp(gl.checkFramebufferStatus, "glCheckFramebufferStatus") &&
           lookUp(gl.drawBuffers, "glDrawBuffers");
}

// GL_BACK reaches both eyes' buffers, as it reaches both back buffers of a stereo window.
void selectOffscreenDrawBuffer(unsigned int buffer)
{
    if (buffer == GL_BACK_RIGHT) {
        glDrawBuffer(offscreen.twoEyes ? GL_COLOR_ATTACHMENT1 : GL_COLOR_ATTACHMENT0);
    } else if (buffer == GL_BACK && offscreen.twoEyes) {
        const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        offscreen.gl.drawBuffers(2, both);
    } else {
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
    }
}

// Waiting for the picture to be complete makes a frame's time the time it really takes.
void finishOffscreenFrame()
{
    glFinish();
}

std::string eglFailure(const char* step)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04x)", step, static_cast<unsigned>(eglGetError()));
    return text;
}

bool openEgl(std::string& error)
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        error = "EGL offers no eglGetPlatformDisplayEXT";
        return false;
    }
    offscreen.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (offscreen.display == EGL_NO_DISPLAY || !eglInitialize(offscreen.display, nullptr, nullptr)) {
        error = eglFailure("opening Mesa's surfaceless EGL display");
        offscreen.display = EGL_NO_DISPLAY;
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = eglFailure("eglBindAPI(EGL_OPENGL_API)");
        return false;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    if (!eglChooseConfig(offscreen.display, configAttributes, &config, 1, &found) || found == 0) {
        error = eglFailure("choosing an EGL configuration");
        return false;
    }
    offscreen.context = eglCreateContext(offscreen.display, config, EGL_NO_CONTEXT, nullptr);
    if (offscreen.context == EGL_NO_CONTEXT) {
        error = eglFailure("eglCreateContext");
        return false;
    }
    // The picture goes to framebuffer objects; the pbuffer only gives the context a home.
    const EGLint surfaceAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    offscreen.surface = eglCreatePbufferSurface(offscreen.display, config, surfaceAttributes);
    if (offscreen.surface == EGL_NO_SURFACE) {
        error = eglFailure("eglCreatePbufferSurface");
        return false;
    }
    if (!eglMakeCurrent(offscreen.display, offscreen.surface, offscreen.surface, offscreen.context)) {
        error = eglFailure("eglMakeCurrent");
        return false;
    }
    return true;
}

bool openFramebuffer(std::string& error)
{
    FboCalls& gl = offscreen.gl;
    if (!lookUpFboCalls(gl)) {
        error = "the OpenGL context offers no framebuffer objects";
        return false;
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (offscreen.width > largest || offscreen.height > largest) {
        char text[96];
        std::snprintf(text, sizeof text, "a picture side may be at most %d pixels", largest);
        error = text;
        return false;
    }
    gl.genFramebuffers(1, &offscreen.framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, offscreen.framebuffer);
    const int eyes = offscreen.twoEyes ? 2 : 1;
    gl.genRenderbuffers(eyes, offscreen.colour);
    for (int eye = 0; eye < eyes; ++eye) {
        gl.bindRenderbuffer(GL_RENDERBUFFER, offscreen.colour[eye]);
        gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, offscreen.width, offscreen.height);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + eye, GL_RENDERBUFFER,
                                   offscreen.colour[eye]);
    }
    gl.genRenderbuffers(1, &offscreen.depth);
    gl.bindRenderbuffer(GL_RENDERBUFFER, offscreen.depth);
    // Depth and stencil in one buffer, as a window has them: row interleaving marks rows
    // in the stencil.
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, offscreen.width, offscreen.height);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, offscreen.depth);
    if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        error = "the offscreen framebuffer is incomplete";
        return false;
    }
    return true;
}

}  // namespace

bool openOffscreenContext(int width, int height, bool twoEyes, const Settings& settings, std::string& error)
{
    if (offscreen.display != EGL_NO_DISPLAY) {
        error = "an offscreen context is already open";
        return false;
    }
    if (width <= 0 || height <= 0) {
        error = "the picture has no area";
        return false;
    }
    offscreen.width = width;
    offscreen.height = height;
    offscreen.twoEyes = twoEyes;
    if (!openEgl(error) || !openFramebuffer(error)) {
        closeOffscreenContext();
        return false;
    }

    offscreen.windowOutput = frameOutput;
    frameOutput.selectDrawBuffer = selectOffscreenDrawBuffer;
    frameOutput.drawText = drawTypeAtRasterPosition;
    frameOutput.finishFrame = finishOffscreenFrame;
    frameOutput.showProgress = nullptr;  // no screen to show it on
    frameOutput.measureText = nullptr;  // the file name is written in the pictures' type

    glViewport(0, 0, width, height);
    setUpDisplayState(settings);
    offscreen.quadric = gluNewQuadric();
    return true;
}

void closeOffscreenContext()
{
    if (offscreen.display == EGL_NO_DISPLAY) {
        return;
    }
    if (offscreen.windowOutput.finishFrame != nullptr) {
        frameOutput = offscreen.windowOutput;
    }
    if (offscreen.context != EGL_NO_CONTEXT &&
        eglGetCurrentContext() == offscreen.context) {
        if (offscreen.quadric != nullptr) {
            gluDeleteQuadric(offscreen.quadric);
        }
        forgetSharedWindowStereo(offscreen.context);
        forgetTypeTextures(offscreen.context);
        forgetSmoothTargets(offscreen.context);
        FboCalls& gl = offscreen.gl;
        if (offscreen.framebuffer != 0) {
            gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
            gl.deleteFramebuffers(1, &offscreen.framebuffer);
            gl.deleteRenderbuffers(2, offscreen.colour);
            gl.deleteRenderbuffers(1, &offscreen.depth);
        }
    }
    eglMakeCurrent(offscreen.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (offscreen.surface != EGL_NO_SURFACE) {
        eglDestroySurface(offscreen.display, offscreen.surface);
    }
    if (offscreen.context != EGL_NO_CONTEXT) {
        eglDestroyContext(offscreen.display, offscreen.context);
    }
    // The display stays initialised: terminating it unloads Mesa's driver, whose
    // allocations for the life of the process could then no longer be told apart from
    // leaks. A later open gets the same display back.
    offscreen = Offscreen{};
}

std::vector<unsigned char> readOffscreenPicture(int eye)
{
    const int width = offscreen.width;
    const int height = offscreen.height;
    std::vector<unsigned char> picture;
    if (offscreen.framebuffer == 0 || eye < 0 || eye > (offscreen.twoEyes ? 1 : 0)) {
        return picture;
    }
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(row * height);
    glReadBuffer(GL_COLOR_ATTACHMENT0 + eye);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    picture.resize(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        std::memcpy(&picture[static_cast<std::size_t>(y) * row],
                    &bottomUp[static_cast<std::size_t>(height - 1 - y) * row], row);
    }
    return picture;
}

GLUquadric* offscreenQuadric()
{
    return offscreen.quadric;
}

int offscreenLargestSide()
{
    if (offscreen.display == EGL_NO_DISPLAY) {
        return 0;
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    return largest;
}
