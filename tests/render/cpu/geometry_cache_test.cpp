// The kept geometry without a picture: what is kept for each display type, how colours
// are grouped, and that the memory kept for tubes stays bounded.
#include <gtest/gtest.h>

#include <vector>

#include "app/viewer_state.h"
#include "core/data_set.h"
#include "core/colors.h"
#include "render/cpu/geometry_cache.h"

namespace {

// nx sets of ny points on a slope; data values i + j, some negative and some past 49.
void fillData(int nx, int ny, int format)
{
    const unsigned long generation = dataSet.generation;
    dataSet = DataSet{};
    dataSet.generation = generation;
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < ny; ++j) {
            dataSet.coordArray.push_back({i * 0.1, 0.05 * j + 0.01 * i, j * 0.1});
            dataSet.groupArray.push_back(i + j - 2);
        }
    }
    if (format != 2) {
        dataSet.groupArray.clear();
    }
    dataSet.fnTrf.nx = nx;
    dataSet.fnTrf.pointsPerSet = ny;
    dataSet.loadedFormat = format;
    ++dataSet.generation;
}

DrawRange rangeFor(int displayType)
{
    return DrawRange{&dataSet, lastSetDrawn(dataSet.loadedFormat, static_cast<DisplayType>(displayType), dataSet.fnTrf.nx),
                     dataSet.fnTrf.pointsPerSet, dataSet.loadedFormat == 2};
}

// The kept geometry of the viewer's display for a display type, with the viewer's settings.
const GeometryCache& cachedGeometry(const DrawRange& range, int displayType)
{
    const GeometryInputs inputs{viewer.thickness, viewer.segments, viewer.versions.geometry};
    return displayState.geometry.geometryFor(range, static_cast<DisplayType>(displayType), inputs);
}

class GeometryCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer = ViewerState{};
        fillDataColors(viewer.dataColors);
        displayState.geometry = GeometryStore();
        displayState.geometry.clear();
    }
    void TearDown() override
    {
        displayState.geometry = GeometryStore();
        displayState.geometry.clear();
    }
};

TEST_F(GeometryCacheTest, ColouredPointsAreGroupedStablyAndLeaveTheLastColour)
{
    fillData(4, 60, 2);
    const GeometryCache& c = cachedGeometry(rangeFor(0), 0);
    std::size_t total = 0;
    int previous = -2;
    for (const ColorGroup& g : c.groups) {
        EXPECT_GT(g.colorIndex, previous) << "one group per colour, in colour order";
        previous = g.colorIndex;
        EXPECT_EQ(g.first, total);
        // The group's first point is the first point of that colour in data order.
        std::size_t k = 0;
        while (dataColorIndex(dataSet.groupArray[k]) != g.colorIndex) {
            ++k;
        }
        EXPECT_FLOAT_EQ(c.points[g.first * 3], static_cast<float>(dataSet.coordArray[k].x));
        EXPECT_FLOAT_EQ(c.points[g.first * 3 + 2], static_cast<float>(dataSet.coordArray[k].z));
        total += g.count;
    }
    EXPECT_EQ(total, dataSet.coordArray.size());
    // Entry 0 takes the values -2, -1 and 0 (six points) and, as the table repeats, the
    // value 50 (four points).
    EXPECT_EQ(c.groups.front().colorIndex, 0);
    EXPECT_EQ(c.groups.front().count, 6u + 4u);
    EXPECT_EQ(c.lastColorIndex, dataColorIndex(dataSet.groupArray.back()));
}

