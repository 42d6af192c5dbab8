#pragma once
// CSectionClipStack: the section planes active while a model is drawn with its
// sections cut, innermost last. It switches the GL user clip planes that make the
// hardware remove what lies behind the planes, and keeps each plane's equation in the
// local coordinates of the instance being drawn, so that entities that clip for
// themselves (labels drawn unclipped, edges, polylines, section cuts) can test points,
// segments and polygons.
//
// The model layer does not talk to OpenGL: a drawing context hands its stack the small
// IClipPlaneGL that the view implements. A stack without one (a section-cut walk, a
// picking walk) keeps the equations and makes no GL calls.
//
// Only the first six planes hold a GL clip plane, fewer when the context offers fewer;
// beyond them planes still take part in every point, line and polygon test, and what
// they cut is clipped in software.

#include <cstddef>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"

struct CBoundedLine3d;
class CSectionPlane;
class CTransformation;

class IClipPlaneGL
{
public:
    virtual ~IClipPlaneGL() = default;
    // index 0..5 stands for the GL clip plane of that number.
    virtual void EnableClipPlane(int index) = 0;
    virtual void DisableClipPlane(int index) = 0;
    // The equation is taken in the coordinates of the current model-view matrix.
    virtual void LoadClipPlane(int index, const CPlane3d& equation) = 0;
    // How many user clip planes the current context offers; GL promises six.
    [[nodiscard]] virtual int GetMaxClipPlanes() const { return 6; }
};

// The process-wide switch under which no stack enables or disables a clip plane
// (equations are still loaded). The shadow pass sets it around its volumes.
// User-interface thread only.
void SuppressClipPlanes(bool suppress);
[[nodiscard]] bool AreClipPlanesSuppressed();

class CSectionClipStack
{
public:
    static constexpr int kMaxGLPlanes = 6;
    static constexpr unsigned kAllPlanes = 0x3Fu;
    // The most points a clipped point list may grow to.
    static constexpr std::size_t kMaxClippedPoints = 1u << 20;

    explicit CSectionClipStack(IClipPlaneGL* gl = nullptr);
    CSectionClipStack(const CSectionClipStack&) = delete;
    CSectionClipStack& operator=(const CSectionClipStack&) = delete;
    ~CSectionClipStack();

    // The GL side for the planes pushed from now on; null makes no GL calls.
    void SetGL(IClipPlaneGL* gl) { m_gl = gl; }

    // Activates a plane; with enable, and while fewer planes are active than GL offers
    // (six at most), the next GL clip plane is loaded with the plane's equation and
    // switched on.
    void PushPlane(CSectionPlane* plane, bool enable);
    // Deactivates the innermost plane, switching its GL clip plane off with disable.
    // Nothing on an empty stack.
    void PopPlane(bool disable = true);
    // Carries every active equation into the local space of an instance whose
    // transformation maps local to parent coordinates.
    void PushTransform(const CTransformation& transform);
    void PopTransform();
    void Clear();

    [[nodiscard]] bool IsEmpty() const { return m_entries.empty(); }
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_entries.size()); }
    [[nodiscard]] CSectionPlane* GetPlane(int index) const;
    // The equation of entry index in the current local coordinates.
    [[nodiscard]] CPlane3d GetCurrentEquation(int index) const;
    // The GL clip plane index entry index holds, -1 when none.
    [[nodiscard]] int GetClipPlaneIndex(int index) const;
    // Some active plane holds no GL clip plane, or the GL planes are not switched
    // on: what the planes cut must be clipped by the drawing code itself.
    [[nodiscard]] bool ClipsInSoftware() const;

    // Bit i stands for the entry at depth i (first six only); nothing while suppressed.
    void EnableClipPlanes(unsigned mask) const;
    void DisableClipPlanes(unsigned mask) const;
    // Bit i set when both points lie within 0.001 of entry i's equation.
    [[nodiscard]] unsigned GetPlanesThroughSegment(const CPoint3d& p, const CPoint3d& q) const;
    // Bit i set when the plane equals entry i's equation within 0.001, either way round.
    [[nodiscard]] unsigned GetCoincidentPlanes(const CPlane3d& plane) const;

    // False when the point lies 0.001 or more on the cut-away side of a plane.
    [[nodiscard]] bool IsPointKept(const CPoint3d& p) const;
    // Trims the line to the kept side of every plane; false when nothing remains (the
    // line then holds what the planes before kept).
    bool ClipLine(CBoundedLine3d& line) const;
    // Trims the segment in place; false, points unchanged, when nothing remains or the
    // segment is shorter than 0.001.
    bool ClipSegment(CPoint3d& p, CPoint3d& q) const;
    // Clips a closed point list; false, list unchanged, when nothing remains. A list
    // that would grow past four times its size (or kMaxClippedPoints) is left as it is.
    bool ClipPolyline(std::vector<CPoint3d>& points) const;
    // Clips a face polygon in place by its own ClipByPlane(const CPlane3d&), which
    // answers false when nothing is left; false at the first plane that leaves nothing.
    template <class Polygon>
    bool IsKeptByAll(Polygon& polygon) const
    {
        for (int i = 0; i < GetCount(); ++i) {
            if (!polygon.ClipByPlane(GetCurrentEquation(i))) {
                return false;
            }
        }
        return true;
    }

private:
    struct Entry
    {
        CSectionPlane* plane = nullptr;
        std::vector<CPlane3d> equations;
        int glIndex = -1;
    };

    [[nodiscard]] int GetGLPlaneCount() const;

    std::vector<Entry> m_entries;
    IClipPlaneGL* m_gl = nullptr;
};
