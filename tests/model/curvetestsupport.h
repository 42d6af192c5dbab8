#pragma once
// Support for the curve tests: small chains of edges in a component of their own,
// built with change recording off so that erased entities are deleted at once.

#include <memory>
#include <vector>

#include "document/component.h"
#include "model/curve.h"
#include "model/edge.h"
#include "model/undosuspender.h"
#include "model/vertex.h"

namespace curvetest {

// A curve that tells when it is deleted, so a test can see it erase itself.
class CProbeCurve : public CCurve
{
public:
    explicit CProbeCurve(bool* deleted) : m_deleted(deleted) {}
    ~CProbeCurve() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

class Topology
{
public:
    Topology() : m_component(new CComponent) {}
    ~Topology()
    {
        for (CEdge* edge : m_loose) {
            edge->Erase();
        }
        m_component->Erase();
    }
    Topology(const Topology&) = delete;
    Topology& operator=(const Topology&) = delete;

    CVertex* Vertex(double x, double y, double z = 0.0) { return new CVertex(CPoint3d(x, y, z)); }

    // An edge in the component, or a loose one (no parent component) when asked.
    CEdge* Edge(CVertex* start, CVertex* end, bool loose = false)
    {
        auto* edge = new CEdge(start, end, false);
        if (loose) {
            m_loose.push_back(edge);
        } else {
            m_component->Add(edge);
        }
        return edge;
    }

    // Edges from each vertex to the next, joined to the curve in order; where
    // reversed[i] is set the i-th edge runs backwards.
    std::vector<CEdge*> Chain(const std::vector<CVertex*>& vertices, CCurve* curve,
                              const std::vector<bool>& reversed = {})
    {
        std::vector<CEdge*> edges;
        for (size_t i = 0; i + 1 < vertices.size(); ++i) {
            const bool back = i < reversed.size() && reversed[i];
            CEdge* edge = back ? Edge(vertices[i + 1], vertices[i]) : Edge(vertices[i], vertices[i + 1]);
            if (curve != nullptr) {
                edge->SetCurve(curve);
            }
            edges.push_back(edge);
        }
        return edges;
    }

    // A loose edge the code under test erased.
    void Forget(const CEdge* edge) { std::erase(m_loose, edge); }

    [[nodiscard]] CComponent& Component() const { return *m_component; }

private:
    CUndoSuspender m_suspender;
    CComponent* m_component;
    std::vector<CEdge*> m_loose;
};

} // namespace curvetest
