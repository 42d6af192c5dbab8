// The records of vertices, edges, edge uses, loops and faces: whole models through a
// memory archive and back, each version's layout from hand-built bytes, and broken
// input that must end in the archive exception.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "document/material.h"
#include "document/materialmanager.h"
#include "model/enumedgeuse.h"
#include "model/radialtails.h"
#include "model/undosuspender.h"
#include "platform/exceptions.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;
using topologytest::Bytes;
using topologytest::RecordBytes;

// A text that names every vertex, edge and loop by the order in which a walk over the
// faces first meets it, and lists the loop rings, the radial rings and the vertices'
// edge lists; two models with the same structure give the same text.
std::string Describe(const std::vector<CFace*>& faces)
{
    std::map<const CVertex*, int> vertexIndex;
    std::map<const CEdge*, int> edgeIndex;
    std::vector<const CVertex*> vertices;
    std::vector<const CEdge*> edges;
    std::map<const CLoop*, std::string> loopName;
    std::ostringstream text;
    const auto vertexOf = [&](const CVertex* vertex) {
        if (vertexIndex.emplace(vertex, static_cast<int>(vertices.size())).second) {
            vertices.push_back(vertex);
        }
        return vertexIndex[vertex];
    };
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const CPlane3d& plane = faces[f]->GetPlane();
        text << "face " << f << " plane " << plane.a << ' ' << plane.b << ' ' << plane.c << ' ' << plane.d << '\n';
        for (int l = 0; l < faces[f]->GetLoopCount(); ++l) {
            const CLoop* loop = faces[f]->GetLoop(l);
            loopName[loop] = std::to_string(f) + "." + std::to_string(l);
            text << " loop " << l << (loop->IsOuter() ? " outer" : " inner") << ':';
            for (const CEdgeUse* use : topologytest::RingOf(loop)) {
                const CEdge* edge = use->GetEdge();
                if (edgeIndex.emplace(edge, static_cast<int>(edges.size())).second) {
                    edges.push_back(edge);
                    vertexOf(edge->GetStartVertex());
                    vertexOf(edge->GetEndVertex());
                }
                text << " e" << edgeIndex[edge] << (use->IsReversed() ? '-' : '+');
                EXPECT_EQ(use->GetLoop(), loop);
                EXPECT_EQ(use->GetNext()->GetPrevious(), use);
            }
            text << '\n';
        }
    }
    for (std::size_t e = 0; e < edges.size(); ++e) {
        text << "edge " << e << " v" << vertexOf(edges[e]->GetStartVertex()) << " v"
             << vertexOf(edges[e]->GetEndVertex()) << " radial:";
        CEnumEdgeUseEdge uses(edges[e]);
        CEdgeUse* use = nullptr;
        while (uses.Next(use)) {
            text << ' ' << loopName[use->GetLoop()];
        }
        text << '\n';
    }
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        const CPoint3d& p = vertices[v]->GetPosition();
        text << "vertex " << v << " (" << p.x << ' ' << p.y << ' ' << p.z << "):";
        for (int i = 0; i < vertices[v]->GetEdgeCount(); ++i) {
            text << " e" << edgeIndex[vertices[v]->GetEdgeAt(i)];
        }
        text << '\n';
    }
    return text.str();
}

Bytes StoreFaces(const std::vector<CFace*>& faces)
{
    return entitytest::Store([&](CArchive& ar) {
        ar << static_cast<std::int32_t>(faces.size());
        for (CFace* face : faces) {
            ar.WriteObject(face);
        }
    });
}

// Faces read back, erased with their edges when the test ends.
class LoadedFaces
{
public:
    // inSession: read as a model file is, in a load session.
    explicit LoadedFaces(const Bytes& bytes, bool inSession = false)
    {
        const auto read = [this](CArchive& ar) {
            std::int32_t count = 0;
            ar >> count;
            for (std::int32_t i = 0; i < count; ++i) {
                m_faces.push_back(static_cast<CFace*>(ar.ReadObject(RUNTIME_CLASS(CFace))));
            }
        };
        if (inSession) {
            entitytest::LoadInSession(bytes, read);
        } else {
            entitytest::Load(bytes, read);
        }
    }
    ~LoadedFaces() { topologytest::EraseWithEdges(m_faces); }
    LoadedFaces(const LoadedFaces&) = delete;
    LoadedFaces& operator=(const LoadedFaces&) = delete;

    [[nodiscard]] const std::vector<CFace*>& Get() const { return m_faces; }

private:
    std::vector<CFace*> m_faces;
};