TEST_F(GeometryCacheTest, PointsOfOneColourStayInTheDataSetUntilTheirArrayIsAskedFor)
{
    fillData(4, 60, 0);
    const GeometryCache& c = cachedGeometry(rangeFor(0), 0);
    ASSERT_EQ(c.groups.size(), 1u);
    EXPECT_EQ(c.groups.front().count, 4u * 60u);
    EXPECT_TRUE(c.pointsInData);
    EXPECT_TRUE(c.points.empty()) << "no copy of the data set's points is kept for the pixels they cover";
    const unsigned long version = displayState.geometry.arraysVersion();
    const GeometryCache& kept = displayState.geometry.keptPoints();
    ASSERT_EQ(kept.points.size(), 3u * 4u * 60u);
    EXPECT_NE(displayState.geometry.arraysVersion(), version) << "copies in buffers are out of date";
    for (std::size_t k = 0; k < dataSet.coordArray.size(); ++k) {
        EXPECT_EQ(kept.points[3 * k + 1], static_cast<float>(dataSet.coordArray[k].y)) << k;
    }
}

TEST_F(GeometryCacheTest, SurfacesShareTheGridAndCarryEachNormalOnTheClosingVertex)
{
    fillData(3, 4, 0);
    const GeometryCache& c = cachedGeometry(rangeFor(4), 4);
    ASSERT_TRUE(c.surfaceShared);
    EXPECT_EQ(c.surfaceVertices.size(), 3u * 4u * 3u);
    ASSERT_EQ(c.surfaceQuads, 2u * 3u);
    // The last quadrilateral, (1, 2): P(1,2), P(2,2), P(2,3), P(1,3); its normal sits on
    // P(1,3) and stays current after the surface.
    std::uint32_t q[4];
    gridQuad(4, 1 * 3 + 2, q);
    EXPECT_EQ(q[0], 6u);
    EXPECT_EQ(q[1], 10u);
    EXPECT_EQ(q[2], 11u);
    EXPECT_EQ(q[3], 7u);
    const Point3d n = triangleNormal(dataSet.coordArray[6], dataSet.coordArray[10], dataSet.coordArray[11]);
    EXPECT_FLOAT_EQ(c.surfaceNormals[7 * 3 + 1], static_cast<float>(n.y));
    EXPECT_TRUE(c.leavesNormal);
    EXPECT_FLOAT_EQ(c.lastNormal[1], static_cast<float>(n.y));

    // Maple surfaces share the grid too; filled, they carry the same normals, as a grid none.
    dataSet.loadedFormat = 1;
    ++dataSet.generation;
    const GeometryCache& maple = cachedGeometry(rangeFor(4), 4);
    ASSERT_EQ(maple.surfaceNormals.size(), maple.surfaceVertices.size());
    EXPECT_FLOAT_EQ(maple.surfaceNormals[7 * 3 + 1], static_cast<float>(n.y));
    EXPECT_TRUE(maple.leavesNormal);
    const GeometryCache& mapleGrid = cachedGeometry(rangeFor(3), 3);
    EXPECT_TRUE(mapleGrid.surfaceNormals.empty());
    EXPECT_FALSE(mapleGrid.leavesNormal);

    // Coloured data keep four vertices a quadrilateral, grouped by colour: filled, each
    // vertex carries its quadrilateral's normal, and the last quadrilateral's stays current.
    fillData(3, 4, 2);
    const GeometryCache& colored = cachedGeometry(rangeFor(4), 4);
    ASSERT_FALSE(colored.surfaceShared);
    ASSERT_EQ(colored.surfaceNormals.size(), colored.surfaceVertices.size());
    for (std::size_t v = 0; v < colored.surfaceVertices.size() / 12; ++v) {
        const float* p = &colored.surfaceVertices[v * 12];
        const Point3d a{p[0], p[1], p[2]}, b{p[3], p[4], p[5]}, c3{p[6], p[7], p[8]};
        const Point3d expected = triangleNormal(a, b, c3);
        for (int corner = 0; corner < 4; ++corner) {
            EXPECT_NEAR(colored.surfaceNormals[v * 12 + corner * 3 + 1], expected.y, 1e-5) << v;
        }
    }
    const Point3d last = triangleNormal(dataSet.coordArray[6], dataSet.coordArray[10], dataSet.coordArray[11]);
    EXPECT_TRUE(colored.leavesNormal);
    EXPECT_FLOAT_EQ(colored.lastNormal[1], static_cast<float>(last.y));
}

