#include "model/facedwgoutput.h"

#include <algorithm>

#include "document/material.h"
#include "foundation/line3d.h"
#include "model/exportsink.h"
#include "model/face.h"

namespace {

// The colour the face is shown in for the sink: its own or the sink's default material
// when that is a plain colour; else the colour of the face's material (a textured one
// gives its picture's), else the default material's; the sink's override replaces any.
// Opaque unless nothing gave a colour.
CColor ExportColor(const CFace* face, const IExportSink* sink)
{
    const CMaterial* fallback = sink != nullptr ? sink->GetDefaultMaterial() : nullptr;
    const CMaterial* material = face->GetMaterial() != nullptr ? face->GetMaterial() : fallback;
    CColor color;
    if (material != nullptr && material->IsPlainColor()) {
        color = material->GetColorValue();
    } else {
        color = face->GetMaterialColor();
        if (color.GetValue() == 0 && fallback != nullptr) {
            color = fallback->GetColor();
        }
    }
    const CColor override = sink != nullptr ? sink->GetColorOverride() : CColor();
    if (override.GetValue() != 0) {
        color = override;
    }
    if (color.GetValue() != 0) {
        color.SetAlphaByte(255);
    }
    return color;
}

} // namespace

CFaceDwgOutput::CFaceDwgOutput(IExportSink* sink, const CFace* face, int maxPoints)
    : CFaceTesselator(face),
      m_sink(sink),
      m_maxPoints(std::clamp(maxPoints, 3, kMaxRecordPoints)),
      m_color(ExportColor(face, sink)),
      m_layer(face->GetEffectiveLayer())
{
}

CFaceDwgOutput::~CFaceDwgOutput() = default;

void CFaceDwgOutput::Begin(unsigned int /*primitive*/)
{
    m_points.clear();
    m_faceList.clear();
    m_triangleCount = 0;
    m_cornerCount = 0;
}

void CFaceDwgOutput::EdgeFlag(bool boundary)
{
    m_edgeFlag = boundary;
}

void CFaceDwgOutput::Vertex(const double* position)
{
    m_corners[m_cornerCount] = CPoint3d(position[0], position[1], position[2]);
    m_cornerFlags[m_cornerCount] = m_edgeFlag;
    if (++m_cornerCount < 3) {
        return;
    }
    m_cornerCount = 0;
    if (!IsPointNearLine(m_corners[0], m_corners[1], m_corners[2], kLengthTolerance)) {
        AddTriangle();
    }
}

void CFaceDwgOutput::AddTriangle()
{
    if (static_cast<int>(m_points.size()) + CountNewPoints() > m_maxPoints) {
        Flush();
    }
    m_faceList.push_back(3);
    for (int i = 0; i < 3; ++i) {
        const std::int16_t index = IndexOf(m_corners[i]);
        m_faceList.push_back(static_cast<std::int16_t>(m_cornerFlags[i] ? index : -index));
    }
    ++m_triangleCount;
}

int CFaceDwgOutput::CountNewPoints() const
{
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        const auto same = [&](const CPoint3d& p) { return p.IsEqual(m_corners[i]); };
        const bool earlierCorner = (i > 0 && m_corners[0].IsEqual(m_corners[i])) ||
                                   (i > 1 && m_corners[1].IsEqual(m_corners[i]));
        if (!earlierCorner && std::none_of(m_points.begin(), m_points.end(), same)) {
            ++count;
        }
    }
    return count;
}

std::int16_t CFaceDwgOutput::IndexOf(const CPoint3d& point)
{
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        if (m_points[i].IsEqual(point)) {
            return static_cast<std::int16_t>(i + 1);
        }
    }
    m_points.push_back(point);
    return static_cast<std::int16_t>(m_points.size());
}

void CFaceDwgOutput::End()
{
    Flush();
}

void CFaceDwgOutput::Flush()
{
    if (m_triangleCount > 0 && m_sink != nullptr) {
        m_sink->AddPolyface(m_points, m_triangleCount, m_faceList, m_color, m_layer);
    }
    m_points.clear();
    m_faceList.clear();
    m_triangleCount = 0;
}

bool CFace::ExportTessellation(IExportSink* sink)
{
    if (sink == nullptr || !sink->AcceptsFaces() || GetLoopCount() == 0) {
        return true;
    }
    CFaceDwgOutput output(sink, this);
    output.Tessellate(true);
    return true;
}
