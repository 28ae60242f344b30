// Building the vertex arrays of each display type and deciding when they are out of date.
#include "render/cpu/geometry_cache.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/colors.h"

namespace {

void pushPoint(std::vector<float>& out, const Point3d& p)
{
    out.push_back(static_cast<float>(p.x));
    out.push_back(static_cast<float>(p.y));
    out.push_back(static_cast<float>(p.z));
}

int colorOf(const DrawRange& range, int i, int j)
{
    return pointColorSlot(range, i, j);
}

// The colour slot of a tube of a line set; none when its vertices carry their colours.
int colorOfTube(const DrawRange& range, int i, int j)
{
    return vertexColors(range) ? -1 : pointColorSlot(range, i, j);
}

void pushColor(std::vector<std::uint8_t>& out, const DrawRange& range, std::size_t k, double z)
{
    const std::array<unsigned char, 4> c = vertexColorAt(range, k, z);
    out.insert(out.end(), c.begin(), c.end());
}

// Every colour slot and "none" fit the byte key of the colour sort.
static_assert(kColorSlots + 1 <= 256, "colour slots must fit a byte");

// A stable sort of items by colour entry that costs one byte an item: the items are added
// in data order, then visited again in data order to be put in their places.
struct ColorSort {
    std::vector<std::uint8_t> keys;  // colour slot + 1, so that -1 (no colour) is 0
    std::array<std::size_t, kColorSlots + 1> next{};

    void add(int color) { keys.push_back(static_cast<std::uint8_t>(color + 1)); }

    std::vector<ColorGroup> groups()
    {
        std::array<std::size_t, kColorSlots + 1> counts{};
        for (std::uint8_t key : keys) {
            ++counts[key];
        }
        std::vector<ColorGroup> result;
        std::size_t first = 0;
        for (std::size_t c = 0; c < counts.size(); ++c) {
            next[c] = first;
            if (counts[c] > 0) {
                result.push_back(ColorGroup{static_cast<int>(c) - 1, first, counts[c]});
            }
            first += counts[c];
        }
        return result;
    }

    // The place of item k in the sorted order; each item is asked for once, in data order.
    std::size_t place(std::size_t k) { return next[keys[k]]++; }
    int last() const { return keys.empty() ? -1 : static_cast<int>(keys.back()) - 1; }
};

// The flat normal of quadrilateral (i, j), from its first three corners.
Point3d quadNormal(const DrawRange& range, int i, int j)
{
    return triangleNormal(pointAt(range, i, j), pointAt(range, i + 1, j), pointAt(range, i + 1, j + 1));
}

// The normal that a surface drawn quadrilateral by quadrilateral leaves current: that of the
// last one in the data's order, whatever order the arrays draw them in.
void leaveLastQuadNormal(GeometryCache& cache, const DrawRange& range)
{
    const Point3d n = quadNormal(range, range.lastSet, range.ny - 2);
    cache.lastNormal[0] = static_cast<float>(n.x);
    cache.lastNormal[1] = static_cast<float>(n.y);
    cache.lastNormal[2] = static_cast<float>(n.z);
    cache.leavesNormal = true;
}

// Points in the file's colours: in the data's order, each with its colour, in no material.
void buildPointsWithFileColors(GeometryCache& cache, const DrawRange& range)
{
    const std::size_t count = static_cast<std::size_t>(range.lastSet + 1) * static_cast<std::size_t>(range.ny);
    cache.points.reserve(count * 3);
    for (std::size_t k = 0; k < count; ++k) {
        pushPoint(cache.points, range.data->coordArray[k]);
    }
    cache.pointColors.assign(range.data->pointColors.begin(), range.data->pointColors.begin() + count * 4);
    cache.groups.push_back(ColorGroup{-1, 0, count});
    cache.lastColorIndex = -1;
}

// The points' positions as floats, grouped by colour. Points of one colour are left in the
// data set until an array of them is asked for (keptPoints): drawn as the pixels they cover
// they are read from there, and 10^8 of them would take 1.2 GB more.
void buildPoints(GeometryCache& cache, const DrawRange& range)
{
    const std::size_t count = static_cast<std::size_t>(range.lastSet + 1) * static_cast<std::size_t>(range.ny);
    if (fileColors(range)) {
        buildPointsWithFileColors(cache, range);
        return;
    }
    if (!ownColors(range)) {
        cache.groups = {ColorGroup{-1, 0, count}};
        cache.pointsInData = true;
        cache.lastColorIndex = -1;
        return;
    }
    ColorSort colors;
    colors.keys.reserve(count);
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j < range.ny; ++j) {
            colors.add(colorOf(range, i, j));
        }
    }
    cache.groups = colors.groups();
    cache.points.assign(colors.keys.size() * 3, 0.0f);
    std::size_t k = 0;
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j < range.ny; ++j, ++k) {
            const Point3d& p = pointAt(range, i, j);
            float* out = &cache.points[colors.place(k) * 3];
            out[0] = static_cast<float>(p.x);
            out[1] = static_cast<float>(p.y);
            out[2] = static_cast<float>(p.z);
        }
    }
    cache.lastColorIndex = colors.last();
}

