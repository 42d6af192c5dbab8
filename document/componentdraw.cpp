// How a component draws its entities into the view: culled as a whole by the view's
// filter, faces and the other entities in the opaque pass, edges in the second pass,
// texts last, and only what blends in the sorted transparent pass.

#include <algorithm>
#include <memory>
#include <optional>

#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/drawingwork.h"
#include "document/material.h"
#include "document/renderingoptions.h"
#include "drawapi/glenums.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "foundation/geomfilter.h"
#include "model/edge.h"
#include "model/edgepassgl.h"
#include "model/edgerun.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/facegl.h"
#include "model/facerun.h"
#include "model/profilefacing.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/smoothnormals.h"

namespace {

// Set by the shadow volumes' walk on faces along the terminator of a smooth surface.
constexpr std::uint32_t kTerminatorClassBits = 0x3000;
// How many entities ahead of the one being drawn are fetched.
constexpr std::size_t kFetchAhead = 16;
// How many entities a loop of a frame draws between two looks at the quit request: a
// component of millions still ends its frame within a fraction of a second.
constexpr std::size_t kQuitPollEvery = 4096;
// The polygon offset (factor and units) of the section planes drawn after the entities.
constexpr double kSectionPlaneOffset = 3.0;

bool IsInstanceKind(int type)
{
    return type == kTypeComponentInstance || type == kTypeGroup || type == kTypeImage;
}

// Nothing of the edges' pass shows: the shadow pass draws faces only, or no edge,
// profile or line style asks for edges in a later pass of the view.
bool SkipsSecondPass(const ITarnisView* view, const CRenderingOptions* options)
{
    if (options == nullptr) {
        return false;
    }
    if (options->GetShadowPass() == 2) {
        return true;
    }
    const int edges = options->GetDisplayEdges();
    const int mode = options->GetRenderMode();
    return edges != 1 && mode != 0 && mode != 1 && (!options->IsDrawProfiles() || edges != 0) &&
           view->GetPassNumber() > 2;
}

// The component's active section plane, pushed onto the view's section stack so that
// it cuts the entities drawn until PopSectionPlane; null when none is pushed.
CSectionPlane* PushSectionPlane(ITarnisView* view, const CComponent& component)
{
    auto* plane = dynamic_cast<CSectionPlane*>(component.GetActiveSectionPlane());
    if (plane == nullptr || plane->GetParent() != &component) {
        return nullptr;
    }
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options != nullptr && (options->GetSectionFlags() & CRenderingOptions::kSectionCutsShown) == 0) {
        return nullptr;
    }
    view->PushSectionFilter(plane, true);
    return plane;
}

// The sorter for the options' transparency quality, sized for the faces, instances,
// groups and images of the component; null for quality 0 or nothing to sort.
std::unique_ptr<ITransparencySorter> MakeSorter(ITarnisView* view, const CRenderingOptions* options,
                                                const CComponent& component)
{
    const std::vector<CDrawingElement*>& entities = component.GetEntityList();
    const int quality = options != nullptr ? options->GetTransparencyQuality() : 0;
    if (quality == 0) {
        return nullptr;
    }
    const auto count = std::count_if(entities.begin(), entities.end(), [](const CDrawingElement* e) {
        return e->GetTypeId() == kTypeFace || IsInstanceKind(e->GetTypeId());
    });
    if (count == 0) {
        return nullptr;
    }
    CBoundingBox3d bounds;
    component.GetDrawnBounds(bounds);
    return view->CreateTransparencySorter(quality, static_cast<int>(count), bounds);
}

// The side the eye sees blends: a see-through display, or a transparent material.
bool BlendsTowardsEye(ITarnisView* view, const CRenderingOptions* options, const CFace& face)
{
    if (options != nullptr && options->IsTransparentDisplay()) {
        return true;
    }
    const CMaterial* material = face.GetSideMaterial(view, face.IsFrontFacing(view), nullptr);
    return material != nullptr && material->Blends();
}

// True now and then, once the frame is no longer wanted.
bool IsAbandonedAt(ITarnisView* view, std::size_t index)
{
    return index % kQuitPollEvery == kQuitPollEvery - 1 && view->IsFrameAbandoned();
}

