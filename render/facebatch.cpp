#include "render/facebatch.h"

#include <GL/gl.h>
#include <GL/glu.h>

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
#include "model/tessellationcost.h"
#include "model/vertex.h"
#include "render/facepolygon.h"
#include "render/tarnisview.h"

#ifndef CALLBACK
#define CALLBACK
#endif

namespace {

// A batch drawn in pieces of this many corners stays in the caches and never makes
// the arrays grow large.
constexpr std::size_t kFlushCorners = 3 * 16384;

using TessCallback = void(CALLBACK*)();

void CALLBACK OnBegin(GLenum /*type*/, void* /*data*/) {}

// Registered only so that GLU hands out separate triangles.
void CALLBACK OnEdgeFlag(GLboolean /*flag*/, void* /*data*/) {}

void CALLBACK OnVertex(void* vertex, void* data)
{
    static_cast<CFaceBatch*>(data)->AddTessellatedVertex(static_cast<const double*>(vertex));
}

void CALLBACK OnCombine(GLdouble coordinates[3], void* neighbours[4], GLfloat weights[4], void** out, void* data)
{
    *out = static_cast<CFaceBatch*>(data)->MakeCombinedVertex(coordinates, neighbours, weights);
}

void CALLBACK OnError(GLenum /*error*/, void* /*data*/) {}

}  // namespace

CFaceBatch::CFaceBatch() = default;

CFaceBatch::~CFaceBatch()
{
    if (m_tessellator != nullptr) {
        gluDeleteTess(m_tessellator);
    }
}

void CFaceBatch::PushVertex(const double* position, const double* normal)
{
    GrowTo(m_corners + 1);
    float* to = &m_positions[m_corners * 3];
    float* toNormal = &m_normals[m_corners * 3];
    for (int k = 0; k < 3; ++k) {
        to[k] = static_cast<float>(position[k]);
        toNormal[k] = normal != nullptr ? static_cast<float>(normal[k]) : m_normal[k];
    }
    std::memcpy(&m_colors[m_corners * 4], m_color, sizeof(m_color));
    ++m_corners;
}

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
    // The openings that glued components cut depend on the view: such faces are cut anew.
    if (!cut && AddKeptTriangles(face)) {
        return;
    }
    Tessellate(view, face);
}

bool CFaceBatch::AddKeptTriangles(CFace& face)
{
    if (!GatherCorners(face)) {
        return false;
    }
    const auto corners = static_cast<std::uint32_t>(m_cornerUses.size());
    const std::int32_t number = face.GetDisplayCache();
    const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(number);
    if (kept != nullptr && kept->corners == corners) {
        AddIndexedTriangles(kept->triangles, kept->added);
        return true;
    }
    if (number > 0) {
        CKeptFaceTriangles::Release(number);
        face.SetDisplayCache(0);
    }
    ProjectCorners(face);
    if (!CFrameMeter::Charge(CFrameMeter::kCutCornerCost * corners)) {
        return true;
    }
    switch (m_triangulator.Triangulate(m_flatCorners, m_loopEnds, m_cut)) {
    case CPolygonTriangulator::EResult::kDone:
        break;
    case CPolygonTriangulator::EResult::kAbandoned:
        // Nothing is kept of a cut left unfinished; the frame ends anyway.
        return true;
    case CPolygonTriangulator::EResult::kUnsuited:
        switch (CutTouchingLoops()) {
        case CPolygonTriangulator::EResult::kDone:
            break;
        case CPolygonTriangulator::EResult::kAbandoned:
            return true;
        case CPolygonTriangulator::EResult::kUnsuited:
            TessellateKept(face);
            return true;
        }
        break;
    }
    face.SetDisplayCache(CKeptFaceTriangles::Keep(corners, m_cut));
    AddIndexedTriangles(m_cut, {});
    return true;
}

