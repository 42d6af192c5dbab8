// The main view's commands: standard views and camera state, rendering styles and
// display switches, pages. Each is thin: a setter of the model's display settings, a
// camera or page operation of the view, then a redraw. The camera tool commands select
// their tools.
#include <QPointer>
#include <memory>
#include <utility>

#include "app/glimradoc.h"
#include "app/glimraview.h"
#include "app/hostservices.h"
#include "app/playanimation.h"
#include "app/resourceids.h"
#include "app/viewnavigation.h"
#include "document/component.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/viewpage.h"
#include "render/projectionswitch.h"
#include "tools/cameracommands.h"
#include "tools/slideshow.h"

namespace {

// Section-flag bits of the rendering options.
constexpr int kSectionPlanesShown = 1;
constexpr int kSectionCutsShown = 2;

constexpr int kWireframe = 0;
constexpr int kHiddenLine = 1;
constexpr int kShaded = 2;
constexpr int kMonochrome = 5;

}  // namespace

void CGlimraView::AddCommands()
{
    AddCameraCommands();
    AddRenderingCommands();
    AddPageCommands();
}

void CGlimraView::AddCameraCommands()
{
    struct ToolCommand
    {
        UINT id;
        const char* text;
        void (*select)();
        bool needsPerspective;
    };
    const ToolCommand tools[] = {{ID_CAMERA_ORBIT, "&Orbit", SelectOrbitTool, false},
                                 {ID_CAMERA_PAN, "&Pan", SelectPanTool, false},
                                 {ID_CAMERA_ZOOM, "&Zoom", SelectZoomTool, false},
                                 {ID_CAMERA_ZOOM_WINDOW, "Zoom &Window", SelectZoomWindowTool, false},
                                 {ID_CAMERA_LOOK_AROUND, "&Look Around", SelectLookAroundTool, false},
                                 {ID_CAMERA_WALK, "&Walk", SelectWalkTool, true},
                                 {ID_CAMERA_FIELD_OF_VIEW, "Field Of View", SelectFieldOfViewTool, true}};
    for (const ToolCommand& tool : tools)
        GetCommands().Add(
            tool.id, CString(tool.text), tool.select, [this, tool](CCmdUI& ui) {
                ui.Enable(!tool.needsPerspective || GetViewDefinition().IsPerspective());
                ui.SetCheck(GetCameraToolCheck(static_cast<int>(tool.id)));
            });
    GetCommands().Add(ID_CAMERA_EXIT, CString("E&xit"), ExitCameraTool);
    GetCommands().Add(ID_CAMERA_ZOOM_EXTENTS, CString("Zoom &Extents"), [this] {
        CComponent* root = GetModel() != nullptr ? GetModel()->GetRootComponent() : nullptr;
        if (root == nullptr)
            return;
        const std::unique_ptr<IEntityIterator> entities(root->NewIterator());
        ZoomToExtents(entities.get());
    });
    const std::pair<UINT, void (CTarnisView::*)()> views[] = {
        {ID_VIEW_TOP, &CTarnisView::ViewTop},   {ID_VIEW_BOTTOM, &CTarnisView::ViewBottom},
        {ID_VIEW_FRONT, &CTarnisView::ViewFront}, {ID_VIEW_BACK, &CTarnisView::ViewBack},
        {ID_VIEW_LEFT, &CTarnisView::ViewLeft}, {ID_VIEW_RIGHT, &CTarnisView::ViewRight},
        {ID_VIEW_ISO, &CTarnisView::ViewIso}};
    const char* const texts[] = {"&Top", "B&ottom", "&Front", "&Back", "&Left", "&Right", "&Iso"};
    for (size_t i = 0; i < std::size(views); ++i)
    {
        const auto operation = views[i].second;
        GetCommands().Add(views[i].first, CString(texts[i]), [this, operation] { (this->*operation)(); });
    }
    GetCommands().Add(
        ID_CAMERA_PREVIOUS, CString("Previous"),
        [this] {
            const int width = GetViewDefinition().GetViewportWidth();
            const int height = GetViewDefinition().GetViewportHeight();
            SwapViewDefinitions();
            GetViewDefinition().SetViewportSize(width, height);
            Invalidate(false);
        },
        [this](CCmdUI& ui) { ui.Enable(!GetViewDefinition().IsSameCamera(GetSavedViewDefinition())); });
    GetCommands().Add(
        ID_CAMERA_PERSPECTIVE, CString("P&erspective"),
        [this] {
            GetViewDefinition().SetCamera(SwitchProjection(*this, !GetViewDefinition().IsPerspective()));
            if (CGlimraDoc* document = GetGlimraDoc())
                document->SetModifiedFlag();
            StoreCameraInSelectedPage();
            Invalidate(false);
        },
        [this](CCmdUI& ui) { ui.SetCheck(GetViewDefinition().IsPerspective() ? 1 : 0); });
}