// The edge pass over types the face pass noted: the faces, most of a model, stay
// where they are in memory.
template <typename Draw>
void DrawKnownTypes(ITarnisView* view, const std::vector<CDrawingElement*>& entities,
                    const std::vector<std::uint8_t>& types, IEdgePassGL* kept, const Draw& draw)
{
    for (std::size_t index = 0; index < entities.size() && !IsAbandonedAt(view, index); ++index) {
        if (index + kFetchAhead < entities.size() && types[index + kFetchAhead] == kTypeEdge) {
            __builtin_prefetch(entities[index + kFetchAhead]);
        }
        // Half way there the edge has come: its vertices are asked for next.
        if (const std::size_t half = index + kFetchAhead / 2; half < entities.size() && types[half] == kTypeEdge) {
            const auto* edge = static_cast<const CEdge*>(entities[half]);
            __builtin_prefetch(edge->GetStartVertex());
            __builtin_prefetch(edge->GetEndVertex());
        }
        const int type = types[index];
        if (kept != nullptr && type != kTypeFace && type != kTypeEdge) {
            kept->NoteOtherEntity(index);
        }
        draw(entities[index], type);
    }
}

// In the lit pass of the stencil shadows: lit whatever the volumes counted.
void DrawUnshadowed(ITarnisView* view, CDrawingElement* entity)
{
    FlushFaces(view);
    const bool stencil = view->SetCapability(glenum::kStencilTest, false);
    entity->Draw(view);
    FlushFaces(view);
    if (stencil) {
        view->SetCapability(glenum::kStencilTest, true);
    }
}

void PopSectionPlane(ITarnisView* view, CSectionPlane* plane)
{
    if (plane != nullptr) {
        view->PopSectionFilter(plane);
    }
}

// The cut of the component's own active plane and the component's section planes,
// drawn once that plane no longer clips: both lie in it.
// Under stencil shadows the planes' see-through fill goes over the scene once, in the
// lit pass with the stencil test off: drawn in the dark pass it would veil only the
// shadowed pixels, which the lit pass keeps, and a shadow behind a plane would show
// lighter than the sunlit ground beside it.
void DrawSectionPlanes(ITarnisView* view, CSectionPlane* active, const std::vector<CDrawingElement*>& planes)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    const int shadowPass = options != nullptr ? options->GetShadowPass() : 0;
    if (shadowPass != 1 && !planes.empty()) {
        const bool stencil = shadowPass == 2 && view->SetCapability(glenum::kStencilTest, false);
        // Pushed back, so that a plane lying on a face leaves the face whole.
        view->PushPolygonOffset(true, kSectionPlaneOffset, kSectionPlaneOffset);
        for (CDrawingElement* plane : planes) {
            plane->Draw(view);
        }
        view->EndPrimitive();
        view->PopPolygonOffset();
        if (stencil) {
            view->SetCapability(glenum::kStencilTest, true);
        }
    }
    // After the planes, whose fill writes no depth, so that it never veils the cut.
    if (active != nullptr && view->GetDrawMode() != IModelView::kDrawModeSelection) {
        active->DrawSlice(view);
    }
    view->EndPrimitive();
}

// A face through which an instance cuts an opening lets its volume show through the hole.
bool HasOpeningCut(const CRelationshipMap* map)
{
    for (int i = 0; map != nullptr && i < map->GetCount(); ++i) {
        const CRelationship* relationship = map->GetRelationship(i);
        if (relationship == nullptr || dynamic_cast<const CFace*>(relationship->GetFirst()) == nullptr) {
            continue;
        }
        const auto* instance = dynamic_cast<const CComponentInstance*>(relationship->GetSecond());
        const CComponentDefinition* definition = instance != nullptr ? instance->GetDefinition() : nullptr;
        const auto* behavior =
            definition != nullptr ? dynamic_cast<const CComponentBehavior*>(definition->GetBehavior()) : nullptr;
        if (behavior != nullptr && behavior->CutsOpening()) {
            return true;
        }
    }
    return false;
}