// Groups of one colour in runs: neighbouring outlines share their edges at equal depth,
// where the first one drawn stays, so a grid keeps the order of its quadrilaterals.
void groupRuns(const ColorSort& colors, std::vector<ColorGroup>& groups)
{
    for (std::size_t k = 0; k < colors.keys.size(); ++k) {
        const int color = static_cast<int>(colors.keys[k]) - 1;
        if (groups.empty() || groups.back().colorIndex != color) {
            groups.push_back(ColorGroup{color, k, 0});
        }
        ++groups.back().count;
    }
}

// The quadrilaterals of a shared grid whose colours are their own: their numbers grouped by
// colour (groups count quadrilaterals), in runs of the data's order for a grid.
void orderQuadsByColor(GeometryCache& cache, const DrawRange& range, DisplayType displayType)
{
    ColorSort colors;
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j + 1 < range.ny; ++j) {
            colors.add(pointColorSlot(range, i, j));
        }
    }
    cache.surfaceQuadOrder.resize(colors.keys.size());
    if (displayType == DisplayType::Grid) {
        groupRuns(colors, cache.groups);
        for (std::size_t k = 0; k < colors.keys.size(); ++k) {
            cache.surfaceQuadOrder[k] = static_cast<std::uint32_t>(k);
        }
    } else {
        cache.groups = colors.groups();
        for (std::size_t k = 0; k < colors.keys.size(); ++k) {
            cache.surfaceQuadOrder[colors.place(k)] = static_cast<std::uint32_t>(k);
        }
    }
    cache.lastColorIndex = colors.last();
}

// Coloured by height: each quadrilateral's own four vertices, so that its colours can blend
// across it while a shaded surface stays flat (each vertex carries the quadrilateral's
// normal), all drawn in the data's order in no material of their own.
void buildSurfaceWithVertexColors(GeometryCache& cache, const DrawRange& range, bool normals)
{
    const std::size_t quads = static_cast<std::size_t>(range.lastSet + 1) * static_cast<std::size_t>(range.ny - 1);
    cache.surfaceShared = false;
    cache.surfaceVertices.reserve(quads * 12);
    cache.surfaceColors.reserve(quads * 16);
    if (normals) {
        cache.surfaceNormals.reserve(quads * 12);
    }
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j + 1 < range.ny; ++j) {
            const std::size_t corners[4] = {pointIndex(range, i, j), pointIndex(range, i + 1, j),
                                            pointIndex(range, i + 1, j + 1), pointIndex(range, i, j + 1)};
            const Point3d n = normals ? quadNormal(range, i, j) : Point3d{};
            for (const std::size_t k : corners) {
                const Point3d* p = &range.data->coordArray[k];
                pushPoint(cache.surfaceVertices, *p);
                pushColor(cache.surfaceColors, range, k, p->z);
                if (normals) {
                    pushPoint(cache.surfaceNormals, n);
                }
            }
        }
    }
    if (normals) {
        leaveLastQuadNormal(cache, range);
    }
    cache.groups.push_back(ColorGroup{-1, 0, quads * 4});
    cache.lastColorIndex = -1;
}

