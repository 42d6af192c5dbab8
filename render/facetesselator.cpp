#include "render/facetesselator.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/smoothnormals.h"
#include "model/vertex.h"

namespace {

CFaceTesselator* Target(void* polygonData)
{
    return static_cast<CFaceTesselator*>(polygonData);
}

void OnBegin(GLenum type, void* data)
{
    if (data != nullptr) {
        Target(data)->Begin(type);
    }
}

void OnEdgeFlag(GLboolean flag, void* data)
{
    if (data != nullptr) {
        Target(data)->EdgeFlag(flag == GL_TRUE);
    }
}

void OnVertex(void* vertex, void* data)
{
    if (data == nullptr) {
        return;
    }
    const auto* values = static_cast<const double*>(vertex);
    CFaceTesselator* target = Target(data);
    if (target->CarriesNormals()) {
        target->VertexExtra(values + 3);
    }
    target->Vertex(values);
}

void OnEnd(void* data)
{
    if (data != nullptr) {
        Target(data)->End();
    }
}

void OnError(GLenum error, void* data)
{
    if (data != nullptr) {
        Target(data)->Error(error);
    }
}

void OnCombine(GLdouble coordinates[3], void* neighbours[4], GLfloat weights[4], void** out, void* data)
{
    if (data != nullptr) {
        Target(data)->Combine(coordinates, neighbours, weights, out);
    }
}

template <typename Callback>
void SetTessCallback(GLUtesselator* tess, GLenum which, Callback callback)
{
    gluTessCallback(tess, which, reinterpret_cast<_GLUfuncptr>(callback));
}

}  // namespace

CFaceTesselator::CFaceTesselator(const CFace* face, const CSmoothNormals* smoothNormals)
    : m_face(face), m_smoothNormals(smoothNormals)
{
}

CFaceTesselator::~CFaceTesselator()
{
    CFaceTesselator::Cleanup();
}

void CFaceTesselator::Begin(unsigned /*primitive*/)
{
}

void CFaceTesselator::EdgeFlag(bool /*boundary*/)
{
}

void CFaceTesselator::Vertex(const double* /*position*/)
{
}

void CFaceTesselator::End()
{
}

void CFaceTesselator::Error(unsigned /*errorNumber*/)
{
}

void CFaceTesselator::VertexExtra(const double* /*normal*/)
{
}

void CFaceTesselator::Combine(const double coordinates[3], void* const neighbours[4], const float weights[4],
                              void** out)
{
    const int stride = GetStride();
    auto vertex = std::make_unique<double[]>(stride);
    vertex[0] = coordinates[0];
    vertex[1] = coordinates[1];
    vertex[2] = coordinates[2];
    if (m_withNormals) {
        double normal[3] = {0.0, 0.0, 0.0};
        for (int i = 0; i < 4 && neighbours[i] != nullptr; ++i) {
            const double* neighbourNormal = static_cast<const double*>(neighbours[i]) + 3;
            for (int k = 0; k < 3; ++k) {
                normal[k] += weights[i] * neighbourNormal[k];
            }
        }
        const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        for (int k = 0; k < 3; ++k) {
            vertex[3 + k] = length > 0.0 ? normal[k] / length : normal[k];
        }
    }
    *out = vertex.get();
    m_combined.push_back(std::move(vertex));
}

void CFaceTesselator::Cleanup()
{
    m_combined.clear();
    m_vertices.clear();
    m_vertices.shrink_to_fit();
    m_heapLoopCounts.reset();
    m_loopCounts = m_inlineLoopCounts;
    m_loopCount = 0;
}

int CFaceTesselator::GetLoopVertexCount(int loop) const
{
    return loop >= 0 && loop < m_loopCount ? m_loopCounts[loop] : 0;
}

void CFaceTesselator::SetupLoops(bool withNormals)
{
    Cleanup();
    m_withNormals = withNormals;
    if (m_face == nullptr) {
        return;
    }
    m_loopCount = m_face->GetLoopCount();
    if (m_loopCount > 4) {
        m_heapLoopCounts = std::make_unique<std::int32_t[]>(m_loopCount);
        m_loopCounts = m_heapLoopCounts.get();
    }
    const CUnitVector3d faceNormal = m_face->GetNormal();
    for (int loop = 0; loop < m_loopCount; ++loop) {
        const std::size_t start = m_vertices.size();
        std::unique_ptr<CEnumEdgeUse> uses(m_face->GetLoop(loop)->NewEdgeUseEnum());
        CEdgeUse* use = nullptr;
        int count = 0;
        while (uses->Next(use) && use->GetStartVertex() != nullptr) {
            const CPoint3d& p = use->GetStartVertex()->GetPosition();
            m_vertices.insert(m_vertices.end(), {p.x, p.y, p.z});
            if (withNormals) {
                const CUnitVector3d n =
                    m_smoothNormals != nullptr ? m_smoothNormals->GetNormal(*use, nullptr) : faceNormal;
                m_vertices.insert(m_vertices.end(), {n.x, n.y, n.z});
            }
            ++count;
        }
        if (count < 3) {
            m_vertices.resize(start);
            count = 0;
        }
        m_loopCounts[loop] = count;
    }
}

void CFaceTesselator::RegisterDataCallbacks(GLUtesselator* tess)
{
    SetTessCallback(tess, GLU_TESS_VERTEX_DATA, OnVertex);
    SetTessCallback(tess, GLU_TESS_ERROR_DATA, OnError);
    SetTessCallback(tess, GLU_TESS_COMBINE_DATA, OnCombine);
}

void CFaceTesselator::RegisterCallbacks(GLUtesselator* tess)
{
    SetTessCallback(tess, GLU_TESS_BEGIN_DATA, OnBegin);
    SetTessCallback(tess, GLU_TESS_END_DATA, OnEnd);
    SetTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, OnEdgeFlag);
    RegisterDataCallbacks(tess);
}

void CFaceTesselator::Tessellate(bool withNormals)
{
    SetupLoops(withNormals);
    if (m_face == nullptr) {
        return;
    }
    GLUtesselator* tess = gluNewTess();
    if (tess == nullptr) {
        return;
    }
    RegisterCallbacks(tess);
    const CUnitVector3d normal = m_face->GetNormal();
    gluTessNormal(tess, normal.x, normal.y, normal.z);
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_POSITIVE);
    gluTessBeginPolygon(tess, this);
    const int stride = GetStride();
    double* vertex = m_vertices.data();
    for (int loop = 0; loop < m_loopCount; ++loop) {
        if (m_loopCounts[loop] == 0) {
            continue;
        }
        gluTessBeginContour(tess);
        for (int i = 0; i < m_loopCounts[loop]; ++i, vertex += stride) {
            gluTessVertex(tess, vertex, vertex);
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
}
