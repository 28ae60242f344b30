// The two ways of mixing a colour anaglyph: a fragment shader over two textures copied from
// the buffer, or, without OpenGL 2.0, the pictures read back and mixed on the processor.
// Neither uses the imaging subset's colour matrix or the accumulation buffer: Mesa has
// no colour matrix, and its accumulation arithmetic is not exact.
#define GL_GLEXT_PROTOTYPES
#include "render/gl/anaglyph_mix.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <cstdio>
#include <list>
#include <vector>

#include "core/anaglyph.h"
#include "render/gl/gl_context_id.h"
#include "render/gl/pixel_state.h"
#include "render/gl/smooth_target.h"

namespace {

const char* const kVertexShader = R"(#version 110
void main()
{
    gl_Position = gl_Vertex;
    gl_TexCoord[0] = gl_MultiTexCoord0;
}
)";

const char* const kFragmentShader = R"(#version 110
uniform sampler2D leftEye;
uniform sampler2D rightEye;
uniform mat3 leftMatrix;
uniform mat3 rightMatrix;
void main()
{
    vec3 left = texture2D(leftEye, gl_TexCoord[0].st).rgb;
    vec3 right = texture2D(rightEye, gl_TexCoord[0].st).rgb;
    gl_FragColor = vec4(clamp(leftMatrix * left + rightMatrix * right, 0.0, 1.0), 1.0);
}
)";

// What one context keeps: the shader program, its uniforms and the eyes' textures, and
// the first eye's picture until the second eye's is mixed with it (a frame drawn in
// slices may leave it for a while, and other windows draw meanwhile).
struct ContextObjects {
    const void* context = nullptr;
    bool tried = false;  // compiled (or failed to) in this context
    GLuint program = 0;
    GLint leftMatrix = -1, rightMatrix = -1;
    GLuint textures[2] = {0, 0};
    int width = 0, height = 0;  // of the textures' storage
    // How the first eye's picture was kept, so that both halves of a mix agree.
    AnaglyphMixPath keptPath = AnaglyphMixPath::None;
    // The processor's copy of the first eye's picture: RGBA rows from the bottom.
    std::vector<std::uint8_t> keptPicture;
    int keptWidth = 0, keptHeight = 0;
};
std::list<ContextObjects> contextObjects;

bool processorForced = false;
AnaglyphMixPath lastPath = AnaglyphMixPath::None;

bool offersShaders()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    return version != nullptr && std::sscanf(version, "%d", &major) == 1 && major >= 2;
}

GLuint compiled(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool buildProgram(ContextObjects& objects)
{
    const GLuint vertex = compiled(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = compiled(GL_FRAGMENT_SHADER, kFragmentShader);
    if (vertex == 0 || fragment == 0) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);  // kept alive by the program
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        glDeleteProgram(program);
        return false;
    }
    objects.program = program;
    objects.leftMatrix = glGetUniformLocation(program, "leftMatrix");
    objects.rightMatrix = glGetUniformLocation(program, "rightMatrix");
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "leftEye"), 0);
    glUniform1i(glGetUniformLocation(program, "rightEye"), 1);
    glUseProgram(0);
    glGenTextures(2, objects.textures);
    return true;
}

bool hasShader(ContextObjects& objects)
{
    if (!objects.tried) {
        objects.tried = true;
        if (offersShaders()) {
            buildProgram(objects);
        }
    }
    return objects.program != 0;
}

// Reads from the buffer that is being drawn, in the window and in a picture without one.
void readFromDrawBuffer()
{
    GLint drawn = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawn);
    glReadBuffer(static_cast<GLenum>(drawn));
}

// Copies area of the buffer into texture, giving it storage of that size first if needed.
void copyIntoTexture(ContextObjects& objects, int eye, const Viewport& area)
{
    glBindTexture(GL_TEXTURE_2D, objects.textures[eye]);
    if (objects.width != area.width || objects.height != area.height) {
        for (int k = 0; k < 2; ++k) {
            glBindTexture(GL_TEXTURE_2D, objects.textures[k]);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, area.width, area.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        }
        objects.width = area.width;
        objects.height = area.height;
        glBindTexture(GL_TEXTURE_2D, objects.textures[eye]);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, area.x, area.y, area.width, area.height);
}

