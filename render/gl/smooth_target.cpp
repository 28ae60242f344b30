// The multisampled framebuffer of smoothed frames, one per context, and its resolve.
#define GL_GLEXT_PROTOTYPES
#include "render/gl/smooth_target.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <list>

#include "render/gl/frame.h"
#include "render/gl/gl_context_id.h"

namespace {

// One context's multisampled framebuffer, and a plain one that a part of it is resolved into
// for reading.
struct SmoothTarget {
    const void* context = nullptr;
    unsigned long version = 0;
    GLuint framebuffer = 0, colour[2] = {0, 0}, depth = 0;
    int width = 0, height = 0, samples = 0, eyes = 0;
    GLuint readable = 0, readableColour = 0;
    int readableWidth = 0, readableHeight = 0;
};

std::list<SmoothTarget> targets;
unsigned long versions = 0;

// The frame being smoothed: its target, what it stands for and how buffers were selected.
struct Active {
    SmoothTarget* target = nullptr;
    GLint drawFramebuffer = 0, readFramebuffer = 0;
    void (*selectDrawBuffer)(unsigned int buffer) = nullptr;
};
Active active;

bool offersFramebuffers()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    if (version != nullptr && std::sscanf(version, "%d", &major) == 1 && major >= 3) {
        return true;
    }
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && std::strstr(extensions, "GL_ARB_framebuffer_object") != nullptr;
}

// The selection of a window's or picture's buffers, among the multisampled colour buffers:
// GL_BACK reaches every eye's, as it reaches both back buffers of a stereo window.
void selectSmoothBuffer(unsigned int buffer)
{
    const int eyes = active.target != nullptr ? active.target->eyes : 1;
    if (buffer == GL_BACK && eyes == 2) {
        const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        glDrawBuffers(2, both);
    } else if (buffer == GL_BACK_RIGHT && eyes == 2) {
        glDrawBuffer(GL_COLOR_ATTACHMENT1);
    } else if (buffer != GL_BACK_RIGHT) {
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
    }
    // The right eye of a target without one keeps the buffer selected, as a window does.
}

// How many colour buffers the framebuffer now drawn into has for the eyes.
int eyesOfDrawnFramebuffer(GLint framebuffer)
{
    if (framebuffer == 0) {
        GLboolean stereo = GL_FALSE;
        glGetBooleanv(GL_STEREO, &stereo);
        return stereo ? 2 : 1;
    }
    GLint type = GL_NONE;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT1,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    return type != GL_NONE ? 2 : 1;
}

void deleteBuffers(SmoothTarget& t)
{
    if (t.framebuffer != 0) {
        glDeleteFramebuffers(1, &t.framebuffer);
        glDeleteRenderbuffers(2, t.colour);
        glDeleteRenderbuffers(1, &t.depth);
    }
    if (t.readable != 0) {
        glDeleteFramebuffers(1, &t.readable);
        glDeleteRenderbuffers(1, &t.readableColour);
    }
    t.framebuffer = t.readable = 0;
    t.colour[0] = t.colour[1] = t.depth = t.readableColour = 0;
    t.readableWidth = t.readableHeight = 0;
}

bool makeBuffers(SmoothTarget& t, int samples, int width, int height, int eyes)
{
    deleteBuffers(t);
    glGenFramebuffers(1, &t.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
    glGenRenderbuffers(eyes, t.colour);
    for (int eye = 0; eye < eyes; ++eye) {
        glBindRenderbuffer(GL_RENDERBUFFER, t.colour[eye]);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + eye, GL_RENDERBUFFER, t.colour[eye]);
    }
    glGenRenderbuffers(1, &t.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, t.depth);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, t.depth);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    t.width = width;
    t.height = height;
    t.samples = samples;
    t.eyes = eyes;
    t.version = ++versions;
    if (!complete) {
        deleteBuffers(t);
    }
    return complete;
}

void bindFramebuffers(GLint draw, GLint read)
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
}

}  // namespace

int largestSampleCount()
{
    if (!offersFramebuffers()) {
        return 0;
    }
    GLint samples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &samples);
    return samples;
}

