#pragma once
// CViewPage: the page that models hold. As its property mask selects, it remembers the
// camera, a copy of the display settings, the shadow settings, the drawing axes and
// whether they are shown, which elements are hidden, which layers are visible and which
// section planes are active; activating the page gives them back to the model. Its
// stored entities are forgotten as soon as they are erased.

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "document/animationseconds.h"
#include "document/camera.h"
#include "document/tarnwickpage.h"

class CDrawingElement;
class CLayer;
class CRenderingOptions;
class CSectionPlane;
class CShadowInfo;
class CTarnisCS;
class CViewPage;

// Builds the animation that moves a view from one page to the next over the given
// seconds (the previous page may be null). The navigation code installs it; without
// one no page has a transition.
using PageTransitionFactory = IAnimation* (*)(ITarnisView* view, CViewPage* previous, CViewPage* next,
                                               double seconds);
void SetPageTransitionFactory(PageTransitionFactory factory);

class CViewPage : public CTarnwickPage
{
    DECLARE_SERIAL(CViewPage)

public:
    // Bits of the property mask.
    enum PropertyBit : std::int32_t
    {
        kCamera = 1,
        kRenderingOptions = 2,
        kShadowSettings = 4,
        kAxes = 8,
        kHiddenElements = 16,
        kVisibleLayers = 32,
        kSectionPlanes = 64,
        kAllProperties = 0xFFF,
        // Everything but the camera and the display settings.
        kFrameProperties = 0xFFC
    };

    CViewPage();
    CViewPage(const CString& name, const CString& description, std::int32_t propertyMask);
    // Deep: the owned settings and axes are copied; the copy is not attached, so an
    // undo snapshot never listens to the undo manager.
    CViewPage(const CViewPage& other);
    CViewPage& operator=(const CViewPage&) = delete;
    // Deletes the owned objects that Erase has not deleted.
    ~CViewPage() override;

    // The page record at the file's class version (see viewpagerecord.cpp). Throws the
    // archive exception on bad input; a reference of the wrong class is badClass.
    void Serialize(CArchive& ar) override;
    // Records the change and deletes the owned objects, then erases the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges every stored value; the other entity must be a view page.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Gives the owner model what the mask selects, then posts "Activate Page".
    void Activate() override;
    // The page stops being the view's display override: what the view showed from it
    // goes, and "DisplayOverrideRestoreNotification" with the view tells the windows
    // that show display settings to read the model's own again.
    void RestoreAsDisplayOverride(ITarnisView* view);
    // Null unless HasTransition; then what the installed factory builds.
    [[nodiscard]] IAnimation* CreateTransition(ITarnisView* view, CTarnwickPage* previous) override;
    [[nodiscard]] bool IsIncludedInAnimation() const override { return m_includedInAnimation; }
    [[nodiscard]] bool IsAttached() const override { return m_attached; }
    // The name, in parentheses when the page is left out of animations.
    [[nodiscard]] CString GetTabText() const override;

    // Transitions are shown ("ShowTransition"), the mask holds the camera, the shadow
    // settings or the section planes, and the time is not (nearly) zero.
    [[nodiscard]] bool HasTransition() const;
    [[nodiscard]] bool GetSecondPageSwitch() const { return m_secondSwitch; }
    // The page's own time when not negative, else the page options' time.
    [[nodiscard]] double GetTransitionTime() const;
    // The page's own time when not negative, else the slideshow options' time.
    [[nodiscard]] double GetSlideTime() const;

    // Fills the page from the model as both masks select. The option honours the
    // layers' override bits when the visible layers are taken.
    void CopyFromModel(CTarnwickModel& model, std::int32_t mask, bool honourLayerOverrides);
    // The same with the view's camera: the view stores it into its model first.
    void CopyFromModel(ITarnisView* view, std::int32_t mask, bool honourLayerOverrides);
    // The model's display kept to be given back exactly (by Activate) after something
    // else was shown: CopyFromModel from the view, with the active section planes kept
    // also while section cuts are off, when a page would take none and so deactivate
    // them.
    void SaveModelDisplay(ITarnisView* view, std::int32_t mask);

