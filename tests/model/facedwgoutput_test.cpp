// Faces exported as polyface records: points, signed 16-bit indices, dropped slivers
// and records split before their indices could overflow.

#include "model/facedwgoutput.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "model/exportsink.h"
#include "tests/model/topologytestsupport.h"

namespace {

struct Record
{
    std::vector<CPoint3d> points;
    int triangles = 0;
    std::vector<std::int16_t> faceList;
};

class CollectingSink : public IExportSink
{
public:
    explicit CollectingSink(bool accepts = true) : m_accepts(accepts) {}
    [[nodiscard]] bool AcceptsFaces() const override { return m_accepts; }
    void AddPolyface(std::vector<CPoint3d> points, int triangleCount, std::vector<std::int16_t> faceList,
                     const CColor& /*color*/, CLayer* /*layer*/) override
    {
        records.push_back({std::move(points), triangleCount, std::move(faceList)});
    }
    [[nodiscard]] CMaterial* GetDefaultMaterial() const override { return nullptr; }

    std::vector<Record> records;

private:
    bool m_accepts;
};

TEST(FaceDwgOutput, ASquareExportsOneRecordOfTwoTrianglesWithTheDiagonalNegative)
{
    topologytest::Builder build;
    CFace* square = build.Square();
    CollectingSink sink;
    square->ExportTessellation(&sink);
    ASSERT_EQ(sink.records.size(), 1U);
    const Record& record = sink.records[0];
    EXPECT_EQ(record.points.size(), 4U);
    EXPECT_EQ(record.triangles, 2);
    ASSERT_EQ(record.faceList.size(), 8U);
    EXPECT_EQ(record.faceList[0], 3);
    EXPECT_EQ(record.faceList[4], 3);
    int negative = 0;
    for (std::size_t i : {1, 2, 3, 5, 6, 7}) {
        negative += record.faceList[i] < 0 ? 1 : 0;
        EXPECT_LE(std::abs(record.faceList[i]), 4);
    }
    EXPECT_EQ(negative, 2);

    CollectingSink refusing(false);
    square->ExportTessellation(&refusing);
    EXPECT_TRUE(refusing.records.empty());
}

TEST(FaceDwgOutput, SliverTrianglesAreDropped)
{
    topologytest::Builder build;
    CFace* square = build.Square();
    CollectingSink sink;
    CFaceDwgOutput output(&sink, square);
    output.Begin(0);
    const double corners[][3] = {{0, 0, 0}, {1, 0, 0}, {2, 0.0005, 0}, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    for (const auto& corner : corners) {
        output.Vertex(corner);
    }
    output.End();
    ASSERT_EQ(sink.records.size(), 1U);
    EXPECT_EQ(sink.records[0].triangles, 1);
}

// A record of more distinct points than 16-bit indices can name would wrap to
// negative indices; such primitives go out in several records instead.
TEST(FaceDwgOutput, RecordsNeverHoldMorePointsThanTheirIndicesCanName)
{
    topologytest::Builder build;
    CFace* square = build.Square();
    CollectingSink sink;
    CFaceDwgOutput output(&sink, square, 5);
    output.Begin(0);
    for (int t = 0; t < 4; ++t) {
        const double corners[][3] = {{t * 10.0, 0, 0}, {t * 10.0 + 1, 0, 0}, {t * 10.0, 1, 0}};
        for (const auto& corner : corners) {
            output.Vertex(corner);
        }
    }
    output.End();
    ASSERT_EQ(sink.records.size(), 4U);
    for (const Record& record : sink.records) {
        EXPECT_LE(record.points.size(), 5U);
        for (std::int16_t index : record.faceList) {
            EXPECT_GT(index, 0);
        }
    }
}

} // namespace