// Column order, as OpenGL takes a mat3.
void toColumns(const ColorMatrix& matrix, GLfloat out[9])
{
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) {
            out[column * 3 + row] = static_cast<GLfloat>(matrix.m[row][column]);
        }
    }
}

// Everything the mixing passes change, given back afterwards by popDrawingState.
void saveState()
{
    pushDrawingState(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT |
                     GL_PIXEL_MODE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
}

void mixByShader(ContextObjects& objects, const Viewport& area, AnaglyphMethod method, double desaturation)
{
    copyIntoTexture(objects, 1, area);
    const AnaglyphMatrices matrices = desaturatedAnaglyphMatrices(method, desaturation);
    GLfloat left[9], right[9];
    toColumns(matrices.left, left);
    toColumns(matrices.right, right);
    saveState();
    glUseProgram(objects.program);
    glUniformMatrix3fv(objects.leftMatrix, 1, GL_FALSE, left);
    glUniformMatrix3fv(objects.rightMatrix, 1, GL_FALSE, right);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, objects.textures[1]);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, objects.textures[0]);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glUseProgram(0);
    popDrawingState();
}

std::vector<std::uint8_t> readArea(const Viewport& area)
{
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(area.width) * area.height * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(area.x, area.y, area.width, area.height, GL_RGBA, GL_UNSIGNED_BYTE, picture.data());
    glPopClientAttrib();
    return picture;
}

void mixByProcessor(const ContextObjects& objects, const Viewport& area, AnaglyphMethod method, double desaturation)
{
    std::vector<std::uint8_t> mixed = readArea(area);
    AnaglyphMixer(method, desaturation).combine(objects.keptPicture.data(), mixed.data(), mixed.data(),
                                                 static_cast<std::size_t>(area.width) * area.height, 4);
    saveState();
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelZoom(1.0f, 1.0f);
    // Under identity matrices the corner of clip space is the corner of the viewport.
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(area.width, area.height, GL_RGBA, GL_UNSIGNED_BYTE, mixed.data());
    popDrawingState();
}

}  // namespace

void keepFirstEyePicture(const Viewport& area)
{
    ContextObjects& objects = entryOfCurrentContext(contextObjects);
    objects.keptPath = AnaglyphMixPath::None;
    if (area.empty()) {
        return;
    }
    readFromDrawBuffer();
    const ResolvedReading readable(area);
    if (!processorForced && hasShader(objects)) {
        copyIntoTexture(objects, 0, area);
        objects.keptPath = AnaglyphMixPath::Shader;
        return;
    }
    objects.keptPicture = readArea(area);
    objects.keptWidth = area.width;
    objects.keptHeight = area.height;
    objects.keptPath = AnaglyphMixPath::Processor;
}

void mixWithFirstEyePicture(const Viewport& area, AnaglyphMethod method, double desaturation)
{
    ContextObjects& objects = entryOfCurrentContext(contextObjects);
    if (area.empty()) {
        return;
    }
    readFromDrawBuffer();
    const ResolvedReading readable(area);
    // A picture kept for another area is of no use: the second eye's picture stays.
    if (objects.keptPath == AnaglyphMixPath::Shader && objects.width == area.width &&
        objects.height == area.height) {
        mixByShader(objects, area, method, desaturation);
        lastPath = AnaglyphMixPath::Shader;
    } else if (objects.keptPath == AnaglyphMixPath::Processor && objects.keptWidth == area.width &&
               objects.keptHeight == area.height) {
        mixByProcessor(objects, area, method, desaturation);
        lastPath = AnaglyphMixPath::Processor;
    }
}

void forceProcessorMix(bool force)
{
    processorForced = force;
}

AnaglyphMixPath lastAnaglyphMixPath()
{
    return lastPath;
}

void forgetAnaglyphMixObjects(const void* context)
{
    forgetContextEntry(contextObjects, context, [](ContextObjects& objects) {
        if (objects.program != 0) {
            glDeleteProgram(objects.program);
            glDeleteTextures(2, objects.textures);
        }
    });
}