bool LetsLightThrough(const CMaterial* material)
{
    return material != nullptr && material->Blends();
}

// An edge with no face closes nothing and opens nothing.
bool ClosesSolid(const CEdge& edge)
{
    const CFace* faces[2] = {nullptr, nullptr};
    int count = 0;
    const CEdgeUse* first = edge.GetFirstEdgeUse();
    for (const CEdgeUse* use = first; use != nullptr;) {
        if (const CFace* face = use->GetFace()) {
            if (count == 2) {
                return false;
            }
            faces[count++] = face;
        }
        use = use->GetNextAroundEdge();
        if (use == first) {
            break;
        }
    }
    if (count == 0) {
        return true;
    }
    if (count == 1) {
        return false;
    }
    for (const CFace* face : faces) {
        if (face->IsHiddenFlagSet() || !face->CastsShadows() || LetsLightThrough(face->GetMaterial()) ||
            LetsLightThrough(face->GetBackMaterial())) {
            return false;
        }
    }
    return faces[0]->GetEffectiveLayer() == faces[1]->GetEffectiveLayer();
}

}  // namespace

CSmoothNormals& CComponent::GetSmoothNormals()
{
    if (m_smoothNormals == nullptr) {
        m_smoothNormals = std::make_shared<CSmoothNormals>();
    }
    return *m_smoothNormals;
}

void CComponent::PrepareSmoothNormals(ITarnisView* view)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options == nullptr || !options->IsAverageNormals()) {
        return;
    }
    CSmoothNormals& table = GetSmoothNormals();
    if (m_smoothNormalsStale) {
        // Uses keep indices into the table; an edit clears them all so that the
        // next build starts afresh.
        if (table.IsBuilt() || table.GetCount() > 0) {
            table.Clear(*this);
        }
        m_smoothNormalsStale = false;
    }
    table.Build(*this);
}

void CComponent::Draw(ITarnisView* view)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    bool cullingOff = false;
    if (orvell::geometry::IGeomFilter* filter = view->GetCurrentFilter();
        filter != nullptr && !ContainsConstructionLine()) {
        CBoundingBox3d bounds;
        GetDrawnBounds(bounds);
        bool wholly = false;
        if (!bounds.IsEmpty() && !filter->TestBox(bounds, wholly)) {
            return;
        }
        if (wholly) {
            view->PushFilter(nullptr);
            cullingOff = true;
        }
    }
    if (options != nullptr && options->GetTransparencyPass() >= 2) {
        DrawSorted(view);
    } else {
        const bool fogSecondPassOnly = options != nullptr && options->IsFogOn() && options->IsFogOnSecondPassOnly();
        if (fogSecondPassOnly) {
            view->SetupFog(false);
        }
        // The faces note their facing under this pass's stamp for the edges below.
        const std::uint32_t facing = CProfileFacing::BeginPass();
        std::vector<std::uint8_t> types;
        DrawEntities(view, 0, &types);
        if (!SkipsSecondPass(view, options)) {
            CProfileFacing::SetCurrent(facing);
            if (fogSecondPassOnly) {
                view->SetupFog(true);
            }
            const bool smoothEdges =
                options != nullptr && options->GetDisplayByte(CRenderingOptions::kSmoothEdges);
            if (smoothEdges) {
                view->SetSecondPassMode(true);
            }
            DrawEntities(view, 1, &types);
            if (smoothEdges) {
                view->SetSecondPassMode(false);
            }
        }
    }
    if (cullingOff) {
        view->PopFilter();
    }
}