// What the failed read made goes with its load session.
template <typename Read>
int ArchiveCauseOf(const Bytes& bytes, Read read)
{
    try {
        entitytest::LoadInSession(bytes, read);
    } catch (CArchiveException& e) {
        return e.m_cause;
    }
    return -1;
}

TEST(TopologyRoundTrip, ACubeComesBackWithItsRingsRadialRingsAndVertexEdgeLists)
{
    Builder builder;
    const std::vector<CFace*> cube = builder.Cube();
    const LoadedFaces loaded(StoreFaces(cube));
    ASSERT_EQ(loaded.Get().size(), 6u);
    EXPECT_EQ(Describe(loaded.Get()), Describe(cube));
    CEdge* edge = loaded.Get()[0]->GetOuterLoop()->GetFirstEdgeUse()->GetEdge();
    EXPECT_EQ(edge->GetEdgeUseCount(), 2);
    EXPECT_EQ(edge->GetStartVertex()->GetEdgeCount(), 3);
}

// Past a few uses a ring's end is found through the session's notes instead of a walk.
TEST(TopologyRoundTrip, FacesOverOneRingComeBackWithTheirRadialRingsInTheOrderRead)
{
    for (const int faces : {2, CRadialTails::kShortWalk + 2, 40}) {
        for (const bool inSession : {false, true}) {
            Builder builder;
            const std::vector<CVertex*> ring = {builder.Vertex(0, 0), builder.Vertex(1, 0), builder.Vertex(0, 1)};
            std::vector<CFace*> made;
            for (int i = 0; i < faces; ++i) {
                made.push_back(builder.Face(ring, {0, 0, 1}));
            }
            const LoadedFaces loaded(StoreFaces(made), inSession);
            ASSERT_EQ(loaded.Get().size(), made.size());
            EXPECT_EQ(Describe(loaded.Get()), Describe(made)) << faces << " faces, session " << inSession;
            CEdge* edge = loaded.Get()[0]->GetOuterLoop()->GetFirstEdgeUse()->GetEdge();
            EXPECT_EQ(edge->GetEdgeUseCount(), faces);
        }
    }
}

TEST(TopologyRoundTrip, ASquareWithAHoleKeepsItsHoleClockwiseAndItsBackMaterial)
{
    Builder builder;
    CFace* face = builder.SquareWithHole();
    auto* material = new CMaterial;
    builder.Component().GetMaterialManager()->AddMaterial(material);
    face->SetBackMaterial(material);
    CMaterial* loadedMaterial = nullptr;
    {
        const LoadedFaces loaded(StoreFaces({face}));
        ASSERT_EQ(loaded.Get().size(), 1u);
        const CFace* back = loaded.Get()[0];
        EXPECT_EQ(Describe(loaded.Get()), Describe({face}));
        EXPECT_FALSE(back->GetLoop(1)->IsOuter());
        EXPECT_LT(back->GetLoop(1)->GetSignedArea(back->GetNormal(), nullptr), 0.0);
        EXPECT_DOUBLE_EQ(back->GetArea(), 12.0);
        loadedMaterial = back->GetBackMaterial();
        ASSERT_NE(loadedMaterial, nullptr);
        EXPECT_NE(loadedMaterial, material);
    }
    delete loadedMaterial;
}

TEST(VertexRecord, IsTheEntityPartAndThreeDoubles)
{
    RecordBytes record;
    const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CVertex", 0));
    record.Vertex(1.0, -2.0, 3.5);
    CVertex* vertex = nullptr;
    entitytest::Load(record.Get(), [&](CArchive& ar) {
        vertex = ReadVertex(ar);
        EXPECT_EQ(ar.GetRemainingBytes(), 0u);
    });
    ASSERT_NE(vertex, nullptr);
    EXPECT_EQ(vertex->GetPosition().y, -2.0);
    EXPECT_EQ(vertex->GetEdgeCount(), 0);
    delete vertex;
}

// A loose edge record from (0, 0, 0) to (1, 0, 0), with a null curve reference when
// the version carries one.
Bytes EdgeRecord(int version, bool nullEnd = false)
{
    RecordBytes record;
    record.NewObject("CEdge", 2);
    record.EntityPart();
    record.DrawingElementPart();
    record.Vertex(0.0, 0.0, 0.0);
    if (nullEnd) {
        record.Null();
    } else {
        record.Vertex(1.0, 0.0, 0.0);
    }
    if (version == 1 || version == 2) {
        record.Null();
    }
    return record.Get();
}

