#include "foundation/polygonmesh.h"

#include <cstdlib>

namespace orvell::geometry {

void CPolygonMesh::Reserve(int pointsToAdd, int polygonsToAdd)
{
    const auto points = static_cast<std::size_t>(pointsToAdd > 0 ? pointsToAdd : 0);
    const auto polygons = static_cast<std::size_t>(polygonsToAdd > 0 ? polygonsToAdd : 0);
    m_points.reserve(m_points.size() + points);
    m_polygonStarts.reserve(m_polygonStarts.size() + polygons);
    m_indices.reserve(m_indices.size() + 3 * polygons);
    if ((m_flags & kFrontUVs) != 0) {
        m_frontUVs.reserve(m_points.size() + points);
        m_frontUVs.resize(m_frontUVs.size() + points);
    }
    if ((m_flags & kBackUVs) != 0) {
        m_backUVs.reserve(m_points.size() + points);
        m_backUVs.resize(m_backUVs.size() + points);
    }
    if ((m_flags & kNormals) != 0) {
        m_normals.reserve(m_points.size() + points);
        m_normals.resize(m_normals.size() + points);
    }
}

int CPolygonMesh::AddPoint(const CPoint3d& point)
{
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        if (m_points[i].IsEqual(point)) {
            return static_cast<int>(i + 1);
        }
    }
    m_points.push_back(point);
    return GetPointCount();
}

int CPolygonMesh::AddPolygon(int count, const int* indices)
{
    if (count < 3 || indices == nullptr) {
        return 0;
    }
    const int pointCount = GetPointCount();
    for (int i = 0; i < count; ++i) {
        if (indices[i] == 0 || std::abs(indices[i]) > pointCount) {
            return 0;
        }
    }
    m_polygonStarts.push_back(static_cast<std::int32_t>(m_indices.size()));
    m_indices.insert(m_indices.end(), indices, indices + count);
    return GetPolygonCount();
}

template <typename T>
void CPolygonMesh::SetEntry(std::vector<T>& entries, int index, const T& value)
{
    const auto place = static_cast<std::size_t>(std::abs(index));
    if (place >= 1 && place <= entries.size()) {
        entries[place - 1] = value;
    } else {
        entries.push_back(value);
    }
}

void CPolygonMesh::SetFrontUV(int index, const CPoint3d& uv)
{
    SetEntry(m_frontUVs, index, uv);
}

void CPolygonMesh::SetBackUV(int index, const CPoint3d& uv)
{
    SetEntry(m_backUVs, index, uv);
}

void CPolygonMesh::SetNormal(int index, const CUnitVector3d& normal)
{
    SetEntry(m_normals, index, normal);
}

CPoint3d CPolygonMesh::GetPoint(int index) const
{
    return index >= 1 && index <= GetPointCount() ? m_points[static_cast<std::size_t>(index - 1)] : CPoint3d();
}

int CPolygonMesh::GetPolygonPointCount(int polygon) const
{
    if (polygon < 1 || polygon > GetPolygonCount()) {
        return 0;
    }
    const auto p = static_cast<std::size_t>(polygon - 1);
    const std::int32_t end = p + 1 < m_polygonStarts.size() ? m_polygonStarts[p + 1]
                                                            : static_cast<std::int32_t>(m_indices.size());
    return end - m_polygonStarts[p];
}

int CPolygonMesh::GetPolygonIndex(int polygon, int corner) const
{
    if (corner < 1 || corner > GetPolygonPointCount(polygon)) {
        return 0;
    }
    return m_indices[static_cast<std::size_t>(m_polygonStarts[static_cast<std::size_t>(polygon - 1)] + corner - 1)];
}

CPoint3d CPolygonMesh::GetPolygonPoint(int polygon, int corner) const
{
    return GetPoint(std::abs(GetPolygonIndex(polygon, corner)));
}

} // namespace orvell::geometry
