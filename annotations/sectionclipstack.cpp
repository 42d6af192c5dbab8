#include "annotations/sectionclipstack.h"

#include <algorithm>

#include "annotations/polyline3d.h"
#include "annotations/sectionplane.h"
#include "foundation/boundedline3d.h"
#include "foundation/transformation.h"

namespace {

// Set by the shadow pass around its volumes; user-interface thread only.
bool g_clipPlanesSuppressed = false;

constexpr int kReservedEntries = 6;
constexpr int kReservedEquations = 6;

}  // namespace

void SuppressClipPlanes(bool suppress)
{
    g_clipPlanesSuppressed = suppress;
}

bool AreClipPlanesSuppressed()
{
    return g_clipPlanesSuppressed;
}

CSectionClipStack::CSectionClipStack(IClipPlaneGL* gl) : m_gl(gl)
{
    m_entries.reserve(kReservedEntries);
}

CSectionClipStack::~CSectionClipStack() = default;

void CSectionClipStack::PushPlane(CSectionPlane* plane, bool enable)
{
    Entry entry;
    entry.plane = plane;
    entry.equations.reserve(kReservedEquations);
    const int depth = GetCount();
    const int offered = m_gl != nullptr ? std::min(m_gl->GetMaxClipPlanes(), kMaxGLPlanes) : kMaxGLPlanes;
    if (enable && depth < offered && plane != nullptr) {
        entry.glIndex = depth;
        if (m_gl != nullptr) {
            if (!g_clipPlanesSuppressed) {
                m_gl->EnableClipPlane(depth);
            }
            m_gl->LoadClipPlane(depth, plane->GetPlane());
        }
    }
    m_entries.push_back(std::move(entry));
}

void CSectionClipStack::PopPlane(bool disable)
{
    if (m_entries.empty()) {
        return;
    }
    const Entry& entry = m_entries.back();
    if (disable && entry.glIndex >= 0 && m_gl != nullptr && !g_clipPlanesSuppressed) {
        m_gl->DisableClipPlane(entry.glIndex);
    }
    m_entries.pop_back();
}

void CSectionClipStack::PushTransform(const CTransformation& transform)
{
    if (m_entries.empty()) {
        return;
    }
    // The image of the parent's plane under the inverse holds exactly the local points
    // that the transformation carries onto the plane.
    const CTransformation inverse = transform.GetInverse();
    for (int i = 0; i < GetCount(); ++i) {
        CPlane3d local = GetCurrentEquation(i);
        inverse.TransformPlane(local);
        m_entries[i].equations.push_back(local);
    }
}

void CSectionClipStack::PopTransform()
{
    for (Entry& entry : m_entries) {
        if (!entry.equations.empty()) {
            entry.equations.pop_back();
        }
    }
}

void CSectionClipStack::Clear()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
}

CSectionPlane* CSectionClipStack::GetPlane(int index) const
{
    return index >= 0 && index < GetCount() ? m_entries[index].plane : nullptr;
}

CPlane3d CSectionClipStack::GetCurrentEquation(int index) const
{
    const Entry& entry = m_entries[index];
    if (!entry.equations.empty()) {
        return entry.equations.back();
    }
    return entry.plane != nullptr ? entry.plane->GetPlane() : CPlane3d();
}

int CSectionClipStack::GetClipPlaneIndex(int index) const
{
    return index >= 0 && index < GetCount() ? m_entries[index].glIndex : -1;
}

bool CSectionClipStack::ClipsInSoftware() const
{
    if (m_entries.empty()) {
        return false;
    }
    if (g_clipPlanesSuppressed || m_gl == nullptr) {
        return true;
    }
    return std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& entry) { return entry.glIndex < 0; });
}

int CSectionClipStack::GetGLPlaneCount() const
{
    return std::min(GetCount(), kMaxGLPlanes);
}

void CSectionClipStack::EnableClipPlanes(unsigned mask) const
{
    if (m_gl == nullptr || g_clipPlanesSuppressed) {
        return;
    }
    for (int i = 0; i < GetGLPlaneCount(); ++i) {
        if ((mask & (1u << i)) != 0 && m_entries[i].glIndex >= 0) {
            m_gl->EnableClipPlane(m_entries[i].glIndex);
        }
    }
}

void CSectionClipStack::DisableClipPlanes(unsigned mask) const
{
    if (m_gl == nullptr || g_clipPlanesSuppressed) {
        return;
    }
    for (int i = 0; i < GetGLPlaneCount(); ++i) {
        if ((mask & (1u << i)) != 0 && m_entries[i].glIndex >= 0) {
            m_gl->DisableClipPlane(m_entries[i].glIndex);
        }
    }
}

unsigned CSectionClipStack::GetPlanesThroughSegment(const CPoint3d& p, const CPoint3d& q) const
{
    unsigned mask = 0;
    for (int i = 0; i < GetGLPlaneCount(); ++i) {
        const CPlane3d equation = GetCurrentEquation(i);
        if (p.IsOnPlane(equation) && q.IsOnPlane(equation)) {
            mask |= 1u << i;
        }
    }
    return mask;
}

unsigned CSectionClipStack::GetCoincidentPlanes(const CPlane3d& plane) const
{
    unsigned mask = 0;
    for (int i = 0; i < GetGLPlaneCount(); ++i) {
        if (plane.IsEqual(GetCurrentEquation(i), false, kLengthTolerance)) {
            mask |= 1u << i;
        }
    }
    return mask;
}

bool CSectionClipStack::IsPointKept(const CPoint3d& p) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (GetCurrentEquation(i).GetSignedDistance(p) <= -kLengthTolerance) {
            return false;
        }
    }
    return true;
}

bool CSectionClipStack::ClipLine(CBoundedLine3d& line) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (!line.ClipToPlane(GetCurrentEquation(i))) {
            return false;
        }
    }
    return true;
}

bool CSectionClipStack::ClipSegment(CPoint3d& p, CPoint3d& q) const
{
    CBoundedLine3d line(p, q);
    if (line.IsDegenerate() || !ClipLine(line)) {
        return false;
    }
    line.GetStartPoint(p);
    line.GetEndPoint(q);
    return true;
}

bool CSectionClipStack::ClipPolyline(std::vector<CPoint3d>& points) const
{
    if (m_entries.empty()) {
        return true;
    }
    std::vector<CPoint3d> clipped = points;
    // Each plane can add a crossing for every point; a list that grows past the bound
    // is not followed further, and the GL planes cut what is drawn of it.
    const std::size_t bound = std::min<std::size_t>(points.size() * 4 + 64, kMaxClippedPoints);
    for (int i = 0; i < GetCount(); ++i) {
        if (!Point3dVector::ClipByPlane(clipped, GetCurrentEquation(i))) {
            return false;
        }
        if (clipped.size() > bound) {
            return true;
        }
    }
    points = std::move(clipped);
    return true;
}
