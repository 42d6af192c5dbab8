#include "model/facetesselator.h"

#include <GL/glu.h>

#include <cmath>

#include "document/enumopeningloopface.h"
#include "model/face.h"
#include "model/loop.h"

// The C entry points that GLU calls; each passes the call on to the tessellator object
// that travels as the polygon data.
struct TesselatorCallbacks
{
    static CFaceTesselator* Of(void* data) { return static_cast<CFaceTesselator*>(data); }

    static void GLAPIENTRY OnBegin(GLenum primitive, void* data)
    {
        if (data != nullptr) {
            Of(data)->Begin(primitive);
        }
    }
    static void GLAPIENTRY OnEdgeFlag(GLboolean flag, void* data)
    {
        if (data != nullptr) {
            Of(data)->EdgeFlag(flag != GL_FALSE);
        }
    }
    static void GLAPIENTRY OnVertex(void* vertex, void* data)
    {
        if (data == nullptr) {
            return;
        }
        const auto* values = static_cast<const double*>(vertex);
        if (Of(data)->m_withNormals) {
            Of(data)->VertexExtra(values + 3);
        }
        Of(data)->Vertex(values);
    }
    static void GLAPIENTRY OnEnd(void* data)
    {
        if (data != nullptr) {
            Of(data)->End();
        }
    }
    static void GLAPIENTRY OnError(GLenum error, void* data)
    {
        if (data != nullptr) {
            Of(data)->Error(error);
        }
    }
    static void GLAPIENTRY OnCombine(GLdouble coords[3], void* neighbours[4], GLfloat weights[4], void** out,
                                     void* data)
    {
        *out = data != nullptr ? Of(data)->Combine(coords, neighbours, weights) : nullptr;
    }
};

CFaceTesselator::CFaceTesselator(const CFace* face, ITarnisView* view) : m_face(face), m_view(view) {}

CFaceTesselator::~CFaceTesselator() = default;

void CFaceTesselator::Begin(unsigned int /*primitive*/) {}

void CFaceTesselator::EdgeFlag(bool /*boundary*/) {}

void CFaceTesselator::Vertex(const double* /*position*/) {}

void CFaceTesselator::End() {}

void CFaceTesselator::Error(unsigned int /*error*/) {}

void CFaceTesselator::VertexExtra(const double* /*normal*/) {}

void CFaceTesselator::CollectOpeningContours(std::vector<std::vector<CPoint3d>>& contours) const
{
    const std::unique_ptr<CEnumOpeningLoopFace> openings(m_face->NewOpeningEnum(m_view));
    COpeningLoop* opening = nullptr;
    std::vector<CPoint3d> contour;
    while (openings->Next(opening)) {
        opening->GetContour(contour);
        if (contour.size() >= 3) {
            contours.push_back(contour);
        }
    }
}

double* CFaceTesselator::Combine(const double coords[3], void* neighbours[4], const float weights[4])
{
    const int stride = GetStride();
    auto vertex = std::make_unique<double[]>(static_cast<std::size_t>(stride));
    for (int i = 0; i < 3; ++i) {
        vertex[i] = coords[i];
    }
    if (m_withNormals) {
        double normal[3] = {0.0, 0.0, 0.0};
        for (int n = 0; n < 4 && neighbours[n] != nullptr; ++n) {
            const auto* source = static_cast<const double*>(neighbours[n]) + 3;
            for (int i = 0; i < 3; ++i) {
                normal[i] += weights[n] * source[i];
            }
        }
        const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        for (int i = 0; i < 3; ++i) {
            vertex[3 + i] = length > 1e-10 ? normal[i] / length : normal[i];
        }
    }
    m_combined.push_back(std::move(vertex));
    return m_combined.back().get();
}

void CFaceTesselator::Cleanup()
{
    m_combined.clear();
    m_vertices.clear();
    m_loopCounts.clear();
}

void CFaceTesselator::SetupLoops(bool withNormals)
{
    m_withNormals = withNormals;
    m_loopCounts.clear();
    m_vertices.clear();
    const CUnitVector3d normal = m_face->GetNormal();
    std::vector<CPoint3d> points;
    for (int i = 0; i < m_face->GetLoopCount(); ++i) {
        points.clear();
        if (const CLoop* loop = m_face->GetLoop(i)) {
            loop->GetPoints(points, nullptr);
        }
        m_loopCounts.push_back(static_cast<int>(points.size()));
        for (const CPoint3d& p : points) {
            m_vertices.insert(m_vertices.end(), {p.x, p.y, p.z});
            if (withNormals) {
                m_vertices.insert(m_vertices.end(), {normal.x, normal.y, normal.z});
            }
        }
    }
}

void CFaceTesselator::AppendContour(const std::vector<CPoint3d>& points)
{
    m_loopCounts.push_back(static_cast<int>(points.size()));
    const CUnitVector3d normal = m_face->GetNormal();
    for (const CPoint3d& p : points) {
        m_vertices.insert(m_vertices.end(), {p.x, p.y, p.z});
        if (m_withNormals) {
            m_vertices.insert(m_vertices.end(), {normal.x, normal.y, normal.z});
        }
    }
}

void CFaceTesselator::RegisterCallbacks(GLUtesselator* tessellator)
{
    gluTessCallback(tessellator, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(&TesselatorCallbacks::OnBegin));
    gluTessCallback(tessellator, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(&TesselatorCallbacks::OnVertex));
    gluTessCallback(tessellator, GLU_TESS_END_DATA, reinterpret_cast<_GLUfuncptr>(&TesselatorCallbacks::OnEnd));
    gluTessCallback(tessellator, GLU_TESS_EDGE_FLAG_DATA,
                    reinterpret_cast<_GLUfuncptr>(&TesselatorCallbacks::OnEdgeFlag));
    gluTessCallback(tessellator, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(&TesselatorCallbacks::OnError));
    gluTessCallback(tessellator, GLU_TESS_COMBINE_DATA,
                    reinterpret_cast<_GLUfuncptr>(&TesselatorCallbacks::OnCombine));
}

bool CFaceTesselator::Tessellate(bool withNormals, bool includeOpenings)
{
    if (m_face == nullptr || m_face->GetLoopCount() == 0) {
        return false;
    }
    SetupLoops(withNormals);
    if (includeOpenings) {
        std::vector<std::vector<CPoint3d>> openings;
        CollectOpeningContours(openings);
        for (const auto& contour : openings) {
            AppendContour(contour);
        }
    }
    GLUtesselator* tessellator = gluNewTess();
    if (tessellator == nullptr) {
        return false;
    }
    RegisterCallbacks(tessellator);
    const CUnitVector3d normal = m_face->GetNormal();
    gluTessNormal(tessellator, normal.x, normal.y, normal.z);
    gluTessProperty(tessellator, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_POSITIVE);
    gluTessBeginPolygon(tessellator, this);
    // The buffer is complete before the first vertex goes in: GLU keeps the pointers.
    double* vertex = m_vertices.data();
    const int stride = GetStride();
    for (const int count : m_loopCounts) {
        if (count >= 3) {
            gluTessBeginContour(tessellator);
            for (int i = 0; i < count; ++i) {
                gluTessVertex(tessellator, vertex + i * stride, vertex + i * stride);
            }
            gluTessEndContour(tessellator);
        }
        vertex += count * stride;
    }
    gluTessEndPolygon(tessellator);
    gluDeleteTess(tessellator);
    return true;
}