void CComponent::DrawEntities(ITarnisView* view, int pass, std::vector<std::uint8_t>* types)
{
    if (pass == 0) {
        PrepareSmoothNormals(view);
    }
    CSectionPlane* section = PushSectionPlane(view, *this);
    IEdgePassGL* kept = GetEdgePassGL();
    if (pass == 1 && kept != nullptr && kept->BeginEdgePass(view, *this)) {
        PopSectionPlane(view, section);
        return;
    }
    const std::uint32_t facing = CProfileFacing::GetCurrent();
    const bool everything = view->IsDrawingEverything();
    const CRenderingOptions* options = view->GetRenderingOptions();
    const bool litShadowPass = options != nullptr && options->GetShadowPass() == 2;
    // Faces that would draw nothing are not even asked.
    const bool facesLeftOut = view->DrawsEdgesAlone();
    // What an entity pushes on the filter stack it pops again.
    const orvell::geometry::IGeomFilter* filter = view->GetCurrentFilter();
    std::vector<CDrawingElement*> texts;
    std::vector<CDrawingElement*> planes;
    std::optional<CEdgeRun> edges;
    std::optional<CFaceRun> faces;
    if (pass == 1) {
        edges.emplace(view);
    } else if (!facesLeftOut) {
        faces.emplace(view);
    }
    const auto draw = [&](CDrawingElement* entity, int type) {
        // Only the edges pass the edge pass; the others are not even asked.
        if (pass == 1 ? type != kTypeEdge : type == kTypeEdge || (type == kTypeFace && facesLeftOut)) {
            return;
        }
        if (!everything && !entity->IsPickable(filter)) {
            // The test cost about what a vertex does; a pick, whose small volume leaves
            // out nearly everything, spends its time here.
            (void)CFrameMeter::Charge(CFrameMeter::kVertexCost);
            return;
        }
        if (type == kTypeSectionPlane) {
            planes.push_back(entity);
            return;
        }
        if (pass == 1) {
            edges->Draw(static_cast<CEdge&>(*entity));
            return;
        }
        if (type == kTypeText || type == kTypeDimension || type == kTypeDimensionLinear ||
            type == kTypeDimensionRadial) {
            texts.push_back(entity);
            return;
        }
        if (litShadowPass && type == kTypeFace && (entity->GetFlags() & kTerminatorClassBits) != 0) {
            view->DrawTerminatorFace(static_cast<CFace*>(entity));
            return;
        }
        if (litShadowPass && !entity->ReceivesShadows()) {
            DrawUnshadowed(view, entity);
            CProfileFacing::SetCurrent(facing);
            return;
        }
        if (type != kTypeFace) {
            // Anything else may change the GL state the batched faces rely on.
            FlushFaces(view);
            entity->Draw(view);
            // An instance's own faces took stamps of their own.
            CProfileFacing::SetCurrent(facing);
            return;
        }
        faces->Draw(static_cast<CFace&>(*entity));
    };
    const std::vector<std::size_t>* others =
        pass == 0 && facesLeftOut && kept != nullptr ? kept->GetOtherEntities(view, *this) : nullptr;
    if (others != nullptr) {
        for (std::size_t k = 0; k < others->size() && !IsAbandonedAt(view, k); ++k) {
            CDrawingElement* entity = m_entities[(*others)[k]];
            draw(entity, entity->GetTypeId());
        }
    } else if (pass == 1 && types != nullptr && types->size() == m_entities.size()) {
        DrawKnownTypes(view, m_entities, *types, kept, draw);
    } else {
        if (pass == 0 && types != nullptr) {
            types->resize(m_entities.size());
        }
        for (std::size_t index = 0; index < m_entities.size() && !IsAbandonedAt(view, index); ++index) {
            // The entities lie all over memory; asking for those ahead early lets their
            // fetches overlap.
            if (index + kFetchAhead < m_entities.size()) {
                __builtin_prefetch(m_entities[index + kFetchAhead]);
            }
            CDrawingElement* entity = m_entities[index];
            const int type = entity->GetTypeId();
            if (pass == 0 && types != nullptr) {
                (*types)[index] = static_cast<std::uint8_t>(type);
            }
            if (pass == 1 && kept != nullptr && type != kTypeFace && type != kTypeEdge) {
                kept->NoteOtherEntity(index);
            }
            draw(entity, type);
        }
    }
    if (edges) {
        edges->Flush();
    }
    FlushFaces(view);
    // Under face shadows both passes draw the labels: the lit pass redraws the faces
    // over what the dark pass left, and a label standing partly behind a surface (a
    // dimension on the ground) would lose that part to the sunlit face.
    if (!texts.empty()) {
        view->SetTextMode(true);
        for (CDrawingElement* text : texts) {
            // Each label may render a block of text of its own.
            if (view->IsFrameAbandoned()) {
                break;
            }
            text->Draw(view);
        }
        view->SetTextMode(false);
    }
    view->EndPrimitive();
    if (pass == 1 && kept != nullptr) {
        kept->EndEdgePass(view, *this);
    }
    PopSectionPlane(view, section);
    if (pass == 0) {
        DrawSectionPlanes(view, section, planes);
    }
}