    [[nodiscard]] std::int32_t GetPropertyMask() const { return m_propertyMask; }
    void SetPropertyMask(std::int32_t mask) { m_propertyMask = mask; }
    [[nodiscard]] const CCamera& GetCamera() const { return m_camera; }
    void SetCamera(const CCamera& camera) { m_camera = camera; }
    [[nodiscard]] CRenderingOptions* GetRenderingOptions() const { return m_renderingOptions; }
    [[nodiscard]] CShadowInfo* GetShadowInfo() const { return m_shadowInfo; }
    [[nodiscard]] CTarnisCS* GetAxes() const { return m_axes; }
    [[nodiscard]] bool IsAxesDisplayed() const { return m_axesDisplayed; }
    // Copies into the page's own object, made when absent.
    void SetRenderingOptions(const CRenderingOptions& options);
    void SetShadowInfo(const CShadowInfo& shadow);
    void SetAxes(const CTarnisCS& axes, bool displayed);

    [[nodiscard]] const std::vector<CDrawingElement*>& GetHiddenElements() const { return m_hidden; }
    [[nodiscard]] bool IsHiddenOnPage(const CDrawingElement* element) const;
    // Adds an element once; null is ignored.
    void AddHiddenElement(CDrawingElement* element);
    [[nodiscard]] const std::vector<CLayer*>& GetVisibleLayers() const { return m_layers; }
    void AddVisibleLayer(CLayer* layer);
    [[nodiscard]] const std::vector<CSectionPlane*>& GetSectionPlanes() const { return m_sectionPlanes; }
    void AddSectionPlane(CSectionPlane* plane);

    void SetIncludedInAnimation(bool included) { m_includedInAnimation = included; }
    [[nodiscard]] double GetOwnTransitionTime() const { return m_transitionTime; }
    void SetTransitionTime(double seconds) { m_transitionTime = RepairedPageSeconds(seconds); }
    [[nodiscard]] double GetOwnSlideTime() const { return m_slideTime; }
    void SetSlideTime(double seconds) { m_slideTime = RepairedPageSeconds(seconds); }

    // Undo manager events: erased entities leave the page, a cleared model empties it.
    void OnEntityErased(CEntity* entity) override;
    void OnModelCleared(CTarnwickModel* model) override;

private:
    void Read(CArchive& ar);
    void ReadSettings(CArchive& ar, int version);
    void ReadHiddenElements(CArchive& ar);
    void ReadLayers(CArchive& ar, int version);
    void ReadSectionPlanes(CArchive& ar, int version);
    void Write(CArchive& ar);
    void WriteLayers(CArchive& ar) const;
    void DeleteOwnedObjects();
    void ClearStoredEntities();
    void RemoveHiddenElement(const CDrawingElement* element);
    void ApplyTo(CTarnwickModel& model) const;
    void ApplyHiddenElements(CTarnwickModel& model) const;
    void ApplyLayers(CTarnwickModel& model) const;
    void TakeHiddenElements(CTarnwickModel& model);
    void TakeLayers(CTarnwickModel& model, bool honourLayerOverrides);
    void TakeSectionPlanes(CTarnwickModel& model);
    int CheckOwnedObjects(int mode, CValidityResultMap* results);
    int CheckStoredEntities(int mode, CValidityResultMap* results);
    [[nodiscard]] bool Has(std::int32_t bit) const { return (m_propertyMask & bit) != 0; }

    std::int32_t m_propertyMask = 0;
    CCamera m_camera;
    CRenderingOptions* m_renderingOptions = nullptr;
    CShadowInfo* m_shadowInfo = nullptr;
    CTarnisCS* m_axes = nullptr;
    bool m_axesDisplayed = true;
    // In the order the elements were hidden, so that a page writes the same bytes
    // every time; the set answers membership.
    std::vector<CDrawingElement*> m_hidden;
    std::unordered_set<const CDrawingElement*> m_hiddenSet;
    std::vector<CLayer*> m_layers;
    std::vector<CSectionPlane*> m_sectionPlanes;
    bool m_includedInAnimation = true;
    bool m_secondSwitch = true;
    double m_transitionTime = -1.0;
    double m_slideTime = -1.0;
    bool m_attached = true;
};

// Reads a drawing-element reference (null allowed); another class is badClass.
[[nodiscard]] CDrawingElement* ReadHiddenElementObject(CArchive& ar);
