#include "render/facebatch.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "annotations/sectionclipstack.h"
#include "drawapi/tarnisview.h"
#include "document/component.h"
#include "document/enumopeningloopface.h"
#include "foundation/framemeter.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/keptfacetriangles.h"
#include "model/loop.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/smoothnormals.h"
#include "model/vertex.h"
#include "render/facepolygon.h"
#include "render/tarnisview.h"

namespace {

// A batch drawn in pieces of this many corners stays in the caches and never makes
// the arrays grow large.
constexpr std::size_t kFlushCorners = 3 * 16384;

}  // namespace

CFaceBatch::CFaceBatch() = default;

CFaceBatch::~CFaceBatch() = default;

void CFaceBatch::GrowTo(std::size_t corners)
{
    if (corners * 3 <= m_positions.size()) {
        return;
    }
    // The arrays only grow, and by half again at least, so that a fan seldom waits on
    // them.
    const std::size_t size = std::max(corners, m_positions.size() / 3 * 3 / 2);
    m_positions.resize(size * 3);
    m_normals.resize(size * 3);
    m_colors.resize(size * 4);
}

void CFaceBatch::WriteCorner(std::size_t at, const CEdgeUse& use)
{
    const CPoint3d& p = use.GetStartVertex()->GetPosition();
    float* position = &m_positions[at * 3];
    position[0] = static_cast<float>(p.x);
    position[1] = static_cast<float>(p.y);
    position[2] = static_cast<float>(p.z);
    float* normal = &m_normals[at * 3];
    if (m_smooth == nullptr) {
        std::memcpy(normal, m_normal, sizeof(m_normal));
    } else {
        const CUnitVector3d n = m_smooth->GetNormal(use, nullptr);
        normal[0] = static_cast<float>(n.x);
        normal[1] = static_cast<float>(n.y);
        normal[2] = static_cast<float>(n.z);
    }
    std::memcpy(&m_colors[at * 4], m_color, sizeof(m_color));
}

void CFaceBatch::WritePoint(std::size_t at, const CPoint3d& p)
{
    float* position = &m_positions[at * 3];
    position[0] = static_cast<float>(p.x);
    position[1] = static_cast<float>(p.y);
    position[2] = static_cast<float>(p.z);
    std::memcpy(&m_normals[at * 3], m_normal, sizeof(m_normal));
    std::memcpy(&m_colors[at * 4], m_color, sizeof(m_color));
}

void CFaceBatch::MixCorner(std::size_t at, std::size_t base, const CKeptFaceTriangles::SAddedCorner& added)
{
    // The corners mixed were written before this one; the colour is the face's.
    float position[3] = {0.0f, 0.0f, 0.0f};
    float normal[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        const std::size_t from = base + added.from[i];
        for (int k = 0; k < 3; ++k) {
            position[k] += added.weights[i] * m_positions[from * 3 + k];
            normal[k] += added.weights[i] * m_normals[from * 3 + k];
        }
    }
    const float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    for (int k = 0; k < 3; ++k) {
        m_positions[at * 3 + k] = position[k];
        m_normals[at * 3 + k] = length > 0.0f ? normal[k] / length : m_normal[k];
    }
    std::memcpy(&m_colors[at * 4], m_color, sizeof(m_color));
}

void CFaceBatch::CopyCorner(std::size_t to, std::size_t from)
{
    std::memcpy(&m_positions[to * 3], &m_positions[from * 3], 3 * sizeof(float));
    std::memcpy(&m_normals[to * 3], &m_normals[from * 3], 3 * sizeof(float));
    std::memcpy(&m_colors[to * 4], &m_colors[from * 4], 4);
}

