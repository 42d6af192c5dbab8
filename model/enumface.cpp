#include "model/enumface.h"

#include <algorithm>

#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

CEnumFace::~CEnumFace() = default;

void CEnumFace::Reset() {}

bool CEnumFace::Next(CFace*& /*face*/)
{
    return false;
}

CEnumFaceEdge::CEnumFaceEdge(const CEdge* edge) : m_cursor(edge != nullptr ? edge->GetFirstEdgeUse() : nullptr) {}

void CEnumFaceEdge::Reset()
{
    m_cursor.Reset();
}

bool CEnumFaceEdge::Next(CFace*& face)
{
    CEdgeUse* use = nullptr;
    if (!m_cursor.Step(use, [](const CEdgeUse* u) { return u->GetNextAroundEdge(); })) {
        return false;
    }
    face = use->GetFace();
    return true;
}

CEnumFaceVertex::CEnumFaceVertex(const CVertex* vertex)
{
    m_faces.reserve(static_cast<std::size_t>(vertex->GetEdgeCount()));
    for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
        CEnumEdgeUseEdge uses(vertex->GetEdgeAt(i));
        CEdgeUse* use = nullptr;
        while (uses.Next(use)) {
            CFace* face = use->GetFace();
            if (face != nullptr && std::find(m_faces.begin(), m_faces.end(), face) == m_faces.end()) {
                m_faces.push_back(face);
            }
        }
    }
}

void CEnumFaceVertex::Reset()
{
    m_index = 0;
}

bool CEnumFaceVertex::Next(CFace*& face)
{
    if (m_index >= m_faces.size()) {
        return false;
    }
    face = m_faces[m_index++];
    return true;
}