void buildSurface(GeometryCache& cache, const DrawRange& range, DisplayType displayType)
{
    const bool normals = surfaceHasNormals(range, displayType);
    const int quadsPerSet = range.ny - 1;
    if (range.lastSet < 0 || quadsPerSet <= 0) {
        return;
    }
    if (vertexColors(range)) {
        buildSurfaceWithVertexColors(cache, range, normals);
        return;
    }
    cache.surfaceShared = !range.colored;
    if (!range.colored) {
        // Each quadrilateral's fourth vertex, P(i, j + 1), closes no other one, so flat
        // shading can take the quadrilateral's normal from it.
        const int sets = range.lastSet + 2;
        cache.surfaceVertices.reserve(static_cast<std::size_t>(sets) * range.ny * 3);
        for (int i = 0; i < sets; ++i) {
            for (int j = 0; j < range.ny; ++j) {
                pushPoint(cache.surfaceVertices, pointAt(range, i, j));
            }
        }
        cache.surfaceQuads = static_cast<std::size_t>(range.lastSet + 1) * quadsPerSet;
        if (normals) {
            cache.surfaceNormals.assign(cache.surfaceVertices.size(), 0.0f);
            for (int i = 0; i <= range.lastSet; ++i) {
                for (int j = 0; j < quadsPerSet; ++j) {
                    const Point3d n = quadNormal(range, i, j);
                    float* out = &cache.surfaceNormals[pointIndex(range, i, j + 1) * 3];
                    out[0] = static_cast<float>(n.x);
                    out[1] = static_cast<float>(n.y);
                    out[2] = static_cast<float>(n.z);
                }
            }
            leaveLastQuadNormal(cache, range);
        }
        if (ownColors(range)) {
            orderQuadsByColor(cache, range, displayType);
        } else {
            cache.groups.push_back(ColorGroup{-1, 0, cache.surfaceQuads * 4});
        }
        return;
    }
    ColorSort colors;
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j < quadsPerSet; ++j) {
            colors.add(pointColorSlot(range, i, j));
        }
    }
    const bool keepOrder = displayType == DisplayType::Grid;
    if (keepOrder) {
        groupRuns(colors, cache.groups);
    } else {
        cache.groups = colors.groups();
    }
    for (ColorGroup& g : cache.groups) {
        g.first *= 4;
        g.count *= 4;
    }
    cache.surfaceVertices.assign(colors.keys.size() * 12, 0.0f);
    if (normals) {
        cache.surfaceNormals.assign(cache.surfaceVertices.size(), 0.0f);
    }
    std::size_t k = 0;
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j < quadsPerSet; ++j, ++k) {
            const Point3d* corners[4] = {&pointAt(range, i, j), &pointAt(range, i + 1, j),
                                         &pointAt(range, i + 1, j + 1), &pointAt(range, i, j + 1)};
            const std::size_t first = (keepOrder ? k : colors.place(k)) * 12;
            float* out = &cache.surfaceVertices[first];
            for (const Point3d* p : corners) {
                *out++ = static_cast<float>(p->x);
                *out++ = static_cast<float>(p->y);
                *out++ = static_cast<float>(p->z);
            }
            if (normals) {
                const Point3d n = quadNormal(range, i, j);
                for (std::size_t v = 0; v < 4; ++v) {
                    float* at = &cache.surfaceNormals[first + v * 3];
                    at[0] = static_cast<float>(n.x);
                    at[1] = static_cast<float>(n.y);
                    at[2] = static_cast<float>(n.z);
                }
            }
        }
    }
    if (normals) {
        leaveLastQuadNormal(cache, range);
    }
    cache.lastColorIndex = colors.last();
}

