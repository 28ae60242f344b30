// What the fast drawing keeps between frames: the vertex arrays of the current display
// type, rebuilt only when told that what they are built from changed: the data set (its
// generation), the display type, a setting they are built from (the settings' geometry
// version: thickness, segments), or how the data are coloured (the range's colouring).
#pragma once

#include <cstdint>
#include <vector>

#include "render/cpu/draw_range.h"
#include "render/cpu/tube_mesh.h"

// A run of primitives drawn in one material: colorIndex is the colour slot (a data colour
// or a step of the colour map, core/value_colors.h), or -1 for the pass's own material. first and count are in the unit of the array they
// describe (points, vertices, indices or tubes).
struct ColorGroup {
    int colorIndex = -1;
    std::size_t first = 0;
    std::size_t count = 0;
};

// One tube of a line set, told by the point it belongs to: four bytes, compact enough to
// keep for millions of tubes, from which the tube's ends are found again in the data set.
struct TubeSegment {
    enum Kind : std::uint32_t { Joined, Floor, Needle };
    // Joined: from this point to the next; floor: from the foot of the set's previous point
    // (of length 0 for a set's first point) to this point's foot; needle: from the foot up
    // to the point.
    std::uint32_t point : 30;
    std::uint32_t kind : 2;
};
void tubeSegmentEnds(const DataSet& data, const TubeSegment& segment, Point3d& a, Point3d& b);
// The points whose colours the tube's ends a and b take (a foot takes its point's).
void tubeSegmentPoints(const DataSet& data, const TubeSegment& segment, std::size_t& ka, std::size_t& kb);

// Gives the vertices of the tube of segment from a to b, appended to mesh from firstVertex on,
// the colours of its ends (vertexColorAt: of their heights, or the file's colours).
void colorTubeEnds(const DrawRange& range, const TubeSegment& segment, const Point3d& a, const Point3d& b,
                   std::size_t firstVertex, MeshArrays& mesh);

struct GeometryCache {
    // What the arrays were built from.
    bool valid = false;
    const DataSet* data = nullptr;
    unsigned long dataGeneration = 0;
    unsigned long settingsVersion = 0;
    DisplayType displayType = DisplayType::Points;
    float thickness = 0.0f;
    int segments = 0;
    DrawRange range{nullptr, -1, 0, false};

    // Points: positions grouped by colour (groups count points); in the file's colours, in
    // the data's order with the colour of each (pointColors, four bytes a point). Points of
    // one colour stay in the data set (pointsInData) until keptPoints makes the array.
    std::vector<float> points;
    std::vector<std::uint8_t> pointColors;
    bool pointsInData = false;
    // An evenly spread sample of the points for the lighter picture (keptPointSample): up to
    // kMostSampledPoints of them, grouped by colour as the points are, each group in an order
    // of which every start is spread over every set and over each set's length.
    std::vector<float> sample;
    std::vector<ColorGroup> sampleGroups;

    // Surfaces. Plain and Maple data share the grid's vertices (surfaceVertices, one per
    // point) and draw surfaceQuads quadrilaterals (gridQuad) as GL_QUADS; coloured by
    // value, the numbers of the quadrilaterals grouped by colour (surfaceQuadOrder, groups
    // count its entries). Coloured data keep four vertices per quadrilateral, grouped by
    // colour. Coloured by height, every format keeps four vertices per quadrilateral in the
    // data's order, each with the colour of its height (surfaceColors, four bytes a vertex).
    // A shaded surface (surfaceHasNormals) adds surfaceNormals: on the shared grid, per
    // vertex the normal of the quadrilateral that the vertex closes, for flat shading;
    // otherwise the quadrilateral's normal at each of its four vertices.
    std::vector<float> surfaceVertices;
    std::vector<float> surfaceNormals;
    std::vector<std::uint8_t> surfaceColors;
    std::size_t surfaceQuads = 0;
    bool surfaceShared = false;
    std::vector<std::uint32_t> surfaceQuadOrder;