void CFaceBatch::AddFace(ITarnisView* view, CFace& face, const CColor& color, bool lit, const CSmoothNormals* smooth)
{
    CLoop* outer = face.GetLoopCount() > 0 ? face.GetOuterLoop() : nullptr;
    // A frame's faces are many or large: each looks at the quit request.
    if (outer == nullptr || CFrameMeter::ShouldStop()) {
        return;
    }
    if (ClipsInSoftware(view)) {
        AddClippedFace(view, face, color, lit);
        return;
    }
    if (m_corners != 0 && (lit != m_lit || m_corners >= kFlushCorners)) {
        Flush(view);
    }
    m_lit = lit;
    m_smooth = smooth;
    const CUnitVector3d normal = face.GetNormal();
    m_normal[0] = static_cast<float>(normal.x);
    m_normal[1] = static_cast<float>(normal.y);
    m_normal[2] = static_cast<float>(normal.z);
    m_color[0] = color.GetRedByte();
    m_color[1] = color.GetGreenByte();
    m_color[2] = color.GetBlueByte();
    m_color[3] = color.GetAlphaByte();
    const std::int32_t cache = face.GetDisplayCache();
    if (cache < 0) {
        AddFan(*outer, -cache);
        return;
    }
    const bool cut = FindRelationships(face) != nullptr;
    if (!cut && face.GetLoopCount() == 1 && outer->IsConvex()) {
        const int count = outer->GetEdgeUseCount();
        face.SetDisplayCache(-count);
        AddFan(*outer, count);
        return;
    }
    // The openings that glued components cut depend on the view: such faces keep their
    // cut with the openings it was made with.
    if (!cut && AddKeptTriangles(face)) {
        return;
    }
    CutWithOpenings(view, face);
}

bool CFaceBatch::AddKeptTriangles(CFace& face)
{
    if (!GatherCorners(face)) {
        return false;
    }
    const auto corners = static_cast<std::uint32_t>(m_cornerUses.size());
    const std::int32_t number = face.GetDisplayCache();
    const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(number);
    if (kept != nullptr && kept->corners == corners && kept->openingEnds.empty()) {
        AddIndexedTriangles(kept->triangles, kept->added);
        return true;
    }
    if (number > 0) {
        CKeptFaceTriangles::Release(number);
        face.SetDisplayCache(0);
    }
    ProjectCorners(face);
    switch (m_cut.Cut(m_flatCorners, m_loopEnds)) {
    case CFaceCut::EResult::kDone:
        break;
    case CFaceCut::EResult::kAbandoned:
        // Nothing is kept of a cut left unfinished; the frame ends anyway.
        return true;
    case CFaceCut::EResult::kUnfilled:
        // Kept without triangles: the face is weighed once, not at every draw.
        face.SetDisplayCache(CKeptFaceTriangles::Keep(corners, {}));
        return true;
    }
    // Drawn before it is kept, so that the store may take the triangles without a copy.
    AddIndexedTriangles(m_cut.GetTriangles(), m_cut.GetAdded());
    face.SetDisplayCache(CKeptFaceTriangles::Keep(
        CKeptFaceTriangles::SEntry{corners, std::move(m_cut.GetTriangles()), std::move(m_cut.GetAdded()), {}, {}}));
    return true;
}

bool CFaceBatch::GatherCorners(const CFace& face)
{
    m_cornerUses.clear();
    m_loopEnds.clear();
    for (int i = 0; i < face.GetLoopCount(); ++i) {
        const CLoop* loop = face.GetLoop(i);
        const CEdgeUse* use = loop->GetFirstEdgeUse();
        const int count = loop->GetEdgeUseCount();
        if (use == nullptr || count < 3) {
            continue;
        }
        const std::size_t start = m_cornerUses.size();
        for (int k = 0; k < count && use != nullptr; ++k, use = use->GetNext()) {
            m_cornerUses.push_back(use);
        }
        if (m_cornerUses.size() - start < 3) {
            m_cornerUses.resize(start);
        } else {
            m_loopEnds.push_back(static_cast<std::uint32_t>(m_cornerUses.size()));
        }
    }
    return !m_loopEnds.empty() && m_cornerUses.size() < (std::size_t{1} << 30);
}

void CFaceBatch::ProjectCorners(const CFace& face)
{
    const CUnitVector3d normal = face.GetNormal();
    const CVector3d axis(normal.x, normal.y, normal.z);
    m_flatCorners.clear();
    m_flatCorners.reserve(m_cornerUses.size());
    for (const CEdgeUse* use : m_cornerUses) {
        m_flatCorners.push_back(CPolygonTriangulator::Flatten(use->GetStartVertex()->GetPosition(), axis));
    }
}

