// The kept vertex arrays drawn as they are, from buffer objects where the context offers
// them: points as one run per colour, surfaces row by row with one row's quadrilaterals
// as the index list of every row (coloured by value: one index list of all quadrilaterals
// in colour order), tubes as their whole kept mesh.
#define GL_GLEXT_PROTOTYPES
#include "render/gl/plain_drawing.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render/gl/chunked_drawing.h"
#include "render/gl/fast_drawing.h"
#include "render/gl/pass_state.h"

namespace {

// What a PlainBuffers holds.
enum Kind : int { kPoints, kSharedSurface, kColoredSurface, kTubeMesh, kValueOrderedSurface };

// Buffer objects came with OpenGL 1.5 and GL_ARB_vertex_buffer_object.
bool contextHasBufferObjects()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (version != nullptr && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
        (major > 1 || (major == 1 && minor >= 5))) {
        return true;
    }
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions != nullptr && std::strstr(extensions, "GL_ARB_vertex_buffer_object") != nullptr;
}

// Whether buffer names are those of objects in the current context: a new window has a new
// context, in which names of another are nothing (or, once made here, are made again).
bool buffersLive(const PlainBuffers& b)
{
    for (GLuint name : {b.vertices, b.normals, b.indices, b.colors}) {
        if (name != 0 && glIsBuffer(name) != GL_TRUE) {
            return false;
        }
    }
    return true;
}

template <typename T>
void upload(GLenum target, GLuint& name, const std::vector<T>& data)
{
    if (data.empty()) {
        return;
    }
    glGenBuffers(1, &name);
    glBindBuffer(target, name);
    glBufferData(target, static_cast<GLsizeiptr>(data.size() * sizeof(T)), data.data(), GL_STATIC_DRAW);
    glBindBuffer(target, 0);
}

// The arrays to draw from: buffer objects holding copies of the kept arrays, or the kept
// arrays themselves.
struct Sources {
    const void* vertices;
    const void* normals;
    const void* indices;
    const void* colors;
};

const std::vector<std::uint8_t> kNoColors;

// Whether the buffers hold copies of the arrays of this kind of the store at its present version.
bool buffersCurrent(const DrawContext& c, Kind kind)
{
    const PlainBuffers& b = c.buffers;
    return b.store == &c.geometry && b.arraysVersion == c.geometry.arraysVersion() && b.kind == kind &&
           buffersLive(b);
}

// Makes sure that buffers hold copies of these arrays (of the store at its present
// version), and says where to draw from.
template <typename Index>
Sources keep(const DrawContext& c, Kind kind, const std::vector<float>& vertices, const std::vector<float>& normals,
             const std::vector<Index>& indices, const std::vector<std::uint8_t>& colors = kNoColors)
{
    PlainBuffers& b = c.buffers;
    if (!buffersCurrent(c, kind)) {
        // Names of another context are left to it; those of this one are given back.
        if (buffersLive(b)) {
            const GLuint names[4] = {b.vertices, b.normals, b.indices, b.colors};
            glDeleteBuffers(4, names);
        }
        b = PlainBuffers{};
        b.store = &c.geometry;
        b.arraysVersion = c.geometry.arraysVersion();
        b.kind = kind;
        b.inBuffers = contextHasBufferObjects();
        if (b.inBuffers) {
            upload(GL_ARRAY_BUFFER, b.vertices, vertices);
            upload(GL_ARRAY_BUFFER, b.normals, normals);
            upload(GL_ELEMENT_ARRAY_BUFFER, b.indices, indices);
            upload(GL_ARRAY_BUFFER, b.colors, colors);
        }
    }
    if (b.inBuffers) {
        return Sources{nullptr, nullptr, nullptr, nullptr};  // offsets into the bound buffers
    }
    return Sources{vertices.data(), normals.data(), indices.data(), colors.data()};
}

// A place in client memory or, with base null, an offset into the bound buffer, which
// OpenGL takes in a pointer's place: made without arithmetic on the null pointer, which is
// undefined.
const void* at(const void* base, std::size_t bytes)
{
    if (base == nullptr) {
        return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(bytes));
    }
    return static_cast<const char*>(base) + bytes;
}

// Binds the vertex (and normal, and colour) arrays from the given vertex on; the colour
// array is enabled here, and left disabled without colours.
void pointArrays(const PlainBuffers& b, const Sources& s, std::size_t firstVertex, bool normals, bool colors = false)
{
    const std::size_t offset = firstVertex * 3 * sizeof(float);
    if (b.inBuffers) {
        glBindBuffer(GL_ARRAY_BUFFER, b.vertices);
    }
    glVertexPointer(3, GL_FLOAT, 0, at(s.vertices, offset));
    if (normals) {
        if (b.inBuffers) {
            glBindBuffer(GL_ARRAY_BUFFER, b.normals);
        }
        glNormalPointer(GL_FLOAT, 0, at(s.normals, offset));
    }
    if (colors) {
        if (b.inBuffers) {
            glBindBuffer(GL_ARRAY_BUFFER, b.colors);
        }
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, at(s.colors, firstVertex * 4));
    }
    if (b.inBuffers) {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
}

