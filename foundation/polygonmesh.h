#pragma once
// CPolygonMesh: an indexed polygon mesh. Points are distinct (within 0.001 per axis) and
// numbered from 1; a polygon is a run of signed point indices whose sign carries an edge
// flag: positive where the edge to the next corner lies on the source's boundary,
// negative where the edge was made inside it. Texture coordinates of either side and
// normals may be kept per point, as the flags given at construction say.

#include <cstdint>
#include <vector>

#include "foundation/point3d.h"
#include "foundation/unitvector3d.h"

namespace orvell::geometry {

class CPolygonMesh
{
public:
    static constexpr std::uint32_t kFrontUVs = 0x1;
    static constexpr std::uint32_t kBackUVs = 0x2;
    static constexpr std::uint32_t kNormals = 0x4;

    explicit CPolygonMesh(std::uint32_t flags = 0) : m_flags(flags) {}
    virtual ~CPolygonMesh() = default;

    // Reserves for the points and polygons to come (three corners each); every kept
    // per-point array also gains pointsToAdd zero entries, so that it stays ahead of
    // the points.
    void Reserve(int pointsToAdd, int polygonsToAdd);
    // The index of a stored point equal to it within 0.001 per axis, else of the point
    // appended.
    int AddPoint(const CPoint3d& point);
    // Answers the polygon's number (from 1), or 0 when it has fewer than 3 corners or an
    // index is 0 or names no point; then nothing is added.
    int AddPolygon(int count, const int* indices);
    // The entry at the absolute index is overwritten; an index of 0 or beyond the end
    // appends.
    void SetFrontUV(int index, const CPoint3d& uv);
    void SetBackUV(int index, const CPoint3d& uv);
    void SetNormal(int index, const CUnitVector3d& normal);

    [[nodiscard]] std::uint32_t GetFlags() const { return m_flags; }
    [[nodiscard]] int GetPointCount() const { return static_cast<int>(m_points.size()); }
    [[nodiscard]] int GetPolygonCount() const { return static_cast<int>(m_polygonStarts.size()); }
    // The point of an index (from 1); the origin for an index that names none.
    [[nodiscard]] CPoint3d GetPoint(int index) const;
    // 0 for a polygon that does not exist.
    [[nodiscard]] int GetPolygonPointCount(int polygon) const;
    // The signed index of a corner (both from 1); 0 when there is no such corner.
    [[nodiscard]] int GetPolygonIndex(int polygon, int corner) const;
    // The point of a corner; the origin when there is no such corner.
    [[nodiscard]] CPoint3d GetPolygonPoint(int polygon, int corner) const;
    [[nodiscard]] const std::vector<CPoint3d>& GetFrontUVs() const { return m_frontUVs; }
    [[nodiscard]] const std::vector<CPoint3d>& GetBackUVs() const { return m_backUVs; }
    [[nodiscard]] const std::vector<CUnitVector3d>& GetNormals() const { return m_normals; }

private:
    template <typename T>
    static void SetEntry(std::vector<T>& entries, int index, const T& value);

    std::vector<CPoint3d> m_points;
    std::uint32_t m_flags;
    std::vector<CPoint3d> m_frontUVs;
    std::vector<CPoint3d> m_backUVs;
    std::vector<CUnitVector3d> m_normals;
    std::vector<std::int32_t> m_polygonStarts;
    std::vector<std::int32_t> m_indices;
};

} // namespace orvell::geometry
