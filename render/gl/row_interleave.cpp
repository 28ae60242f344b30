// The stencil marks and depth blocks of row interleaving, both drawn as one stippled quad
// over the area: the stipple pattern is fixed to window coordinates, so its rows are the
// window's rows.
#include "render/gl/row_interleave.h"

#include <GL/gl.h>

#include <vector>

#include "render/gl/gl_context_id.h"
#include "render/gl/pixel_state.h"
#include "render/gl/smooth_target.h"

namespace {

// What the stencil buffer of a context holds.
struct RowMarks {
    const void* context = nullptr;
    // The multisampled framebuffer of smoothed frames has a stencil buffer of its own.
    unsigned long smoothTarget = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int parity = 0;
};
std::vector<RowMarks> marked;
bool depthBlockingForced = false;
int keptParity = -1;

RowMarks* marksOf(const void* context)
{
    for (RowMarks& marks : marked) {
        if (marks.context == context) {
            return &marks;
        }
    }
    return nullptr;
}

// A 32 x 32 stipple of every second row, starting at row parity (window rows from the bottom).
void setRowStipple(int parity)
{
    GLubyte pattern[32 * 4];
    for (int row = 0; row < 32; ++row) {
        const GLubyte bits = (row & 1) == parity ? 0xff : 0x00;
        for (int k = 0; k < 4; ++k) {
            pattern[row * 4 + k] = bits;
        }
    }
    glPolygonStipple(pattern);
}

// A quad over the viewport at the near plane (under the identity matrices of
// pushDrawingState), every lit pixel of rows of parity, with no colour written; the caller
// sets what it writes to stencil or depth.
void drawRowQuad(int parity)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_POLYGON_STIPPLE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    setRowStipple(parity);
    glBegin(GL_QUADS);
    glVertex3f(-1.0f, -1.0f, -1.0f);
    glVertex3f(1.0f, -1.0f, -1.0f);
    glVertex3f(1.0f, 1.0f, -1.0f);
    glVertex3f(-1.0f, 1.0f, -1.0f);
    glEnd();
}

constexpr GLbitfield kQuadState = GL_ENABLE_BIT | GL_POLYGON_BIT | GL_POLYGON_STIPPLE_BIT | GL_COLOR_BUFFER_BIT |
                                  GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_TRANSFORM_BIT |
                                  GL_SCISSOR_BIT | GL_VIEWPORT_BIT;

void useArea(const Viewport& area)
{
    glViewport(area.x, area.y, area.width, area.height);
    glScissor(area.x, area.y, area.width, area.height);
    glEnable(GL_SCISSOR_TEST);
}

}  // namespace

bool markInterleavedRows(const Viewport& area, int firstPlaceParity)
{
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    if (stencilBits <= 0 || depthBlockingForced) {
        return false;
    }
    const void* context = currentGlContext();
    RowMarks* marks = marksOf(context);
    if (marks != nullptr && marks->smoothTarget == smoothTargetVersion() && marks->x == area.x &&
        marks->y == area.y && marks->width == area.width && marks->height == area.height &&
        marks->parity == firstPlaceParity) {
        return true;
    }
    pushDrawingState(kQuadState);
    useArea(area);
    glStencilMask(0xff);
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, 0xff);
    glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
    drawRowQuad(firstPlaceParity);
    popDrawingState();
    if (marks == nullptr) {
        marked.push_back(RowMarks{});
        marks = &marked.back();
    }
    *marks = RowMarks{context, smoothTargetVersion(), area.x, area.y, area.width, area.height, firstPlaceParity};
    return true;
}

void keepToRows(const Viewport& area, int firstPlaceParity, int parity, bool stencil)
{
    keptParity = parity;
    if (stencil) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_EQUAL, parity == firstPlaceParity ? 1 : 0, 0xff);
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        return;
    }
    GLboolean depthWrites = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    if (!depthWrites) {
        return;
    }
    pushDrawingState(kQuadState);
    useArea(area);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glDisable(GL_STENCIL_TEST);
    drawRowQuad(1 - parity);
    popDrawingState();
}

void stopKeepingToRows()
{
    keptParity = -1;
    glDisable(GL_STENCIL_TEST);
}

int keptRowParity()
{
    return keptParity;
}

void forceDepthRowBlocking(bool force)
{
    depthBlockingForced = force;
}

void forgetInterleavedRows(const void* context)
{
    for (auto marks = marked.begin(); marks != marked.end(); ++marks) {
        if (marks->context == context) {
            marked.erase(marks);
            return;
        }
    }
}