void CComponent::DrawSorted(ITarnisView* view)
{
    PrepareSmoothNormals(view);
    CSectionPlane* section = PushSectionPlane(view, *this);
    const CRenderingOptions* options = view->GetRenderingOptions();
    std::unique_ptr<ITransparencySorter> sorter = MakeSorter(view, options, *this);
    const bool everything = view->IsDrawingEverything();
    for (std::size_t index = 0; index < m_entities.size() && !IsAbandonedAt(view, index); ++index) {
        CDrawingElement* entity = m_entities[index];
        if (sorter != nullptr && !everything && !entity->IsPickable(view->GetCurrentFilter())) {
            continue;
        }
        const int type = entity->GetTypeId();
        if (IsInstanceKind(type)) {
            if (sorter != nullptr) {
                sorter->Add(nullptr, entity);
                continue;
            }
            FlushFaces(view);
            entity->Draw(view);
        } else if (type == kTypeFace) {
            auto* face = static_cast<CFace*>(entity);
            if (sorter == nullptr) {
                entity->Draw(view);
            } else if (BlendsTowardsEye(view, options, *face)) {
                sorter->Add(face, nullptr);
            }
        }
    }
    FlushFaces(view);
    if (sorter != nullptr) {
        sorter->SortAndDraw(view);
    }
    view->EndPrimitive();
    PopSectionPlane(view, section);
}

void CComponent::DrawIfShown(ITarnisView* view)
{
    CSectionPlane* section = PushSectionPlane(view, *this);
    const orvell::geometry::IGeomFilter* filter = view->GetCurrentFilter();
    const bool everything = view->IsDrawingEverything();
    std::vector<CDrawingElement*> planes;
    for (std::size_t index = 0; index < m_entities.size() && !IsAbandonedAt(view, index); ++index) {
        CDrawingElement* entity = m_entities[index];
        if (!everything && !entity->IsPickable(filter)) {
            continue;
        }
        const int type = entity->GetTypeId();
        if (type == kTypeSectionPlane) {
            planes.push_back(entity);
        } else if (type != kTypeEdge || static_cast<const CEdge*>(entity)->IsFree()) {
            entity->DrawIfShown(view);
        }
    }
    FlushFaces(view);
    view->EndPrimitive();
    PopSectionPlane(view, section);
    for (CDrawingElement* plane : planes) {
        plane->DrawIfShown(view);
    }
    view->EndPrimitive();
}

void CComponent::AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const
{
    for (const CDrawingElement* entity : m_entities) {
        if (!entity->IsHiddenFlagSet()) {
            entity->AccumulateExtentsVariant(view, box);
        }
    }
}

bool CComponent::IsClosedSolid()
{
    if (m_shadowState == 0) {
        m_shadowState = 1;
        if (HasOpeningCut(m_relationships)) {
            return false;
        }
        for (const CDrawingElement* entity : m_entities) {
            if (entity->GetTypeId() == kTypeEdge && !ClosesSolid(static_cast<const CEdge&>(*entity))) {
                return false;
            }
        }
        m_shadowState = 2;
    }
    return m_shadowState == 2;
}

void CComponent::DrawBounds(ITarnisView* view, int margin)
{
    CBoundingBox3d box;
    GetBounds(box, false);
    if (view == nullptr || box.IsEmpty()) {
        return;
    }
    if (margin > 0) {
        const CVector3d grow = view->GetModelUnitsPerPixel(box.GetCentre(), margin);
        box.Expand(grow);
    }
    view->SetDrawingSwitch(0);
    view->DrawBox(box);
}

std::uint64_t CComponent::GetDrawingWeight(bool /*shadows*/) const
{
    return CDrawingWork::kPlacementCost;
}
