#pragma once
// Support for the topology tests: a current model whose root component holds the
// geometry a test builds (a cube, a square with a hole), records written by hand
// byte by byte, and vertices that tell when they are deleted.

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "document/component.h"
#include "foundation/plane3d.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "tests/model/entitytestsupport.h"

namespace topologytest {

using Bytes = std::vector<BYTE>;

// A vertex that writes down its deletion, so a test can see an operation erase it.
class CProbeVertex : public CVertex
{
public:
    CProbeVertex(const CPoint3d& position, bool* deleted) : CVertex(position), m_deleted(deleted) {}
    ~CProbeVertex() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

// Geometry in the root component of a current model, with change recording off so
// that erased entities are deleted at once. The model erases what it holds at the end.
class Builder
{
public:
    [[nodiscard]] CComponent& Component() const { return *m_model.Get().GetRootComponent(); }

    CVertex* Vertex(double x, double y, double z = 0.0) { return new CVertex(CPoint3d(x, y, z)); }

    // The edge between the two vertices, made (in the component) when there is none.
    CEdge* Edge(CVertex* start, CVertex* end)
    {
        if (CEdge* existing = start->FindEdgeTo(end)) {
            return existing;
        }
        auto* edge = new CEdge(start, end, false);
        Component().Add(edge);
        return edge;
    }

    // A face over the ring of vertices, counter-clockwise about the normal; its edges
    // are made in ring order where they do not exist yet.
    CFace* Face(const std::vector<CVertex*>& ring, const CVector3d& normal)
    {
        std::vector<CEdge*> edges;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            edges.push_back(Edge(ring[i], ring[(i + 1) % ring.size()]));
        }
        auto* face = new CFace(static_cast<int>(edges.size()), edges.data(),
                               CPlane3d(ring[0]->GetPosition(), normal));
        Component().Add(face);
        return face;
    }

    // A hole of the face over the ring of vertices, clockwise seen from the front, so
    // that it keeps the order of its edges.
    CLoop* Hole(CFace* face, const std::vector<CVertex*>& ring)
    {
        auto* loop = new CLoop;
        CEdgeUse* previous = nullptr;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            CEdge* edge = Edge(ring[i], ring[(i + 1) % ring.size()]);
            previous = new CEdgeUse(edge, edge->GetStartVertex() != ring[i], previous, loop);
        }
        face->AddInnerLoop(loop);
        return loop;
    }

    // The unit square in the XY plane, facing +z.
    CFace* Square(double size = 1.0, double x = 0.0, double y = 0.0)
    {
        return Face({Vertex(x, y), Vertex(x + size, y), Vertex(x + size, y + size), Vertex(x, y + size)},
                    CVector3d(0.0, 0.0, 1.0));
    }

    // A 4 by 4 square facing +z with a 2 by 2 hole in its middle.
    CFace* SquareWithHole()
    {
        CFace* face = Square(4.0);
        Hole(face, {Vertex(1.0, 1.0), Vertex(1.0, 3.0), Vertex(3.0, 3.0), Vertex(3.0, 1.0)});
        return face;
    }

    // The unit cube, every face facing outwards.
    std::vector<CFace*> Cube()
    {
        CVertex* v[8];
        for (int i = 0; i < 8; ++i) {
            v[i] = Vertex(i & 1, (i >> 1) & 1, (i >> 2) & 1);
        }
        return {Face({v[0], v[2], v[3], v[1]}, {0, 0, -1}), Face({v[4], v[5], v[7], v[6]}, {0, 0, 1}),
                Face({v[0], v[1], v[5], v[4]}, {0, -1, 0}), Face({v[2], v[6], v[7], v[3]}, {0, 1, 0}),
                Face({v[0], v[4], v[6], v[2]}, {-1, 0, 0}), Face({v[1], v[3], v[7], v[5]}, {1, 0, 0})};
    }

private:
    entitytest::CurrentModel m_model;
};

// The uses of a loop in ring order.
inline std::vector<CEdgeUse*> RingOf(const CLoop* loop)
{
    std::vector<CEdgeUse*> uses;
    CEdgeUse* use = loop->GetFirstEdgeUse();
    for (int i = 0; use != nullptr && i < 1000; ++i) {
        uses.push_back(use);
        use = use->GetNext();
        if (use == loop->GetFirstEdgeUse()) {
            break;
        }
    }
    return uses;
}

// Erases faces read from a file, which no component holds, and then the edges of
// their loops; recording is off, so they are deleted at once.
inline void EraseWithEdges(const std::vector<CFace*>& faces)
{
    const CUndoSuspender suspender;
    std::set<CEdge*> edges;
    for (CFace* face : faces) {
        for (int l = 0; l < face->GetLoopCount(); ++l) {
            for (CEdgeUse* use : RingOf(face->GetLoop(l))) {
                edges.insert(use->GetEdge());
            }
        }
        face->Erase();
    }
    for (CEdge* edge : edges) {
        edge->Erase();
    }
}

// A record written by hand: class tags and object numbers as the archive counts them.
class RecordBytes
{
public:
    // Announces a new object of the class (the class itself when first met) and
    // answers the number the object gets.
    int NewObject(const std::string& className, WORD schema)
    {
        const auto found = m_classes.find(className);
        if (found != m_classes.end()) {
            Word(static_cast<WORD>(0x8000 | found->second));
        } else {
            Word(0xFFFF);
            Word(schema);
            Word(static_cast<WORD>(className.size()));
            m_bytes.insert(m_bytes.end(), className.begin(), className.end());
            m_classes[className] = m_next++;
        }
        return m_next++;
    }
    void Reference(int index) { Word(static_cast<WORD>(index)); }
    void Null() { Word(0); }
    void Word(WORD value) { entitytest::PutWord(m_bytes, value); }
    void Int(std::int32_t value) { entitytest::PutInt(m_bytes, value); }
    void Bool(bool value) { m_bytes.push_back(value ? 1 : 0); }
    void Double(double value)
    {
        BYTE raw[8];
        std::memcpy(raw, &value, sizeof raw);
        m_bytes.insert(m_bytes.end(), raw, raw + 8);
    }
    void Point(double x, double y, double z)
    {
        Double(x);
        Double(y);
        Double(z);
    }
    // The entity part of a file whose entities carry an attribute-container reference,
    // and a drawing-element part of the oldest layout (a colour word of 0).
    void EntityPart() { Null(); }
    void DrawingElementPart() { Int(0); }
    // A new vertex at the point; answers its number.
    int Vertex(double x, double y, double z)
    {
        const int index = NewObject("CVertex", 0);
        EntityPart();
        Point(x, y, z);
        return index;
    }

    [[nodiscard]] const Bytes& Get() const { return m_bytes; }

private:
    Bytes m_bytes;
    std::map<std::string, int> m_classes;
    int m_next = 1;
};

// The class versions of the hand-built records, with one class's version changed.
inline entitytest::FileVersions* NewFileVersions(const char* className, int version)
{
    return new entitytest::FileVersions({{"CEntity", 3},
                                         {"CDrawingElement", 0},
                                         {"CMaterial", 12},
                                         {"CVertex", 0},
                                         {"CEdge", std::strcmp(className, "CEdge") == 0 ? version : 2},
                                         {"CEdgeUse", std::strcmp(className, "CEdgeUse") == 0 ? version : 1},
                                         {"CLoop", std::strcmp(className, "CLoop") == 0 ? version : 1},
                                         {"CFace", std::strcmp(className, "CFace") == 0 ? version : 3}});
}

} // namespace topologytest