TEST(EdgeRecord, OnlyVersionsOneAndTwoCarryACurveAndEveryVersionRegistersWithItsVertices)
{
    for (const int version : {0, 1, 2}) {
        const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CEdge", version));
        CEdge* edge = nullptr;
        entitytest::Load(EdgeRecord(version), [&](CArchive& ar) {
            edge = ReadEdge(ar);
            EXPECT_EQ(ar.GetRemainingBytes(), 0u) << "version " << version;
        });
        ASSERT_NE(edge, nullptr);
        EXPECT_EQ(edge->GetCurve(), nullptr);
        EXPECT_EQ(edge->GetStartVertex()->GetEdgeAt(0), edge);
        EXPECT_EQ(edge->GetEndVertex()->GetEdgeAt(0), edge);
        EXPECT_DOUBLE_EQ(edge->GetLength(), 1.0);
        const CUndoSuspender suspender;
        edge->Erase();
    }
}

TEST(EdgeRecord, AMissingVertexIsABadIndex)
{
    const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CEdge", 2));
    EXPECT_EQ(ArchiveCauseOf(EdgeRecord(2, true), [](CArchive& ar) { (void)ReadEdge(ar); }),
              CArchiveException::badIndex);
}

// A loop of one use whose edge runs from (0, 0, 0) to (1, 0, 0). The oldest use
// layout names its neighbours; the oldest loop layout ends after its first use.
Bytes OneUseLoopRecord(int useVersion, int loopVersion)
{
    RecordBytes record;
    const int loop = record.NewObject("CLoop", 1);
    record.EntityPart();
    record.Bool(true);
    record.Bool(false);
    const int use = record.NewObject("CEdgeUse", 1);
    record.EntityPart();
    record.NewObject("CEdge", 2);
    record.EntityPart();
    record.DrawingElementPart();
    record.Vertex(0.0, 0.0, 0.0);
    record.Vertex(1.0, 0.0, 0.0);
    record.Null();
    record.Bool(true);
    record.Reference(loop);
    if (useVersion == 0) {
        record.Reference(use);
        record.Reference(use);
    }
    if (loopVersion >= 1) {
        record.Null();
    }
    return record.Get();
}

TEST(LoopRecord, EachVersionPairLeavesASingleUseItsOwnNeighbourAndTheEdgesFirstUse)
{
    for (const auto& [useVersion, loopVersion] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{0, 1}}) {
        const entitytest::FileVersions versions({{"CEntity", 3}, {"CDrawingElement", 0}, {"CVertex", 0}, {"CEdge", 2},
                                        {"CEdgeUse", useVersion}, {"CLoop", loopVersion}});
        CLoop* loop = nullptr;
        entitytest::Load(OneUseLoopRecord(useVersion, loopVersion), [&](CArchive& ar) {
            loop = ReadLoopObject(ar);
            EXPECT_EQ(ar.GetRemainingBytes(), 0u);
        });
        ASSERT_NE(loop, nullptr);
        CEdgeUse* use = loop->GetFirstEdgeUse();
        ASSERT_NE(use, nullptr);
        EXPECT_EQ(use->GetNext(), use);
        EXPECT_EQ(use->GetPrevious(), use);
        EXPECT_TRUE(use->IsReversed());
        EXPECT_TRUE(loop->IsOuter());
        EXPECT_FALSE(loop->IsConvex());
        CEdge* edge = use->GetEdge();
        EXPECT_EQ(edge->GetFirstEdgeUse(), use);
        const CUndoSuspender suspender;
        loop->Erase();
        edge->Erase();
    }
}

TEST(LoopRecord, AUseThatAppearsTwiceInOneRingIsABadIndex)
{
    const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CLoop", 1));
    Bytes bytes = OneUseLoopRecord(1, 1);
    bytes.resize(bytes.size() - 2);
    entitytest::PutWord(bytes, 4);  // the first use (object 4) again instead of the end of the ring
    entitytest::PutWord(bytes, 0);
    EXPECT_EQ(ArchiveCauseOf(bytes, [](CArchive& ar) { (void)ReadLoopObject(ar); }), CArchiveException::badIndex);
}