void bindIndices(const PlainBuffers& b)
{
    if (b.inBuffers) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.indices);
    }
}

void unbindIndices(const PlainBuffers& b)
{
    if (b.inBuffers) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}

// Draws count unsigned int indices from first on, in chunks of whole primitives.
void drawIndexRun(const Sources& s, GLenum mode, std::size_t first, std::size_t count, std::size_t perPrimitive)
{
    const std::size_t chunk = kPlainChunk - kPlainChunk % perPrimitive;
    for (std::size_t done = 0; done < count; done += chunk) {
        if (chunkSkipped()) {
            continue;
        }
        const std::size_t n = std::min(chunk, count - done);
        glDrawElements(mode, static_cast<GLsizei>(n), GL_UNSIGNED_INT,
                       at(s.indices, (first + done) * sizeof(std::uint32_t)));
        handOver();
        chunkDrawn();
    }
}

// The indices of one row of quadrilaterals of a shared grid, counted from the row's first
// vertex: every row draws with them from its own first vertex on. They depend on the row's
// length alone and are made again only when it changes.
const std::vector<std::uint32_t>& rowQuads(int pointsPerSet)
{
    static std::vector<std::uint32_t> row;
    const std::size_t size = static_cast<std::size_t>(pointsPerSet - 1) * 4;
    if (row.size() != size || (size > 0 && row[1] != static_cast<std::uint32_t>(pointsPerSet))) {
        row.resize(size);
        for (int j = 0; j + 1 < pointsPerSet; ++j) {
            gridQuad(pointsPerSet, static_cast<std::size_t>(j), &row[static_cast<std::size_t>(j) * 4]);
        }
    }
    return row;
}

const std::vector<float> kNoFloats;
const std::vector<std::uint32_t> kNoIndices;

// The indices of a surface coloured by value, every quadrilateral in colour order (the
// order of the kept surfaceQuadOrder): made once for the store's arrays, and given up
// once a buffer holds them.
struct ValueOrderedQuads {
    const void* store = nullptr;
    unsigned long arraysVersion = 0;
    std::vector<std::uint32_t> indices;
};
ValueOrderedQuads valueOrdered;

// The value-ordered indices of the cache's surface, unless the buffers hold them already.
const std::vector<std::uint32_t>& valueOrderedQuads(const DrawContext& c, const GeometryCache& cache)
{
    if (buffersCurrent(c, kValueOrderedSurface) && c.buffers.inBuffers) {
        return kNoIndices;  // not looked at: the buffers are current
    }
    ValueOrderedQuads& v = valueOrdered;
    if (v.store != &c.geometry || v.arraysVersion != c.geometry.arraysVersion() ||
        v.indices.size() != cache.surfaceQuadOrder.size() * 4) {
        v.store = &c.geometry;
        v.arraysVersion = c.geometry.arraysVersion();
        v.indices.resize(cache.surfaceQuadOrder.size() * 4);
        for (std::size_t k = 0; k < cache.surfaceQuadOrder.size(); ++k) {
            gridQuad(cache.range.ny, cache.surfaceQuadOrder[k], &v.indices[k * 4]);
        }
    }
    return v.indices;
}

// After the indices went into a buffer, the processor's copy is not needed.
void releaseValueOrderedQuads(const DrawContext& c)
{
    if (c.buffers.inBuffers) {
        valueOrdered = ValueOrderedQuads{};
    }
}

// The shared grid row by row in chunks of about kPlainChunk vertices, each row from its own
// first vertex with the one row's index list.
void drawSurfaceRows(const DrawContext& c, const Sources& s, const GeometryCache& cache, bool normals)
{
    const int ny = cache.range.ny;
    const std::size_t perRow = static_cast<std::size_t>(ny - 1) * 4;
    const int rows = cache.range.lastSet + 1;
    const int rowsPerChunk = static_cast<int>(std::max<std::size_t>(1, kPlainChunk / perRow));
    bindIndices(c.buffers);
    for (int first = 0; first < rows; first += rowsPerChunk) {
        if (chunkSkipped()) {
            continue;
        }
        for (int i = first; i < std::min(rows, first + rowsPerChunk); ++i) {
            pointArrays(c.buffers, s, static_cast<std::size_t>(i) * ny, normals);
            glDrawElements(GL_QUADS, static_cast<GLsizei>(perRow), GL_UNSIGNED_INT, s.indices);
        }
        handOver();
        chunkDrawn();
    }
    unbindIndices(c.buffers);
}

}  // namespace