// Where a thin line's vertex stands and which way the tube runs there.
struct LineVertex {
    std::uint64_t id;
    Point3d position;
    Point3d direction;
};

Point3d footOf(const DataSet& data, const Point3d& p)
{
    return Point3d{p.x, static_cast<double>(data.ymin), p.z};
}

Point3d difference(const Point3d& b, const Point3d& a)
{
    return Point3d{b.x - a.x, b.y - a.y, b.z - a.z};
}

// The vertex at point j of a set's polyline (along the points, or along their feet),
// facing along the chord of its neighbours.
LineVertex polylineVertex(const DrawRange& range, int i, int j, bool feet, std::uint64_t tag)
{
    const int before = j > 0 ? j - 1 : j;
    const int after = j + 1 < range.ny ? j + 1 : j;
    Point3d a = pointAt(range, i, before), b = pointAt(range, i, after), p = pointAt(range, i, j);
    if (feet) {
        a = footOf(*range.data, a);
        b = footOf(*range.data, b);
        p = footOf(*range.data, p);
    }
    const std::uint64_t n = range.data->coordArray.size();
    return LineVertex{tag * n + pointIndex(range, i, j), p, difference(b, a)};
}

void pushLineVertex(GeometryCache& cache, const LineVertex& v)
{
    pushPoint(cache.lineVertices, v.position);
    if (vertexColors(cache.range)) {
        // The vertex's id tells its point: tag * points + the point's index.
        pushColor(cache.lineColors, cache.range, v.id % cache.range.data->coordArray.size(), v.position.z);
    }
    Point3d d = v.direction;
    normalise(d);
    for (double c : {d.x, d.y, d.z}) {
        cache.lineTangents.push_back(static_cast<std::int16_t>(std::lround(c * kTangentUnit)));
    }
}

void buildTubes(GeometryCache& cache, const DrawRange& range, DisplayType displayType)
{
    // The tubes in data order, twice: once for their colours, once to put them in place.
    const auto eachTube = [&](auto visit) {
        for (int i = 0; i <= range.lastSet; ++i) {
            for (int j = 0; j < range.ny; ++j) {
                const std::uint32_t k = static_cast<std::uint32_t>(pointIndex(range, i, j));
                const auto visitTube = [&](TubeSegment segment) { visit(segment, colorOfTube(range, i, j)); };
                if (displayType == DisplayType::Joined) {
                    if (j + 1 < range.ny) {
                        visitTube(TubeSegment{k, TubeSegment::Joined});
                    }
                } else {
                    visitTube(TubeSegment{k, TubeSegment::Floor});
                    visitTube(TubeSegment{k, TubeSegment::Needle});
                }
            }
        }
    };
    ColorSort colors;
    eachTube([&](const TubeSegment&, int color) { colors.add(color); });
    cache.groups = colors.groups();
    cache.tubes.assign(colors.keys.size(), TubeSegment{0, TubeSegment::Joined});
    std::size_t k = 0;
    eachTube([&](const TubeSegment& segment, int) { cache.tubes[colors.place(k++)] = segment; });
    cache.lastColorIndex = colors.last();
    cache.leavesNormal = !cache.tubes.empty();

    const DataSet& data = *range.data;
    const double t[3] = {data.tx, data.ty, data.tz};
    double farthest = 0.0;
    for (int i = 0; i <= range.lastSet; ++i) {
        for (int j = 0; j < range.ny; ++j) {
            const Point3d& p = pointAt(range, i, j);
            const double ys[2] = {p.y, static_cast<double>(data.ymin)};
            // Needles reach down to the floor; joined tubes only run between the points.
            const int ends = displayType == DisplayType::Needled ? 2 : 1;
            for (int e = 0; e < ends; ++e) {
                const double y = ys[e];
                const double x = p.x + t[0], yy = y + t[1], z = p.z + t[2];
                farthest = std::fmax(farthest, x * x + yy * yy + z * z);
            }
        }
    }
    cache.boundRadius = std::sqrt(farthest);
}