bool beginSmoothing(int samples, int width, int height)
{
    if (active.target != nullptr || samples < 2 || width <= 0 || height <= 0) {
        return false;
    }
    const int largest = largestSampleCount();
    if (largest < 2) {
        return false;
    }
    samples = std::min(samples, largest);
    GLint drawn = 0, read = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    const int eyes = eyesOfDrawnFramebuffer(drawn);
    SmoothTarget& t = entryOfCurrentContext(targets);
    if (t.framebuffer == 0 || t.width != width || t.height != height || t.samples != samples || t.eyes != eyes) {
        if (!makeBuffers(t, samples, width, height, eyes)) {
            bindFramebuffers(drawn, read);
            return false;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
    active.target = &t;
    active.drawFramebuffer = drawn;
    active.readFramebuffer = read;
    active.selectDrawBuffer = frameOutput.selectDrawBuffer;
    frameOutput.selectDrawBuffer = selectSmoothBuffer;
    selectSmoothBuffer(GL_BACK);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return true;
}

void endSmoothing(bool resolve)
{
    SmoothTarget* t = active.target;
    if (t == nullptr) {
        return;
    }
    frameOutput.selectDrawBuffer = active.selectDrawBuffer;
    if (resolve) {
        // The scissor box would cut the copy short.
        glPushAttrib(GL_SCISSOR_BIT | GL_ENABLE_BIT);
        glDisable(GL_SCISSOR_TEST);
        for (int eye = 0; eye < t->eyes; ++eye) {
            bindFramebuffers(active.drawFramebuffer, static_cast<GLint>(t->framebuffer));
            glReadBuffer(GL_COLOR_ATTACHMENT0 + eye);
            frameOutput.selectDrawBuffer(t->eyes == 1 ? GL_BACK : (eye == 0 ? GL_BACK_LEFT : GL_BACK_RIGHT));
            glBlitFramebuffer(0, 0, t->width, t->height, 0, 0, t->width, t->height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
        glPopAttrib();
    }
    bindFramebuffers(active.drawFramebuffer, active.readFramebuffer);
    frameOutput.selectDrawBuffer(GL_BACK);
    active = Active{};
}

bool smoothing()
{
    return active.target != nullptr;
}

unsigned long smoothTargetVersion()
{
    return active.target != nullptr ? active.target->version : 0;
}

ResolvedReading::ResolvedReading(const Viewport& area)
{
    SmoothTarget* t = active.target;
    if (t == nullptr || area.empty()) {
        return;
    }
    GLint drawBuffers[2] = {GL_NONE, GL_NONE}, readBuffer = GL_COLOR_ATTACHMENT0;
    glGetIntegerv(GL_DRAW_BUFFER0, &drawBuffers[0]);
    glGetIntegerv(GL_DRAW_BUFFER1, &drawBuffers[1]);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    if (t->readable == 0 || t->readableWidth != t->width || t->readableHeight != t->height) {
        if (t->readable == 0) {
            glGenFramebuffers(1, &t->readable);
            glGenRenderbuffers(1, &t->readableColour);
        }
        glBindFramebuffer(GL_FRAMEBUFFER, t->readable);
        glBindRenderbuffer(GL_RENDERBUFFER, t->readableColour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, t->width, t->height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t->readableColour);
        t->readableWidth = t->width;
        t->readableHeight = t->height;
    }
    glPushAttrib(GL_SCISSOR_BIT | GL_ENABLE_BIT);
    glDisable(GL_SCISSOR_TEST);
    bindFramebuffers(static_cast<GLint>(t->readable), static_cast<GLint>(t->framebuffer));
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    const int x1 = area.x + area.width, y1 = area.y + area.height;
    glBlitFramebuffer(area.x, area.y, x1, y1, area.x, area.y, x1, y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glPopAttrib();
    // Drawing goes on into the multisampled buffers as selected; reading comes from the copy.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, t->framebuffer);
    const GLenum selected[2] = {static_cast<GLenum>(drawBuffers[0]), static_cast<GLenum>(drawBuffers[1])};
    glDrawBuffers(drawBuffers[1] != GL_NONE ? 2 : 1, selected);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, t->readable);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    resolved_ = true;
}

ResolvedReading::~ResolvedReading()
{
    if (resolved_ && active.target != nullptr) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, active.target->framebuffer);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
    }
}

void forgetSmoothTargets(const void* context)
{
    if (active.target != nullptr && active.target->context == context) {
        active = Active{};
    }
    forgetContextEntry(targets, context, deleteBuffers);
}