void CFaceBatch::AddIndexedTriangles(const std::vector<std::uint32_t>& triangles,
                                     const std::vector<CKeptFaceTriangles::SAddedCorner>& added)
{
    // Each corner is written once in the room past the triangles, then copied to every
    // triangle that uses it.
    const std::size_t scratch = m_corners + triangles.size();
    const std::size_t openings = m_openingPoints.size();
    const std::size_t own = m_cornerUses.size() + openings;
    GrowTo(scratch + own + added.size());
    for (std::size_t i = 0; i < m_cornerUses.size(); ++i) {
        WriteCorner(scratch + i, *m_cornerUses[i]);
    }
    for (std::size_t i = 0; i < openings; ++i) {
        WritePoint(scratch + m_cornerUses.size() + i, m_openingPoints[i]);
    }
    for (std::size_t i = 0; i < added.size(); ++i) {
        MixCorner(scratch + own + i, scratch, added[i]);
    }
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        CopyCorner(m_corners + t, scratch + triangles[t]);
    }
    m_corners = scratch;
}

bool CFaceBatch::ClipsInSoftware(ITarnisView* view)
{
    return view->GetSectionFilters().ClipsInSoftware();
}

void CFaceBatch::AddClippedFace(ITarnisView* view, const CFace& face, const CColor& color, bool lit)
{
    if (m_clipped == nullptr) {
        m_clipped = std::make_unique<CFacePolygon>();
    }
    m_clipped->Build(face, nullptr, false, view);
    if (!view->GetSectionFilters().IsKeptByAll(*m_clipped)) {
        return;
    }
    Flush(view);
    view->EndPrimitive();
    if (auto* modelView = dynamic_cast<CTarnisView*>(view)) {
        modelView->SpoilLineRecording();
    }
    view->SetLighting(lit);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glColor4ub(color.GetRedByte(), color.GetGreenByte(), color.GetBlueByte(), color.GetAlphaByte());
    m_clipped->Draw(false);
    (void)CFrameMeter::Charge(m_clipped->GetPoints().size() * CFrameMeter::kVertexCost);
    glDisable(GL_COLOR_MATERIAL);
    const CColor current = view->GetColor();
    glColor4ub(current.GetRedByte(), current.GetGreenByte(), current.GetBlueByte(), current.GetAlphaByte());
}

void CFaceBatch::BeginFrame()
{
    m_relationshipsOf = nullptr;
    m_byFirstEnd.clear();
    m_layers.Clear();
}

const std::vector<CRelationship*>* CFaceBatch::FindRelationships(const CFace& face)
{
    // The first ends of every relationship of the face's component and the components
    // above it, gathered once for all faces of a component rather than searched for
    // each face.
    const CEntity* parent = face.GetParent();
    if (parent != m_relationshipsOf) {
        m_relationshipsOf = parent;
        m_byFirstEnd.clear();
        const CEntity* entity = parent;
        for (int depth = 0; entity != nullptr && depth < CComponent::kMaxNestingDepth * 2; ++depth) {
            const auto* component = dynamic_cast<const CComponent*>(entity);
            if (component == nullptr) {
                break;
            }
            if (const CRelationshipMap* map = component->GetRelationshipMap()) {
                for (int i = 0; i < map->GetCount(); ++i) {
                    if (CRelationship* relationship = map->GetRelationship(i)) {
                        m_byFirstEnd[relationship->GetFirst()].push_back(relationship);
                    }
                }
            }
            entity = component->GetParent();
        }
    }
    const auto found = m_byFirstEnd.find(&face);
    return found != m_byFirstEnd.end() ? &found->second : nullptr;
}