void CGlimraView::StoreCameraInSelectedPage()
{
    const CPageList* pages = GetModel() != nullptr ? GetModel()->GetPageList() : nullptr;
    auto* page = pages != nullptr ? dynamic_cast<CViewPage*>(pages->GetSelectedPage()) : nullptr;
    if (page != nullptr && (page->GetPropertyMask() & CViewPage::kCamera) != 0)
        page->SetCamera(GetViewDefinition().GetCamera());
    else
        StoreCamera();
}

void CGlimraView::AddRenderingCommands()
{
    auto options = [this] { return GetRenderingOptions(); };
    auto modeIs = [options](int mode) {
        return [options, mode](CCmdUI& ui) {
            const CRenderingOptions* o = options();
            ui.SetCheck(o != nullptr && o->GetRenderMode() == mode ? 1 : 0);
        };
    };
    auto setMode = [this](int mode) { return [this, mode] { SetRenderMode(mode); Invalidate(false); }; };
    // The Render menu's rows carry a mnemonic each; the toolbar's the bare words.
    GetCommands().Add(ID_RENDER_WIREFRAME, CString("Wireframe"), setMode(kWireframe), modeIs(kWireframe));
    GetCommands().Add(ID_RENDER_WIREFRAME_MENU, CString("&Wireframe"), setMode(kWireframe), modeIs(kWireframe));
    GetCommands().Add(ID_RENDER_HIDDEN_LINE, CString("Hidden Line"), setMode(kHiddenLine), modeIs(kHiddenLine));
    GetCommands().Add(ID_RENDER_HIDDEN_LINE_MENU, CString("&Hidden Line"), setMode(kHiddenLine), modeIs(kHiddenLine));
    GetCommands().Add(ID_RENDER_MONOCHROME, CString("Monochrome"), setMode(kMonochrome), modeIs(kMonochrome));
    GetCommands().Add(ID_RENDER_MONOCHROME_MENU, CString("&Monochrome"), setMode(kMonochrome), modeIs(kMonochrome));
    auto shaded = [this, options](bool textures) {
        return [this, options, textures] {
            SetRenderMode(kShaded);
            if (CRenderingOptions* o = options(); o != nullptr && o->IsDisplayTextures() != textures)
                o->SetDisplayTextures(textures);
            Invalidate(false);
        };
    };
    auto shadedIs = [options](bool textures) {
        return [options, textures](CCmdUI& ui) {
            const CRenderingOptions* o = options();
            // Modes 3 and 4 (3 is a new model's) draw exactly as shaded.
            const bool shadedMode = o != nullptr && o->GetRenderMode() >= kShaded && o->GetRenderMode() <= 4;
            ui.SetCheck(shadedMode && o->IsDisplayTextures() == textures ? 1 : 0);
        };
    };
    GetCommands().Add(ID_RENDER_SHADED, CString("Shaded"), shaded(false), shadedIs(false));
    GetCommands().Add(ID_RENDER_SHADED_MENU, CString("&Shaded"), shaded(false), shadedIs(false));
    GetCommands().Add(ID_RENDER_TEXTURED, CString("Shaded With Textures"), shaded(true), shadedIs(true));
    GetCommands().Add(ID_RENDER_TEXTURED_MENU, CString("Shaded With &Textures"), shaded(true), shadedIs(true));

    // Switches: the option's getter and setter, and whether all views redraw.
    struct Switch
    {
        UINT id;
        const char* text;
        bool (CRenderingOptions::*get)() const;
        void (CRenderingOptions::*set)(bool);
        bool redrawAll;
    };
    const Switch switches[] = {
        {ID_RENDER_XRAY, "X-ray", &CRenderingOptions::IsTransparentDisplay, &CRenderingOptions::SetTransparentDisplay, false},
        {ID_RENDER_XRAY_MENU, "X-&ray", &CRenderingOptions::IsTransparentDisplay, &CRenderingOptions::SetTransparentDisplay, false},
        {ID_RENDER_TRANSPARENCY, "Transparent Materials", &CRenderingOptions::IsEnableTransparency, &CRenderingOptions::SetEnableTransparency, false},
        {ID_EDGES_PROFILES, "&Profile Edges", &CRenderingOptions::IsDrawProfiles, &CRenderingOptions::SetDrawProfiles, true},
        {ID_EDGES_DEPTH_CUE, "&Depth Cued Edges", &CRenderingOptions::IsDepthCue, &CRenderingOptions::SetDepthCue, true},
        {ID_EDGES_EXTENDED, "E&xtended Edges", &CRenderingOptions::IsExtendEdges, &CRenderingOptions::SetExtendEdges, true},
        {ID_EDGES_ENDPOINTS, "E&ndpoints", &CRenderingOptions::IsDrawEndpoints, &CRenderingOptions::SetDrawEndpoints, true},
        {ID_EDGES_JITTER, "&Jitter Edges", &CRenderingOptions::IsJitterEdges, &CRenderingOptions::SetJitterEdges, true}};
    for (const Switch& s : switches)
        GetCommands().Add(
            s.id, CString(s.text),
            [this, options, s] {
                CRenderingOptions* o = options();
                if (o == nullptr)
                    return;
                (o->*s.set)(!(o->*s.get)());
                if (s.redrawAll)
                    UpdateAllViewsOfActiveDoc();
                else
                    Invalidate(false);
            },
            [options, s](CCmdUI& ui) {
                const CRenderingOptions* o = options();
                ui.SetCheck(o != nullptr && (o->*s.get)() ? 1 : 0);
            });
    GetCommands().Add(
        ID_EDGES, CString("&Edges"),
        [options] {
            if (CRenderingOptions* o = options())
            {
                o->SetDisplayEdges(o->GetDisplayEdges() == 0 ? 1 : 0);
                UpdateAllViewsOfActiveDoc();
            }
        },
        [options](CCmdUI& ui) { ui.SetCheck(options() != nullptr && options()->GetDisplayEdges() == 1 ? 1 : 0); });

    auto shadows = [this]() -> CShadowInfo* { return GetModel() != nullptr ? GetModel()->GetShadowInfo() : nullptr; };
    for (const UINT id : {ID_RENDER_SHADOWS, ID_RENDER_SHADOWS_MENU})
        GetCommands().Add(
            id, CString("Shadows"),
            [this, shadows] {
                if (CShadowInfo* info = shadows())
                {
                    info->SetDisplayShadows(!info->IsDisplayShadows());
                    Invalidate(false);
                }
            },
            [shadows](CCmdUI& ui) { ui.SetCheck(shadows() != nullptr && shadows()->IsDisplayShadows() ? 1 : 0); });
    GetCommands().Add(
        ID_VIEW_AXES, CString("&Axes"),
        [this] {
            if (GetModel() != nullptr)
            {
                GetModel()->SetDisplayAxes(!GetModel()->IsDisplayAxes());
                UpdateAllViewsOfActiveDoc();
            }
        },
        [this](CCmdUI& ui) { ui.SetCheck(GetModel() != nullptr && GetModel()->IsDisplayAxes() ? 1 : 0); });
    GetCommands().Add(
        ID_VIEW_HIDDEN_GEOMETRY, CString("&Hidden Geometry"),
        [this, options] {
            if (const CRenderingOptions* o = options())
                ShowHiddenGeometry(*this, GetBaseDoc(), !o->IsShowHiddenGeometry());
        },
        [options](CCmdUI& ui) { ui.SetCheck(options() != nullptr && options()->IsShowHiddenGeometry() ? 1 : 0); });
    auto sectionFlag = [this](int bit) {
        return [this, bit](CCmdUI& ui) {
            const CRenderingOptions* o = GetModel() != nullptr ? GetModel()->GetRenderingOptions() : nullptr;
            ui.SetCheck(o != nullptr && (o->GetSectionFlags() & bit) != 0 ? 1 : 0);
        };
    };
    GetCommands().Add(
        ID_VIEW_SECTION_PLANES, CString("Section Planes"),
        [this] {
            if (CBaseDoc* document = GetBaseDoc())
                document->ToggleSectionPlanes();
        },
        sectionFlag(kSectionPlanesShown));
    GetCommands().Add(
        ID_VIEW_SECTION_CUTS, CString("Section Cuts"),
        [this] {
            if (CBaseDoc* document = GetBaseDoc())
                document->ToggleSectionCuts();
        },
        sectionFlag(kSectionCutsShown));
}

void CGlimraView::AddPageCommands()
{
    auto several = [this](CCmdUI& ui) { ui.Enable(HasSeveralPages(*this)); };
    GetCommands().Add(ID_PAGE_NEXT, CString("Ne&xt Page\t[Page Down]"), [this] { NextPage(*this); }, several);
    GetCommands().Add(ID_PAGE_PREVIOUS, CString("&Previous Page\t[Page Up]"), [this] { PreviousPage(*this); },
                      several);
    // The same command stops a running slideshow (or any other animation). The slideshow
    // plays while its dialog is up.
    GetCommands().Add(
        ID_VIEW_SLIDESHOW, CString("&Slideshow"),
        [this] {
            CSlideshow* slideshow = StartSlideshow(this, false);
            if (slideshow == nullptr)
                return;
            // Goes with the view's window should that close while the dialog runs.
            const QPointer<CPlayAnimation> dialog = new CPlayAnimation(this, slideshow, GetWidget());
            dialog->exec();
            delete dialog.data();
        },
        several);
}
