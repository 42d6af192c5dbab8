#include "render/edgepasscache.h"

#include <GL/gl.h>

#include <cstring>

#include "annotations/sectionclipstack.h"
#include "document/component.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "model/drawinggeneration.h"
#include "render/tarnisview.h"

namespace {

// The entities in their order: a list that gained, lost or reordered any differs.
std::uint64_t Fingerprint(const std::vector<CDrawingElement*>& entities)
{
    std::uint64_t hash = 0x9E3779B97F4A7C15ull;
    for (const CDrawingElement* entity : entities) {
        hash = (hash ^ reinterpret_cast<std::uintptr_t>(entity)) * 0x100000001B3ull;
    }
    return hash;
}

// Drawn with nothing around it, every edge a plain line: only the levels below faces
// draw edges whatever the camera; at the others profiles and effects follow it.
bool IsKeepable(CTarnisView& view)
{
    const CRenderingOptions* options = view.GetRenderingOptions();
    if (options == nullptr || view.GetForceState() || view.GetDrawMode() != IModelView::kDrawModeNormal ||
        view.GetInstancePathDepth() != 0 || view.HasTransform() || !view.GetSectionFilters().IsEmpty()) {
        return false;
    }
    return view.DrawsEdgesAlone();
}

}  // namespace

CEdgePassCache::EntityKey CEdgePassCache::MakeEntityKey(CTarnisView& view, const CComponent& component)
{
    const std::vector<CDrawingElement*>& entities = component.GetEntityList();
    EntityKey key;
    key.component = &component;
    key.model = view.GetModel();
    key.generation = CDrawingGeneration::Get();
    key.count = entities.size();
    // Both passes of a frame ask; the list is walked once.
    if (m_lastList == entities.data() && m_lastTaken.component == key.component &&
        m_lastTaken.model == key.model && m_lastTaken.generation == key.generation &&
        m_lastTaken.count == key.count) {
        return m_lastTaken;
    }
    key.fingerprint = Fingerprint(entities);
    m_lastTaken = key;
    m_lastList = entities.data();
    return key;
}

bool CEdgePassCache::MakeLineKey(CTarnisView& view, LineKey& key)
{
    if (!IsKeepable(view)) {
        return false;
    }
    const CRenderingOptions* options = view.GetRenderingOptions();
    key.options = options;
    std::memcpy(key.settings.data(), &options->GetStored(), sizeof(CRenderingOptions::Stored));
    for (int i = 0; i < CRenderingOptions::kDisplayByteCount; ++i) {
        key.displayBytes[static_cast<std::size_t>(i)] =
            options->GetDisplayByte(static_cast<CRenderingOptions::DisplayByte>(i));
    }
    key.transparencyPass = options->GetTransparencyPass();
    key.shadowPass = options->GetShadowPass();
    key.layer = view.GetCurrentLayer();
    key.material = view.GetCurrentMaterial();
    key.colorOverrides = view.GetColorOverrides();
    key.lightingMode = view.GetLightingMode();
    key.lineWidthScale = view.GetLineWidthScale();
    key.passNumber = view.GetPassNumber();
    key.everything = view.IsDrawingEverything();
    key.printing = view.IsPrinting();
    key.lighting = view.IsLightingOn();
    key.color = view.GetColor().GetValue();
    key.lineWidth = view.GetLineWidth();
    key.stipple = view.GetLineStipple();
    glGetFloatv(GL_CURRENT_COLOR, key.glColor.data());
    key.blending = glIsEnabled(GL_BLEND) == GL_TRUE;
    key.stencil = glIsEnabled(GL_STENCIL_TEST) == GL_TRUE;
    key.logicOperation = glIsEnabled(GL_COLOR_LOGIC_OP) == GL_TRUE;
    key.smoothLines = glIsEnabled(GL_LINE_SMOOTH) == GL_TRUE;
    GLint depthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    key.depthFunction = depthFunction;
    const CTarnwickModel* model = view.GetModel();
    if (const CTarnisCS* axes = model != nullptr ? model->GetDrawingAxes() : nullptr) {
        for (int i = 0; i < 3; ++i) {
            const CVector3d axis = axes->GetAxis(i);
            key.drawingAxes[static_cast<std::size_t>(3 * i)] = axis.x;
            key.drawingAxes[static_cast<std::size_t>(3 * i + 1)] = axis.y;
            key.drawingAxes[static_cast<std::size_t>(3 * i + 2)] = axis.z;
        }
    }
    return true;
}

bool CEdgePassCache::BeginEdgePass(ITarnisView* view, const CComponent& component)
{
    auto* modelView = dynamic_cast<CTarnisView*>(view);
    LineKey lineKey;
    if (modelView == nullptr || m_recordingView != nullptr || !MakeLineKey(*modelView, lineKey)) {
        return false;
    }
    const EntityKey entityKey = MakeEntityKey(*modelView, component);
    if (m_keptLines && entityKey == m_entityKey && lineKey == m_lineKey) {
        modelView->ReplayLines(m_lines);
        ++m_replays;
        return true;
    }
    m_keptLines = false;
    m_keptOthers = false;
    m_entityKey = entityKey;
    m_lineKey = lineKey;
    m_others.clear();
    m_recordingView = modelView;
    modelView->StartLineRecording(&m_lines);
    return false;
}

void CEdgePassCache::NoteOtherEntity(std::size_t index)
{
    if (m_recordingView != nullptr) {
        m_others.push_back(index);
    }
}

void CEdgePassCache::EndEdgePass(ITarnisView* view, const CComponent& component)
{
    if (m_recordingView == nullptr || static_cast<ITarnisView*>(m_recordingView) != view ||
        m_entityKey.component != &component) {
        return;
    }
    // A pass that changed the model while it drew keeps nothing, nor one that stopped
    // part way (budget spent, or a quit) and so holds only part of the lines: those are
    // not put in order for drawing either, which over a large mesh takes a good part of
    // what the pass took, after the frame was to stop.
    const bool unchanged = CDrawingGeneration::Get() == m_entityKey.generation && !view->IsFrameAbandoned();
    if (!unchanged) {
        m_lines.Spoil();
    }
    const bool whole = m_recordingView->StopLineRecording();
    m_recordingView = nullptr;
    m_keptLines = whole && unchanged;
    m_keptOthers = unchanged;
}

const std::vector<std::size_t>* CEdgePassCache::GetOtherEntities(ITarnisView* view, const CComponent& component)
{
    auto* modelView = dynamic_cast<CTarnisView*>(view);
    if (!m_keptOthers || modelView == nullptr || m_entityKey.component != &component || m_recordingView != nullptr) {
        return nullptr;
    }
    return MakeEntityKey(*modelView, component) == m_entityKey ? &m_others : nullptr;
}

void CEdgePassCache::BeginFrame()
{
    m_lastTaken = EntityKey{};
    m_lastList = nullptr;
}

void CEdgePassCache::Clear()
{
    if (m_recordingView != nullptr) {
        (void)m_recordingView->StopLineRecording();
        m_recordingView = nullptr;
    }
    m_keptLines = false;
    m_keptOthers = false;
    m_lastTaken = EntityKey{};
    m_lastList = nullptr;
    m_lines.Release();
    m_others.clear();
    m_others.shrink_to_fit();
}