void drawPointsPlain(const DrawContext& c, const DrawRange& range)
{
    c.geometry.geometryFor(range, DisplayType::Points, geometryInputs(c));
    const GeometryCache& cache = c.geometry.keptPoints();
    const Sources s = keep(c, kPoints, cache.points, kNoFloats, kNoIndices, cache.pointColors);
    glEnableClientState(GL_VERTEX_ARRAY);
    pointArrays(c.buffers, s, 0, false, !cache.pointColors.empty());
    for (const ColorGroup& g : cache.groups) {
        useGroupMaterial(c.settings, g.colorIndex);
        drawArraysChunked(GL_POINTS, g.first, g.count, 1, kPlainChunk);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    leaveStateAsDrawn(c.settings, cache);
}

void drawSurfacePlain(const DrawContext& c, const DrawRange& range, DisplayType displayType)
{
    const GeometryCache& cache = c.geometry.geometryFor(range, displayType, geometryInputs(c));
    if (cache.groups.empty()) {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    if (!cache.surfaceShared) {
        // Four vertices a quadrilateral; coloured by height with their colours and, for
        // a shaded surface, the quadrilateral's normal at each.
        const Sources s = keep(c, kColoredSurface, cache.surfaceVertices, cache.surfaceNormals, kNoIndices,
                               cache.surfaceColors);
        const bool normals = !cache.surfaceNormals.empty();
        if (normals) {
            glEnableClientState(GL_NORMAL_ARRAY);
        }
        pointArrays(c.buffers, s, 0, normals, !cache.surfaceColors.empty());
        for (const ColorGroup& g : cache.groups) {
            useGroupMaterial(c.settings, g.colorIndex);
            drawArraysChunked(GL_QUADS, g.first, g.count, 4, kPlainChunk);
        }
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        leaveStateAsDrawn(c.settings, cache);
        return;
    }
    const int ny = cache.range.ny;
    const bool byValue = !cache.surfaceQuadOrder.empty();
    const Sources s = byValue ? keep(c, kValueOrderedSurface, cache.surfaceVertices, cache.surfaceNormals,
                                     valueOrderedQuads(c, cache))
                              : keep(c, kSharedSurface, cache.surfaceVertices, cache.surfaceNormals, rowQuads(ny));
    if (byValue) {
        releaseValueOrderedQuads(c);
    }
    const bool normals = !cache.surfaceNormals.empty();
    GLint shadeModel = GL_SMOOTH;
    if (normals) {
        // One normal per quadrilateral, carried by the vertex that closes it.
        glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
        glShadeModel(GL_FLAT);
        glEnableClientState(GL_NORMAL_ARRAY);
    }
    if (byValue) {
        // Coloured by value: each colour's run of the value-ordered quadrilaterals in its own
        // material.
        pointArrays(c.buffers, s, 0, normals);
        bindIndices(c.buffers);
        for (const ColorGroup& g : cache.groups) {
            useGroupMaterial(c.settings, g.colorIndex);
            drawIndexRun(s, GL_QUADS, g.first * 4, g.count * 4, 4);
        }
        unbindIndices(c.buffers);
    } else {
        drawSurfaceRows(c, s, cache, normals);
    }
    if (normals) {
        glDisableClientState(GL_NORMAL_ARRAY);
        glShadeModel(static_cast<GLenum>(shadeModel));
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    leaveStateAsDrawn(c.settings, cache);
}

bool drawTubesPlain(const DrawContext& c, const DrawRange& range, DisplayType displayType)
{
    const GeometryCache& cache = c.geometry.geometryFor(range, displayType, geometryInputs(c));
    if (cache.tubes.empty()) {
        return true;
    }
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    if (polygonMode[0] != GL_FILL || polygonMode[1] != GL_FILL) {
        return false;
    }
    const MeshArrays* mesh = c.geometry.keptTubeMesh();
    if (mesh == nullptr) {
        return drawTubesFast(c, range, displayType);
    }
    const Sources s = keep(c, kTubeMesh, mesh->positions, mesh->normals, mesh->indices, mesh->colors);
    glPushMatrix();
    glTranslated(c.data.tx, c.data.ty, c.data.tz);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    pointArrays(c.buffers, s, 0, true, !mesh->colors.empty());
    bindIndices(c.buffers);
    // The mesh's groups hold the tubes of the tube groups, in their order.
    for (const ColorGroup& g : cache.meshGroups) {
        useGroupMaterial(c.settings, g.colorIndex);
        drawIndexRun(s, GL_TRIANGLES, g.first, g.count, 3);
    }
    unbindIndices(c.buffers);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();
    leaveStateAsDrawn(c.settings, cache);
    return true;
}