// The thin lines of the kept tubes: consecutive tubes of one colour share their common
// vertex. Counted first, so that the arrays are allocated once at their size.
void buildThinLines(GeometryCache& cache)
{
    const DrawRange& range = cache.range;
    const int ny = range.ny;
    std::size_t vertexCount = 0, indexCount = 0;
    const auto eachLine = [&](bool fill) {
        for (const ColorGroup& g : cache.groups) {
            ColorGroup lines{g.colorIndex, indexCount, 0};
            std::uint64_t lastId = ~0ull;
            for (std::size_t s = g.first; s < g.first + g.count; ++s) {
                const TubeSegment& seg = cache.tubes[s];
                const int i = static_cast<int>(seg.point / static_cast<std::uint32_t>(ny));
                const int j = static_cast<int>(seg.point % static_cast<std::uint32_t>(ny));
                LineVertex a, b;
                if (seg.kind == TubeSegment::Joined) {
                    a = polylineVertex(range, i, j, false, 0);
                    b = polylineVertex(range, i, j + 1, false, 0);
                } else if (seg.kind == TubeSegment::Floor) {
                    if (j == 0) {
                        continue;  // of length 0: the needle standing on it covers its caps
                    }
                    a = polylineVertex(range, i, j - 1, true, 1);
                    b = polylineVertex(range, i, j, true, 1);
                } else {
                    const Point3d& p = pointAt(range, i, j);
                    const Point3d foot = footOf(*range.data, p);
                    if (p.y == foot.y) {
                        continue;
                    }
                    const std::uint64_t n = range.data->coordArray.size();
                    a = LineVertex{2 * n + seg.point, foot, difference(p, foot)};
                    b = LineVertex{3 * n + seg.point, p, difference(p, foot)};
                }
                if (a.id != lastId) {
                    if (fill) {
                        pushLineVertex(cache, a);
                    }
                    ++vertexCount;
                }
                if (fill) {
                    pushLineVertex(cache, b);
                    const std::uint32_t start = static_cast<std::uint32_t>(vertexCount - 1);
                    cache.lineIndices.push_back(start);
                    cache.lineIndices.push_back(start + 1);
                }
                ++vertexCount;
                indexCount += 2;
                lastId = b.id;
            }
            lines.count = indexCount - lines.first;
            if (fill && lines.count > 0) {
                cache.lineGroups.push_back(lines);
            }
        }
    };
    eachLine(false);
    cache.lineVertices.reserve(vertexCount * 3);
    cache.lineTangents.reserve(vertexCount * 3);
    if (vertexColors(range)) {
        cache.lineColors.reserve(vertexCount * 4);
    }
    cache.lineIndices.reserve(indexCount);
    vertexCount = indexCount = 0;
    eachLine(true);
}

}  // namespace

SpreadOrder::SpreadOrder(int points) : ny(std::max(points, 1)), stride(1)
{
    const auto gcd = [](long long a, long long b) {
        while (b != 0) {
            const long long t = a % b;
            a = b;
            b = t;
        }
        return a;
    };
    stride = std::max(1LL, std::llround(0.6180339887498949 * ny));
    while (gcd(stride, ny) != 1) {
        ++stride;
    }
}

int SpreadOrder::pointAt(int i, int r) const
{
    // A start of the set's own, from a hash of its number.
    std::uint64_t h = static_cast<std::uint64_t>(i) * 0x9e3779b97f4a7c15u;
    h = (h ^ (h >> 29)) * 0xbf58476d1ce4e5b9u;
    const long long start = static_cast<long long>((h ^ (h >> 32)) % static_cast<std::uint64_t>(ny));
    return static_cast<int>((start + stride * static_cast<long long>(r)) % ny);
}

void tubeSegmentPoints(const DataSet& data, const TubeSegment& segment, std::size_t& ka, std::size_t& kb)
{
    const std::size_t k = segment.point;
    ka = kb = k;
    if (segment.kind == TubeSegment::Joined) {
        kb = k + 1;
    } else if (segment.kind == TubeSegment::Floor && k % static_cast<std::uint32_t>(data.fnTrf.pointsPerSet) != 0) {
        ka = k - 1;
    }
}