CPolygonTriangulator::EResult CFaceBatch::CutTouchingLoops()
{
    // The corners drawn stay where they are; only the sweep sees them moved apart.
    for (const bool inside : {true, false}) {
        m_separated = m_flatCorners;
        if (!CPolygonTriangulator::SeparateTouchingCorners(m_separated, m_loopEnds, inside)) {
            return CPolygonTriangulator::EResult::kUnsuited;
        }
        if (!CFrameMeter::Charge(CFrameMeter::kCutCornerCost * m_separated.size())) {
            return CPolygonTriangulator::EResult::kAbandoned;
        }
        const CPolygonTriangulator::EResult result = m_triangulator.Triangulate(m_separated, m_loopEnds, m_cut);
        if (result != CPolygonTriangulator::EResult::kUnsuited) {
            return result;
        }
    }
    return CPolygonTriangulator::EResult::kUnsuited;
}

void CFaceBatch::TessellateKept(CFace& face)
{
    CKeptFaceTriangles::SEntry entry;
    entry.corners = static_cast<std::uint32_t>(m_cornerUses.size());
    const CTessellationCost::SEstimate estimate = CTessellationCost::Estimate(m_flatCorners, m_loopEnds);
    if (!CFrameMeter::Charge(estimate.measuring)) {
        return;
    }
    if (!CTessellationCost::IsAffordable(estimate)) {
        // Kept without triangles: the face is weighed once, not at every draw.
        CTessellationCost::SayUnfilled(estimate);
        face.SetDisplayCache(CKeptFaceTriangles::Keep(std::move(entry)));
        return;
    }
    if (!CFrameMeter::Charge(estimate.cost) || !MakeTessellator()) {
        return;
    }
    m_recording = &entry;
    m_combined.clear();
    m_loopPoints.clear();
    m_loopPoints.reserve(m_cornerUses.size() * kRecordSize);
    const CUnitVector3d normal = face.GetNormal();
    gluTessNormal(m_tessellator, normal.x, normal.y, normal.z);
    gluTessBeginPolygon(m_tessellator, this);
    std::size_t start = 0;
    for (const std::uint32_t end : m_loopEnds) {
        gluTessBeginContour(m_tessellator);
        for (std::size_t k = start; k < end; ++k) {
            AddTessellatorVertex(m_cornerUses[k]->GetStartVertex()->GetPosition(), normal, k);
        }
        gluTessEndContour(m_tessellator);
        start = end;
    }
    gluTessEndPolygon(m_tessellator);
    m_recording = nullptr;
    m_combined.clear();
    // GLU hands out whole triangles; anything else is a fault of its own, left unfilled.
    entry.triangles.resize(entry.triangles.size() / 3 * 3);
    // Drawn before it is kept, so that the store may take the entry without a copy.
    AddIndexedTriangles(entry.triangles, entry.added);
    face.SetDisplayCache(CKeptFaceTriangles::Keep(std::move(entry)));
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
    GrowTo(scratch + m_cornerUses.size() + added.size());
    for (std::size_t i = 0; i < m_cornerUses.size(); ++i) {
        WriteCorner(scratch + i, *m_cornerUses[i]);
    }
    for (std::size_t i = 0; i < added.size(); ++i) {
        MixCorner(scratch + m_cornerUses.size() + i, scratch, added[i]);
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

bool CFaceBatch::MakeTessellator()
{
    if (m_tessellator != nullptr) {
        return true;
    }
    m_tessellator = gluNewTess();
    if (m_tessellator == nullptr) {
        return false;
    }
    gluTessCallback(m_tessellator, GLU_TESS_BEGIN_DATA, reinterpret_cast<TessCallback>(OnBegin));
    gluTessCallback(m_tessellator, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<TessCallback>(OnEdgeFlag));
    gluTessCallback(m_tessellator, GLU_TESS_VERTEX_DATA, reinterpret_cast<TessCallback>(OnVertex));
    gluTessCallback(m_tessellator, GLU_TESS_COMBINE_DATA, reinterpret_cast<TessCallback>(OnCombine));
    gluTessCallback(m_tessellator, GLU_TESS_ERROR_DATA, reinterpret_cast<TessCallback>(OnError));
    gluTessProperty(m_tessellator, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_POSITIVE);
    return true;
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

void CFaceBatch::AddTessellatorVertex(const CPoint3d& position, const CUnitVector3d& normal, std::size_t index)
{
    const std::size_t at = m_loopPoints.size();
    m_loopPoints.insert(m_loopPoints.end(), {position.x, position.y, position.z, normal.x, normal.y, normal.z,
                                             static_cast<double>(index)});
    gluTessVertex(m_tessellator, &m_loopPoints[at], &m_loopPoints[at]);
}

bool CFaceBatch::IsTessellationAffordable(const CFace& face)
{
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
    return CTessellationCost::ChargeFill(m_flatCorners, m_loopEnds);
}

void CFaceBatch::Tessellate(ITarnisView* view, const CFace& face)
{
    m_openingPoints.clear();
    m_openingEnds.clear();
    if (const std::vector<CRelationship*>* relationships = FindRelationships(face)) {
        CollectOpenings(view, *relationships);
    }
    // The openings depend on the view: nothing of this is kept.
    if (!GatherCorners(face) || m_openingPoints.size() >= (std::size_t{1} << 30) ||
        !IsTessellationAffordable(face) || !MakeTessellator()) {
        return;
    }
    // Every point must stay where it is until the polygon ends.
    m_loopPoints.clear();
    m_loopPoints.reserve((m_cornerUses.size() + m_openingPoints.size()) * kRecordSize);
    const CUnitVector3d normal = face.GetNormal();
    gluTessNormal(m_tessellator, normal.x, normal.y, normal.z);
    gluTessBeginPolygon(m_tessellator, this);
    std::size_t start = 0;
    for (std::size_t loop = 0; loop < m_loopEnds.size(); ++loop) {
        const std::size_t end = m_loopEnds[loop];
        gluTessBeginContour(m_tessellator);
        for (std::size_t k = start; k < end; ++k) {
            if (k < m_cornerUses.size()) {
                const CEdgeUse& use = *m_cornerUses[k];
                AddTessellatorVertex(use.GetStartVertex()->GetPosition(),
                                     m_smooth != nullptr ? m_smooth->GetNormal(use, nullptr) : normal, k);
            } else {
                AddTessellatorVertex(m_openingPoints[k - m_cornerUses.size()], normal, k);
            }
        }
        gluTessEndContour(m_tessellator);
        start = end;
    }
    gluTessEndPolygon(m_tessellator);
    m_combined.clear();
}

void CFaceBatch::AddTessellatedVertex(const double* vertex)
{
    if (m_recording != nullptr) {
        m_recording->triangles.push_back(static_cast<std::uint32_t>(vertex[6]));
        return;
    }
    PushVertex(vertex, vertex + 3);
}

double* CFaceBatch::MakeCombinedVertex(const double coordinates[3], void* const neighbours[4], const float weights[4])
{
    // The normal of a crossing point: the weighted sum of its neighbours', normalised.
    std::vector<double> vertex{coordinates[0], coordinates[1], coordinates[2], 0.0, 0.0, 0.0, 0.0};
    CKeptFaceTriangles::SAddedCorner added;
    for (int i = 0; i < 4 && neighbours[i] != nullptr; ++i) {
        const auto* n = static_cast<const double*>(neighbours[i]);
        for (int k = 0; k < 3; ++k) {
            vertex[3 + k] += weights[i] * n[3 + k];
        }
        added.from[i] = static_cast<std::uint32_t>(n[6]);
        added.weights[i] = weights[i];
    }
    if (m_recording != nullptr) {
        vertex[6] = static_cast<double>(m_recording->corners + m_recording->added.size());
        m_recording->added.push_back(added);
    }
    const double length = std::sqrt(vertex[3] * vertex[3] + vertex[4] * vertex[4] + vertex[5] * vertex[5]);
    for (int k = 3; k < 6; ++k) {
        vertex[k] = length > 0.0 ? vertex[k] / length : m_normal[k - 3];
    }
    m_combined.push_back(std::move(vertex));
    return m_combined.back().data();
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
        corners = m_volume.Sift(m_positions.data(), corners, 3, IsShadedAlike() && IsOrderFree(),
                                {{m_normals.data(), 3 * sizeof(float)}, {m_colors.data(), 4}});
        // Filling is most of what a few large triangles cost, drawn over one another.
        const double pixels = m_volume.CountTrianglePixels(m_positions.data(), corners);
        units += CFrameMeter::PixelUnits(static_cast<std::uint64_t>(pixels), CFrameMeter::kFilledPixelsPerUnit);
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