    // Line sets: the tubes grouped by colour (groups count tubes); the vertices of the
    // thin-line drawing with their directions (lineGroups count line indices), or the tube
    // mesh when it fits (meshGroups count indices), whichever was asked for last. Coloured
    // by height, the tubes are one group in the data's order, and the thin lines' vertices
    // (lineColors, four bytes a vertex) and the mesh's carry colours of their own.
    std::vector<TubeSegment> tubes;
    std::vector<float> lineVertices;
    std::vector<std::int16_t> lineTangents;  // unit directions times kTangentUnit
    std::vector<std::uint8_t> lineColors;
    std::vector<std::uint32_t> lineIndices;
    std::vector<ColorGroup> lineGroups;
    bool linesBuilt = false;
    double boundRadius = 0.0;  // farthest drawn point from the centre of the data
    MeshArrays mesh;
    std::vector<ColorGroup> meshGroups;
    bool meshBuilt = false;

    std::vector<ColorGroup> groups;
    int lastColorIndex = -1;  // the material the last primitive leaves set, -1 for none
    bool leavesNormal = false;  // the last primitive sets the current normal to lastNormal
    float lastNormal[3] = {0.0f, 0.0f, 1.0f};
};

// The vertex indices of quadrilateral k of a shared grid of rows of pointsPerSet vertices,
// counted row by row: P(i, j), P(i + 1, j), P(i + 1, j + 1), P(i, j + 1). They follow from k,
// so they are made when drawn rather than kept.
inline void gridQuad(int pointsPerSet, std::size_t k, std::uint32_t out[4])
{
    const std::size_t perRow = static_cast<std::size_t>(pointsPerSet) - 1;
    const std::size_t i = k / perRow, j = k % perRow;
    out[0] = static_cast<std::uint32_t>(i * pointsPerSet + j);
    out[1] = static_cast<std::uint32_t>(out[0] + pointsPerSet);
    out[2] = out[1] + 1;
    out[3] = out[0] + 1;
}

// The most points the lighter picture's sample holds: more than a frame of the lighter
// picture draws on this machine.
constexpr std::size_t kMostSampledPoints = std::size_t{1} << 22;

// The order in which the sample takes the points of each set of ny points: places 0, 1, ...
// of set i run through it by a stride near the golden section of its length from a start of
// the set's own, so that the first few lie far apart along the set and together fill it
// evenly; the stride has no factor in common with ny, so that places 0 to ny - 1 take every
// point once.
struct SpreadOrder {
    explicit SpreadOrder(int ny);
    // The point at place r of set i.
    int pointAt(int i, int r) const;

    int ny;
    long long stride;
};

// The largest memory the tube mesh may keep; more tubes are generated per frame in chunks.
constexpr std::size_t kKeptMeshBytes = 48u << 20;

// The settings the arrays are built from, and the version of the settings that says when
// any of them changed (SettingsVersions::geometry).
struct GeometryInputs {
    float thickness = 0.02f;
    int segments = 8;
    unsigned long settingsVersion = 0;
};

// The kept geometry of one display (a window or a picture without one).
class GeometryStore {
public:
    // keptMeshBytes: the most memory a kept tube mesh may take (a lower limit shows the
    // per-frame generation of tubes at work).
    explicit GeometryStore(std::size_t keptMeshBytes = kKeptMeshBytes);

    // The geometry of the display type for the range, built again only when the data set,
    // its generation, the display type or the settings version differ from what the kept
    // arrays were built from.
    const GeometryCache& geometryFor(const DrawRange& range, DisplayType displayType, const GeometryInputs& inputs);

    // The kept points with their positions' array made.
    const GeometryCache& keptPoints();
    // The kept points with their sample made.
    const GeometryCache& keptPointSample();

    // The kept line sets with their thin lines built (and any kept tube mesh given back).
    const GeometryCache& keptThinLines();

    // The tube mesh of the kept line sets (any thin lines given back) (groups in meshGroups),
    // built on first use when it fits the mesh limit; null when the tubes are to be
    // generated per frame instead.
    const MeshArrays* keptTubeMesh();

    // Forgets everything kept (its memory is given back).
    void clear();

    // How many times geometry has been built: a change rebuilds, an unchanged frame does not.
    unsigned long buildCount() const;
    // Moves on whenever any kept array is built or given back (also the thin lines and the
    // tube mesh, which are built on first use): copies of the arrays elsewhere (buffer
    // objects) are out of date when it differs from what they were made at.
    unsigned long arraysVersion() const;

private:
    GeometryCache cache_;
    std::size_t meshLimit_;
    unsigned long builds_ = 0;
    unsigned long arraysVersion_ = 0;
};

// The scale of the thin lines' stored directions: a direction only steers the lighting of a
// line, and two bytes a component keep it within a thousandth of a radian.
constexpr double kTangentUnit = 32767.0;