void tubeSegmentEnds(const DataSet& data, const TubeSegment& segment, Point3d& a, Point3d& b)
{
    std::size_t ka, kb;
    tubeSegmentPoints(data, segment, ka, kb);
    a = data.coordArray[ka];
    b = data.coordArray[kb];
    // A floor runs between feet; a needle rises from its point's foot.
    if (segment.kind != TubeSegment::Joined) {
        a = footOf(data, a);
    }
    if (segment.kind == TubeSegment::Floor) {
        b = footOf(data, b);
    }
}

void colorTubeEnds(const DrawRange& range, const TubeSegment& segment, const Point3d& a, const Point3d& b,
                   std::size_t firstVertex, MeshArrays& mesh)
{
    std::size_t ka, kb;
    tubeSegmentPoints(*range.data, segment, ka, kb);
    const std::array<unsigned char, 4> colorA = vertexColorAt(range, ka, a.z);
    const std::array<unsigned char, 4> colorB = vertexColorAt(range, kb, b.z);
    colorTubeVertices(mesh, firstVertex, a, b, colorA.data(), colorB.data());
}

GeometryStore::GeometryStore(std::size_t keptMeshBytes) : meshLimit_(keptMeshBytes) {}

const GeometryCache& GeometryStore::geometryFor(const DrawRange& range, DisplayType displayType,
                                               const GeometryInputs& inputs)
{
    // What is kept is told by the data set's generation and the settings' geometry version
    // when it is out of date: every load raises the one, every change of a setting that the
    // arrays are built from the other.
    if (cache_.valid && cache_.data == range.data && cache_.dataGeneration == range.data->generation &&
        cache_.settingsVersion == inputs.settingsVersion && cache_.displayType == displayType &&
        cache_.range.coloring == range.coloring) {
        return cache_;
    }
    clear();
    cache_.valid = true;
    cache_.data = range.data;
    cache_.dataGeneration = range.data->generation;
    cache_.settingsVersion = inputs.settingsVersion;
    cache_.thickness = inputs.thickness;
    cache_.segments = inputs.segments;
    cache_.displayType = displayType;
    cache_.range = range;
    ++builds_;
    ++arraysVersion_;
    switch (displayType) {
    case DisplayType::Points:
        buildPoints(cache_, range);
        break;
    case DisplayType::Joined:
    case DisplayType::Needled:
        buildTubes(cache_, range, displayType);
        break;
    case DisplayType::Grid:
    case DisplayType::Filled:
        buildSurface(cache_, range, displayType);
        break;
    }
    return cache_;
}

const GeometryCache& GeometryStore::keptPoints()
{
    if (cache_.pointsInData && cache_.points.empty() && !cache_.groups.empty()) {
        const std::size_t count = cache_.groups.front().count;
        cache_.points.resize(count * 3);
        const Point3d* p = cache_.range.data->coordArray.data();
        for (std::size_t k = 0; k < count; ++k) {
            cache_.points[3 * k] = static_cast<float>(p[k].x);
            cache_.points[3 * k + 1] = static_cast<float>(p[k].y);
            cache_.points[3 * k + 2] = static_cast<float>(p[k].z);
        }
        ++arraysVersion_;
    }
    return cache_;
}