void CFaceBatch::AddFan(const CLoop& loop, int count)
{
    const CEdgeUse* first = loop.GetFirstEdgeUse();
    if (count < 3 || first == nullptr) {
        return;
    }
    const CEdgeUse* use = first->GetNext();
    const CEdgeUse* next = use != nullptr ? use->GetNext() : nullptr;
    if (next == nullptr || next == first) {
        return;
    }
    // The arrays grow once for the whole fan, and each vertex of the loop is looked up
    // once: the fan's centre and the edge a triangle shares with the one before are
    // copied.
    const std::size_t start = m_corners;
    GrowTo(start + 3 * static_cast<std::size_t>(count - 2));
    WriteCorner(start, *first);
    WriteCorner(start + 1, *use);
    WriteCorner(start + 2, *next);
    std::size_t end = start + 3;
    next = next->GetNext();
    for (int i = 3; i < count && next != nullptr && next != first; ++i) {
        CopyCorner(end, start);
        CopyCorner(end + 1, end - 1);
        WriteCorner(end + 2, *next);
        end += 3;
        next = next->GetNext();
    }
    m_corners = end;
}

void CFaceBatch::CollectOpenings(ITarnisView* view, const std::vector<CRelationship*>& relationships)
{
    std::vector<CPoint3d> contour;
    for (CRelationship* relationship : relationships) {
        CEnumOpeningLoopFace openings(relationship, view);
        COpeningLoop* opening = nullptr;
        while (openings.Next(opening)) {
            opening->GetContour(contour);
            if (contour.size() >= 3) {
                m_openingPoints.insert(m_openingPoints.end(), contour.begin(), contour.end());
                m_openingEnds.push_back(m_openingPoints.size());
            }
        }
    }
}

void CFaceBatch::CutWithOpenings(ITarnisView* view, CFace& face)
{
    m_openingPoints.clear();
    m_openingEnds.clear();
    if (const std::vector<CRelationship*>* relationships = FindRelationships(face)) {
        CollectOpenings(view, *relationships);
    }
    if (GatherCorners(face) && m_openingPoints.size() < (std::size_t{1} << 30)) {
        AddCutWithOpenings(face);
    }
    m_openingPoints.clear();
    m_openingEnds.clear();
}

bool CFaceBatch::KeptWithTheseOpenings(const CKeptFaceTriangles::SEntry& kept) const
{
    return kept.IsCutWith(m_cornerUses.size() + m_openingPoints.size(), m_openingPoints, m_openingEnds);
}

void CFaceBatch::AddCutWithOpenings(CFace& face)
{
    // The openings depend on the view (a window hidden cuts none) and on where the windows
    // stand: the cut is kept with the openings it was made with, for every placement of
    // the face and every frame until they change.
    const std::int32_t number = face.GetDisplayCache();
    if (const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(number);
        kept != nullptr && KeptWithTheseOpenings(*kept)) {
        AddIndexedTriangles(kept->triangles, kept->added);
        return;
    }
    if (number > 0) {
        CKeptFaceTriangles::Release(number);
        face.SetDisplayCache(0);
    }
    // The openings follow the face's loops as loops of their own, seen in the same plane.
    ProjectCorners(face);
    const CUnitVector3d normal = face.GetNormal();
    const CVector3d axis(normal.x, normal.y, normal.z);
    std::size_t start = 0;
    for (const std::size_t end : m_openingEnds) {
        for (std::size_t k = start; k < end; ++k) {
            m_flatCorners.push_back(CPolygonTriangulator::Flatten(m_openingPoints[k], axis));
        }
        m_loopEnds.push_back(static_cast<std::uint32_t>(m_flatCorners.size()));
        start = end;
    }
    const CFaceCut::EResult result = m_cut.Cut(m_flatCorners, m_loopEnds);
    if (result == CFaceCut::EResult::kAbandoned) {
        return;
    }
    CKeptFaceTriangles::SEntry entry;
    entry.corners = static_cast<std::uint32_t>(m_flatCorners.size());
    if (result == CFaceCut::EResult::kDone) {
        AddIndexedTriangles(m_cut.GetTriangles(), m_cut.GetAdded());
        entry.triangles = std::move(m_cut.GetTriangles());
        entry.added = std::move(m_cut.GetAdded());
    }
    entry.openings = m_openingPoints;
    entry.openingEnds = m_openingEnds;
    face.SetDisplayCache(CKeptFaceTriangles::Keep(std::move(entry)));
}