TEST_F(GeometryCacheTest, JoinedLinesShareVerticesAndNeedlesSkipWhatHasNoLength)
{
    fillData(5, 7, 0);
    const GeometryCache& c = cachedGeometry(rangeFor(1), 1);
    EXPECT_EQ(c.tubes.size(), 5u * 6u);
    displayState.geometry.keptThinLines();
    EXPECT_EQ(c.lineVertices.size(), 5u * 7u * 3u) << "each point once";
    EXPECT_EQ(c.lineIndices.size(), 5u * 6u * 2u);
    EXPECT_EQ(c.lineTangents.size(), c.lineVertices.size());

    // Needles: the floor of the first point of each set has no length, nor has the needle
    // of a point lying on the floor (point 0 of set 0, at the data's lowest y).
    dataSet.ymin = 0.0f;
    dataSet.loadedFormat = 0;
    const GeometryCache& n = cachedGeometry(rangeFor(2), 2);
    EXPECT_EQ(n.tubes.size(), 2u * 5u * 7u);
    displayState.geometry.keptThinLines();
    EXPECT_EQ(n.lineIndices.size(), 2u * (5u * 6u + 5u * 7u - 1u));
}

TEST_F(GeometryCacheTest, OnlyOneTubeDrawingIsKeptAndBigMeshesAreNot)
{
    fillData(20, 30, 0);
    setSetting(viewer.segments, 8);
    const GeometryCache& c = cachedGeometry(rangeFor(1), 1);
    const MeshArrays* mesh = displayState.geometry.keptTubeMesh();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount(), c.tubes.size() * static_cast<std::size_t>(tubeVertexCount(8)));
    EXPECT_EQ(mesh->indices.size(), c.tubes.size() * static_cast<std::size_t>(tubeIndexCount(8)));
    EXPECT_TRUE(c.lineVertices.empty());
    EXPECT_EQ(mesh->tubeStarts.size(), c.tubes.size());

    displayState.geometry.keptThinLines();
    EXPECT_FALSE(c.lineVertices.empty());
    EXPECT_TRUE(c.mesh.positions.empty()) << "the mesh is given back when lines are kept";

    displayState.geometry = GeometryStore(c.tubes.size() * 100);  // less than a tube's mesh per tube
    cachedGeometry(rangeFor(1), 1);
    EXPECT_EQ(displayState.geometry.keptTubeMesh(), nullptr) << "too big a mesh is generated per frame instead";
    EXPECT_EQ(displayState.geometry.buildCount(), 1u) << "a store with a lower limit builds its arrays afresh";
}

TEST(TubeMesh, EachTubeNotesWhereItsIndicesStart)
{
    // The drawing finds each tube's side and caps from these starts; a tube of length 0
    // has its caps alone.
    const TubeRing ring = tubeRing(5);
    MeshArrays mesh;
    appendTube(ring, Point3d{0, 0, 0}, Point3d{1, 2, 3}, 0.1f, mesh);
    appendTube(ring, Point3d{1, 1, 1}, Point3d{1, 1, 1}, 0.1f, mesh);
    appendTube(ring, Point3d{1, 1, 1}, Point3d{-1, 0, 2}, 0.1f, mesh);
    ASSERT_EQ(mesh.tubeStarts.size(), 3u);
    EXPECT_EQ(mesh.tubeStarts[0], 0u);
    EXPECT_EQ(mesh.tubeStarts[1], 12u * 5u);
    EXPECT_EQ(mesh.tubeStarts[2], 12u * 5u + 6u * 5u);
    EXPECT_EQ(mesh.indices.size(), 2u * 12u * 5u + 6u * 5u);
    mesh.clear();
    EXPECT_TRUE(mesh.tubeStarts.empty());
}

}  // namespace