const GeometryCache& GeometryStore::keptPointSample()
{
    if (!cache_.sample.empty() || cache_.groups.empty() || cache_.displayType != DisplayType::Points) {
        return cache_;
    }
    const DrawRange& range = cache_.range;
    const std::size_t sets = static_cast<std::size_t>(range.lastSet + 1);
    const std::size_t count = sets * static_cast<std::size_t>(range.ny);
    const std::size_t sampled = std::min(count, kMostSampledPoints);
    // The sample's order takes one point of every set in turn, so that every start of it
    // holds about as many of each set's.
    const SpreadOrder order(range.ny);
    const auto place = [&](std::size_t s, int& i, int& j) {
        i = static_cast<int>(s % sets);
        j = order.pointAt(i, static_cast<int>(s / sets));
    };
    ColorSort colors;
    colors.keys.reserve(sampled);
    for (std::size_t s = 0; s < sampled; ++s) {
        int i, j;
        place(s, i, j);
        colors.add(ownColors(range) ? colorOf(range, i, j) : -1);
    }
    cache_.sampleGroups = colors.groups();
    cache_.sample.resize(sampled * 3);
    for (std::size_t s = 0; s < sampled; ++s) {
        int i, j;
        place(s, i, j);
        const Point3d& p = pointAt(range, i, j);
        float* out = &cache_.sample[colors.place(s) * 3];
        out[0] = static_cast<float>(p.x);
        out[1] = static_cast<float>(p.y);
        out[2] = static_cast<float>(p.z);
    }
    ++arraysVersion_;
    return cache_;
}

const GeometryCache& GeometryStore::keptThinLines()
{
    if (!cache_.linesBuilt) {
        cache_.mesh.clear();
        cache_.meshGroups.clear();
        cache_.meshBuilt = false;
        buildThinLines(cache_);
        cache_.linesBuilt = true;
        ++arraysVersion_;
    }
    return cache_;
}

const MeshArrays* GeometryStore::keptTubeMesh()
{
    if (cache_.meshBuilt) {
        return &cache_.mesh;
    }
    // Only one of the two drawings of the tubes is kept at a time.
    if (cache_.linesBuilt) {
        ++arraysVersion_;
    }
    cache_.lineVertices = std::vector<float>();
    cache_.lineTangents = std::vector<std::int16_t>();
    cache_.lineColors = std::vector<std::uint8_t>();
    cache_.lineIndices = std::vector<std::uint32_t>();
    cache_.lineGroups.clear();
    cache_.linesBuilt = false;
    const int segments = cache_.segments;
    const bool colored = vertexColors(cache_.range);
    const std::size_t perTube = static_cast<std::size_t>(tubeVertexCount(segments)) * (6 * sizeof(float) + (colored ? 4 : 0)) +
                                (static_cast<std::size_t>(tubeIndexCount(segments)) + 1) * sizeof(std::uint32_t);
    if (cache_.tubes.size() * perTube > meshLimit_) {
        return nullptr;
    }
    ++arraysVersion_;
    const TubeRing ring = tubeRing(segments);
    MeshArrays& mesh = cache_.mesh;
    mesh.positions.reserve(cache_.tubes.size() * tubeVertexCount(segments) * 3);
    mesh.normals.reserve(cache_.tubes.size() * tubeVertexCount(segments) * 3);
    mesh.indices.reserve(cache_.tubes.size() * tubeIndexCount(segments));
    mesh.tubeStarts.reserve(cache_.tubes.size());
    for (const ColorGroup& g : cache_.groups) {
        ColorGroup meshGroup{g.colorIndex, mesh.indices.size(), 0};
        for (std::size_t s = g.first; s < g.first + g.count; ++s) {
            Point3d a, b;
            tubeSegmentEnds(*cache_.data, cache_.tubes[s], a, b);
            const std::size_t first = mesh.vertexCount();
            appendTube(ring, a, b, cache_.thickness, mesh);
            if (colored) {
                colorTubeEnds(cache_.range, cache_.tubes[s], a, b, first, mesh);
            }
        }
        meshGroup.count = mesh.indices.size() - meshGroup.first;
        cache_.meshGroups.push_back(meshGroup);
    }
    cache_.meshBuilt = true;
    return &mesh;
}

void GeometryStore::clear()
{
    cache_ = GeometryCache{};
    ++arraysVersion_;
}

unsigned long GeometryStore::buildCount() const
{
    return builds_;
}

unsigned long GeometryStore::arraysVersion() const
{
    return arraysVersion_;
}