void CFaceBatch::Flush(ITarnisView* view)
{
    if (m_corners == 0) {
        return;
    }
    view->EndPrimitive();
    auto* modelView = dynamic_cast<CTarnisView*>(view);
    if (modelView != nullptr) {
        modelView->SpoilLineRecording();
    }
    view->SetLighting(m_lit);
    std::size_t corners = m_corners;
    std::uint64_t units = corners * CFrameMeter::kVertexCost;
    if (m_volume.Load()) {
        const auto reordered = [this] { return IsShadedAlike() && IsOrderFree(); };
        corners = m_volume.SiftAsking(m_positions.data(), corners, 3, reordered,
                                      {{m_normals.data(), 3 * sizeof(float)}, {m_colors.data(), 4}});
        // Filling is most of what a few large triangles cost, drawn over one another;
        // one drawn over an equal one costs what the depth test's rejecting costs.
        m_layers.Load();
        double rejected = 0.0;
        double setups = 0.0;
        const double pixels = m_volume.CountTrianglePixels(
            m_positions.data(), corners, m_layers.IsRejecting() ? &m_layers : nullptr, &rejected, &setups);
        units += CFrameMeter::PixelUnits(static_cast<std::uint64_t>(setups), CFrameMeter::kFilledPixelsPerUnit);
        units += CFrameMeter::RasterUnits(pixels, CFrameMeter::kFilledPixelsPerUnit);
        units += CFrameMeter::RasterUnits(rejected, CFrameMeter::kRejectedPixelsPerUnit);
    }
    // The call costs its state's setting up however little is left of the batch.
    units += corners != 0 ? CFrameMeter::kDrawCallCost : 0;
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, m_positions.data());
    glNormalPointer(GL_FLOAT, 0, m_normals.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colors.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners));
    (void)CFrameMeter::Charge(units);
    if (modelView != nullptr) {
        modelView->NoteBatchDrawn();
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_COLOR_MATERIAL);
    // The colour array left the current colour undefined; the view's cache holds it.
    const CColor current = view->GetColor();
    glColor4ub(current.GetRedByte(), current.GetGreenByte(), current.GetBlueByte(), current.GetAlphaByte());
    m_corners = 0;
}

bool CFaceBatch::IsShadedAlike() const
{
    for (std::size_t i = 3; i < m_corners * 3; i += 3) {
        if (m_normals[i] != m_normals[0] || m_normals[i + 1] != m_normals[1] || m_normals[i + 2] != m_normals[2]) {
            return false;
        }
    }
    for (std::size_t i = 4; i < m_corners * 4; i += 4) {
        if (std::memcmp(&m_colors[i], &m_colors[0], 4) != 0) {
            return false;
        }
    }
    return true;
}

bool CFaceBatch::IsOrderFree()
{
    // Alike triangles then give each pixel the same colour whichever comes first: the
    // nearest one that passes the depth test shows.
    GLint depthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    return glIsEnabled(GL_BLEND) == GL_FALSE && glIsEnabled(GL_STENCIL_TEST) == GL_FALSE &&
           glIsEnabled(GL_COLOR_LOGIC_OP) == GL_FALSE && (depthFunction == GL_LESS || depthFunction == GL_LEQUAL);
}

void CFaceBatch::SetAlphaTest(ITarnisView* view, bool on)
{
    Flush(view);
    if (on) {
        glAlphaFunc(GL_GREATER, 0.0f);
        glEnable(GL_ALPHA_TEST);
    } else {
        glDisable(GL_ALPHA_TEST);
    }
}

bool CFaceBatch::SetMirrored(ITarnisView* view, bool mirrored)
{
    const bool previous = m_mirrored;
    if (mirrored != m_mirrored) {
        Flush(view);
        glFrontFace(mirrored ? GL_CW : GL_CCW);
        m_mirrored = mirrored;
    }
    return previous;
}