class FaceRecordTest : public ::testing::Test
{
protected:
    // A face without loops after a material, in the layout of the version, with the
    // loop count and the material flag given; the material is object 2 of the archive.
    Bytes Record(int version, std::int32_t loopCount, std::int32_t materialFlag)
    {
        Bytes bytes = entitytest::Store([&](CArchive& ar) { ar.WriteObject(&m_material); });
        RecordBytes face;
        face.NewObject("CFace", 3);
        bytes.insert(bytes.end(), face.Get().begin(), face.Get().end());
        entitytest::PutWord(bytes, 0);  // no attribute container
        entitytest::PutInt(bytes, 0);   // oldest drawing-element layout: no colour
        for (const double coefficient : {0.0, 0.0, 1.0, 0.0}) {
            RecordBytes number;
            number.Double(coefficient);
            bytes.insert(bytes.end(), number.Get().begin(), number.Get().end());
        }
        entitytest::PutInt(bytes, loopCount);
        if (version == 1) {
            entitytest::PutInt(bytes, materialFlag);
            if (materialFlag != 0) {
                entitytest::PutWord(bytes, 2);
            }
        }
        if (version >= 3) {
            entitytest::PutWord(bytes, 2);
        }
        return bytes;
    }

    CFace* Read(const Bytes& bytes)
    {
        CFace* face = nullptr;
        entitytest::Load(bytes, [&](CArchive& ar) {
            (void)ar.ReadObject(RUNTIME_CLASS(CMaterial));
            face = static_cast<CFace*>(ar.ReadObject(RUNTIME_CLASS(CFace)));
            EXPECT_EQ(ar.GetRemainingBytes(), 0u);
        });
        return face;
    }

    Builder m_builder;
    CMaterial m_material;
};

TEST_F(FaceRecordTest, SchemaOneWithAFlagNamesTheFrontMaterialWhichTheBackSharesWithAUseEach)
{
    const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CFace", 1));
    CFace* face = Read(Record(1, 0, 7));
    ASSERT_NE(face, nullptr);
    CMaterial* loaded = face->GetMaterial();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(face->GetBackMaterial(), loaded);
    EXPECT_EQ(loaded->GetUseCount(), 2);
    delete face;
    delete loaded;
}

TEST_F(FaceRecordTest, SchemaOneWithoutAFlagAndSchemaTwoReadNoMaterial)
{
    for (const int version : {0, 1, 2}) {
        const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CFace", version));
        Bytes bytes = Record(version, 0, 0);
        CFace* face = nullptr;
        entitytest::Load(bytes, [&](CArchive& ar) {
            delete ar.ReadObject(RUNTIME_CLASS(CMaterial));
            face = static_cast<CFace*>(ar.ReadObject(RUNTIME_CLASS(CFace)));
            EXPECT_EQ(ar.GetRemainingBytes(), 0u) << "version " << version;
        });
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->GetMaterial(), nullptr);
        EXPECT_EQ(face->GetBackMaterial(), nullptr);
        delete face;
    }
}

TEST_F(FaceRecordTest, SchemaThreeReadsTheBackMaterialOnly)
{
    const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CFace", 3));
    CFace* face = Read(Record(3, 0, 0));
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->GetMaterial(), nullptr);
    CMaterial* back = face->GetBackMaterial();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetUseCount(), 1);
    delete face;
    delete back;
}

TEST_F(FaceRecordTest, LoopCountsOutsideTheirRangeAndCountsTheBytesCannotHoldAreRefused)
{
    const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CFace", 3));
    const auto read = [](CArchive& ar) {
        ar.DeleteWhenClosed(ar.ReadObject(RUNTIME_CLASS(CMaterial)));
        (void)ar.ReadObject(RUNTIME_CLASS(CFace));
    };
    EXPECT_EQ(ArchiveCauseOf(Record(3, -1, 0), read), CArchiveException::genericException);
    EXPECT_EQ(ArchiveCauseOf(Record(3, 100000, 0), read), CArchiveException::genericException);
    EXPECT_EQ(ArchiveCauseOf(Record(3, 99999, 0), read), CArchiveException::endOfFile);
}

TEST_F(FaceRecordTest, ANullLoopIsABadIndex)
{
    const std::unique_ptr<entitytest::FileVersions> versions(topologytest::NewFileVersions("CFace", 3));
    Bytes bytes = Record(2, 1, 0);
    entitytest::PutWord(bytes, 0);  // the loop
    EXPECT_EQ(ArchiveCauseOf(bytes,
                             [](CArchive& ar) {
                                 ar.DeleteWhenClosed(ar.ReadObject(RUNTIME_CLASS(CMaterial)));
                                 (void)ar.ReadObject(RUNTIME_CLASS(CFace));
                             }),
              CArchiveException::badIndex);
}

} // namespace
