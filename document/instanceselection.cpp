// Whether a window or crossing rectangle selects an instance. The corners of the
// definition's box decide first, as far as the section planes in force keep them; a
// crossing rectangle then asks the definition's shown entities one by one.

#include "annotations/sectionclipstack.h"
#include "annotations/sectionplane.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/renderingoptions.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "foundation/boundingbox3d.h"

namespace {

constexpr int kCornerCount = 8;

thread_local int s_selectionDepth = 0;

struct DepthScope
{
    DepthScope() { ++s_selectionDepth; }
    ~DepthScope() { --s_selectionDepth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
};

// The definition's active section plane, when the view shows section cuts.
CSectionPlane* ActiveSection(const CComponentDefinition& definition, ITarnisView* view)
{
    auto* plane = dynamic_cast<CSectionPlane*>(definition.GetActiveSectionPlane());
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (plane == nullptr || options == nullptr || (options->GetSectionFlags() & CRenderingOptions::kSectionCutsShown) == 0) {
        return nullptr;
    }
    return plane;
}

}  // namespace

bool CComponentInstance::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    return SelectionTest(selector, nullptr);
}

bool CComponentInstance::SelectionTest(IPickHelper* selector, bool* cutAway) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    if (view == nullptr || m_definition == nullptr || s_selectionDepth >= CComponent::kMaxNestingDepth) {
        return false;
    }
    const int mode = selector->GetMode();
    const bool crossing = mode == IPickHelper::kModeCrossing;
    if (mode != IPickHelper::kModeWindow && !crossing) {
        return false;
    }
    // A definition that places itself ends the walk at the depth components may nest.
    const DepthScope depthScope;
    CBoundingBox3d bounds;
    m_definition->GetBounds(bounds, false);
    const int pushed = PushInherited(view, false);
    view->PushTransform(m_transform, false);
    CSectionPlane* section = ActiveSection(*m_definition, view);
    if (section != nullptr) {
        view->PushSectionFilter(section, false);
    }
    const CSectionClipStack& clips = view->GetSectionFilters();
    bool inside = true;
    bool touched = false;
    int kept = 0;
    for (int corner = 0; corner < kCornerCount && !(crossing && touched); ++corner) {
        const CPoint3d point = bounds.GetCorner(corner);
        if (!clips.IsPointKept(point)) {
            continue;
        }
        ++kept;
        if (selector->TestPoint(point)) {
            touched = true;
        } else {
            inside = false;
        }
    }
    if (kept == 0 || bounds.IsEmpty()) {
        // The section planes cut the whole box away.
        inside = false;
        touched = false;
        if (cutAway != nullptr) {
            *cutAway = true;
        }
    }
    const bool answer = crossing ? touched && TouchesShownEntity(selector, section) : inside;
    if (section != nullptr) {
        view->PopSectionFilter(section);
    }
    view->PopTransform(false);
    PopInherited(view, pushed);
    return answer;
}

bool CComponentInstance::TouchesShownEntity(IPickHelper* selector, const CDrawingElement* section) const
{
    ITarnisView* view = selector->GetPickView();
    for (const CDrawingElement* entity : m_definition->GetEntityList()) {
        if (!entity->IsShown(view)) {
            continue;
        }
        // The plane that cuts the definition counts as met without a test.
        if (entity == section) {
            return true;
        }
        // A nested instance answers through its own selection test.
        if (entity->IsSelectedBy(selector, nullptr)) {
            return true;
        }
    }
    return false;
}
