#pragma once
// CRenderingOptions: every display setting of a model or a page — render mode, edges
// and edge effects, transparency, the colours of background, edges, faces, sky and
// ground, fog, section display, smoothing — and a few transient switches the drawing
// code sets while it draws. A change made through a setter is announced with
// "Rendering Options Change".

#include <array>
#include <cstdint>

#include "foundation/color.h"
#include "model/entity.h"

class CRenderingOptions;

// The data of "Rendering Options Change": the id of what changed, then the options.
struct CRenderingOptionsChange
{
    std::int32_t id;
    CRenderingOptions* options;
};

// Ids of "Rendering Options Change".
enum RenderingOptionsChangeId : std::int32_t
{
    kRenderingAssigned = 0,
    kRenderingRenderMode = 1,
    kRenderingTransparency = 2,
    kRenderingTextures = 3,
    kRenderingEdges = 4,
    kRenderingEdgeColorMode = 5,
    kRenderingJitter = 6,
    kRenderingProfiles = 8,
    kRenderingProfileWidth = 9,
    kRenderingOverrideInstalled = 11,
    kRenderingBackground = 12,
    kRenderingForeground = 13,
    kRenderingColorByLayer = 16,
    kRenderingExtension = 17,
    kRenderingExtensionLength = 18,
    kRenderingFogDensity = 21,
    kRenderingSectionFlags = 23,
    kRenderingHiddenGeometry = 24,
    kRenderingTransparencyQuality = 26,
    kRenderingDepthCue = 27,
    kRenderingEndpoints = 28,
    kRenderingDepthCueWidth = 29,
    kRenderingEndpointLength = 30,
    kRenderingAltEdgeEffect = 31
};

class CRenderingOptions : public CEntity
{
    DECLARE_SERIAL(CRenderingOptions)

public:
    // The transient switches the drawing code keeps here; never stored.
    enum DisplayByte : int
    {
        kBlendingOff = 0,
        kSmoothEdges = 1,
        kBlendingAllowed = 2,
        kHideAnnotations = 3,
        kHideConstructionGeometry = 4,
        kComponentEditDisplay = 5,
        kToolFeedback = 6,
        kDisplayByteCount = 10
    };

    // Bits of the section flags.
    static constexpr int kSectionPlanesShown = 1;
    static constexpr int kSectionCutsShown = 2;

    // The settings that are stored, swapped by undo and copied with the object.
    struct Stored
    {
        int renderMode = 3;
        bool transparentDisplay = false;
        bool enableTransparency = false;
        bool displayTextures = true;
        int edges = 1;
        bool colorByLayer = false;
        int edgeColorMode = 1;
        int reservedMode = 0;
        bool displayShadows = false;
        bool instanceAxes = false;
        bool showHiddenGeometry = false;
        bool jitterEdges = false;
        bool extendEdges = false;
        int extensionLength = 8;
        bool profiles = true;
        int profileWidth = 3;
        bool depthCue = false;
        int depthCueWidth = 4;
        bool endpoints = false;
        int endpointLength = 5;
        bool altEdgeEffect = false;
        CColor backgroundColor;
        CColor foregroundColor;
        CColor selectionColor{255, 255, 0, 255};
        CColor secondSelectionColor{255, 0, 0, 255};
        CColor constructionColor{128, 128, 128, 255};
        CColor backFaceColor{128, 128, 200, 255};
        CColor frontFaceColor{225, 225, 200, 255};
        bool fogOn = false;
        bool fogSecondPassOnly = false;
        int fogMode = 2;
        double fogDensity = 0.0001;
        CColor fogColor;
        int fogUsesBackground = 1;
        int fogNear = 0;
        int fogFar = 100;
        int fogAmountNear = 0;
        int fogAmountFar = 100;
        CColor skyColor{0.55, 0.65, 1.0, 1.0};
        CColor horizonColor;
        CColor groundColor{0.25, 0.58, 0.25, 1.0};
        bool displaySky = false;
        bool displayGround = false;
        bool showGroundFromBelow = true;
        int groundTransparency = 50;
        double restOfModelWeight = 0.75;
        double otherInstancesWeight = 0.5;
        bool hideRestOfModel = false;
        bool hideOtherInstances = false;
        CColor activeSectionColor{102, 110, 141, 255};
        CColor sectionPlaneColor{192, 192, 192, 255};
        CColor sectionCutColor{255, 0, 0, 255};
        int sectionCutWidth = 4;
        int sectionFlags = kSectionPlanesShown | kSectionCutsShown;
        int transparencyQuality = 0;
        bool hideSoftEdges = true;
        double softEdgeAngle = 0.34906585039886595;  // 20 degrees
        bool averageNormals = true;
    };

    // Every setting at its default; no model.
    CRenderingOptions();
    // Copies the settings, the pass words and the first eight display bytes; no model
    // and no notification.
    CRenderingOptions(const CRenderingOptions& other);
    // Copies as the copy constructor does. With a model, posts id 2 when a transparency
    // flag changed, then id 0.
    CRenderingOptions& operator=(const CRenderingOptions& other);
    ~CRenderingOptions() override;

    // Written at class version 28, 25 or 22 by save format. Reading applies the repairs
    // of CheckValidity to the stored modes, weights, quality and angle, logging each as
    // repair mode does, and returns line widths and lengths outside 0..100 to their
    // defaults. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges the stored settings; the other entity must be rendering options.
    void SwapData(CEntity& other) override;
    [[nodiscard]] CTarnwickModel* GetModel() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Back to the defaults, without notification; the model pointer stays.
    void Reset();
    void SetModel(CTarnwickModel* model) { m_model = model; }
    // Posts "Rendering Options Change" with the id.
    void PostChange(std::int32_t id);

    // Setters: each stores and posts its id.
    void SetRenderMode(int mode);
    void SetTransparentDisplay(bool on);
    void SetEnableTransparency(bool on);
    void SetDisplayTextures(bool on);
    void SetDisplayEdges(int edges);
    void SetColorByLayer(bool on);
    void SetEdgeColorMode(int mode);
    void SetShowHiddenGeometry(bool on);
    void SetJitterEdges(bool on);
    void SetExtendEdges(bool on);
    void SetExtendLength(int pixels);
    void SetDrawProfiles(bool on);
    void SetProfileWidth(int width);
    void SetDepthCue(bool on);
    void SetDepthCueWidth(int width);
    void SetDrawEndpoints(bool on);
    void SetEndpointLength(int pixels);
    void SetAltEdgeEffect(bool on);
    void SetBackgroundColor(const CColor& color);
    void SetForegroundColor(const CColor& color);
    // Only 0 < density < 0.1; other values change nothing and post nothing.
    void SetFogDensity(double density);
    // Flips the section flags given in mask (bits 1 and 2).
    void ToggleSectionDisplay(int mask);
    void SetTransparencyQuality(int quality);

    // Set without notification: the model mirrors the shadow switch here before it
    // stores; the menus toggle the smoothing switches directly.
    void SetDisplayShadowsMirror(bool on) { m_s.displayShadows = on; }
    void SetInstanceAxes(bool on) { m_s.instanceAxes = on; }
    void SetHideSoftEdges(bool on) { m_s.hideSoftEdges = on; }
    void SetAverageNormals(bool on) { m_s.averageNormals = on; }
    void SetDisplaySky(bool on) { m_s.displaySky = on; }
    void SetDisplayGround(bool on) { m_s.displayGround = on; }
    void SetHideRestOfModel(bool on) { m_s.hideRestOfModel = on; }
    // Set without notification: a page transition blends them frame by frame.
    void SetSkyColor(const CColor& color) { m_s.skyColor = color; }
    void SetHorizonColor(const CColor& color) { m_s.horizonColor = color; }
    void SetGroundColor(const CColor& color) { m_s.groundColor = color; }
    void SetGroundTransparency(int percent) { m_s.groundTransparency = percent; }
    void SetFogDistances(int nearPercent, int farPercent)
    {
        m_s.fogNear = nearPercent;
        m_s.fogFar = farPercent;
    }
    void SetFogAmounts(int nearPercent, int farPercent)
    {
        m_s.fogAmountNear = nearPercent;
        m_s.fogAmountFar = farPercent;
    }
    [[nodiscard]] bool GetDisplayByte(DisplayByte index) const { return m_displayBytes[index]; }
    // Every stored setting at once, for whoever keeps a drawing made under them.
    [[nodiscard]] const Stored& GetStored() const { return m_s; }
    void SetDisplayByte(DisplayByte index, bool on) { m_displayBytes[index] = on; }
    // Written by the view around a frame: 1, 2, 3 for the transparency passes and 1, 2
    // for the shadow passes, 0 outside them.
    [[nodiscard]] int GetTransparencyPass() const { return m_transparencyPass; }
    [[nodiscard]] int GetShadowPass() const { return m_shadowPass; }
    void SetTransparencyPass(int pass) { m_transparencyPass = pass; }
    void SetShadowPass(int pass) { m_shadowPass = pass; }

    [[nodiscard]] int GetRenderMode() const { return m_s.renderMode; }
    [[nodiscard]] bool IsTransparentDisplay() const { return m_s.transparentDisplay; }
    [[nodiscard]] bool IsEnableTransparency() const { return m_s.enableTransparency; }
    [[nodiscard]] bool IsDisplayTextures() const { return m_s.displayTextures; }
    [[nodiscard]] int GetDisplayEdges() const { return m_s.edges; }
    [[nodiscard]] bool IsColorByLayer() const { return m_s.colorByLayer; }
    [[nodiscard]] int GetEdgeColorMode() const { return m_s.edgeColorMode; }
    [[nodiscard]] int GetReservedMode() const { return m_s.reservedMode; }
    [[nodiscard]] bool IsDisplayShadowsMirror() const { return m_s.displayShadows; }
    [[nodiscard]] bool IsInstanceAxes() const { return m_s.instanceAxes; }
    [[nodiscard]] bool IsShowHiddenGeometry() const { return m_s.showHiddenGeometry; }
    [[nodiscard]] bool IsJitterEdges() const { return m_s.jitterEdges; }
    [[nodiscard]] bool IsExtendEdges() const { return m_s.extendEdges; }
    [[nodiscard]] int GetExtendLength() const { return m_s.extensionLength; }
    [[nodiscard]] bool IsDrawProfiles() const { return m_s.profiles; }
    [[nodiscard]] int GetProfileWidth() const { return m_s.profileWidth; }
    [[nodiscard]] bool IsDepthCue() const { return m_s.depthCue; }
    [[nodiscard]] int GetDepthCueWidth() const { return m_s.depthCueWidth; }
    [[nodiscard]] bool IsDrawEndpoints() const { return m_s.endpoints; }
    [[nodiscard]] int GetEndpointLength() const { return m_s.endpointLength; }
    [[nodiscard]] bool IsAltEdgeEffect() const { return m_s.altEdgeEffect; }
    // The stored colours; unset is the zero colour.
    [[nodiscard]] const CColor& GetStoredBackgroundColor() const { return m_s.backgroundColor; }
    [[nodiscard]] const CColor& GetStoredForegroundColor() const { return m_s.foregroundColor; }
    [[nodiscard]] const CColor& GetSelectionColor() const { return m_s.selectionColor; }
    [[nodiscard]] const CColor& GetSecondSelectionColor() const { return m_s.secondSelectionColor; }
    [[nodiscard]] const CColor& GetConstructionColor() const { return m_s.constructionColor; }
    [[nodiscard]] const CColor& GetBackFaceColor() const { return m_s.backFaceColor; }
    [[nodiscard]] const CColor& GetFrontFaceColor() const { return m_s.frontFaceColor; }
    [[nodiscard]] bool IsFogOn() const { return m_s.fogOn; }
    [[nodiscard]] bool IsFogOnSecondPassOnly() const { return m_s.fogSecondPassOnly; }
    [[nodiscard]] int GetFogMode() const { return m_s.fogMode; }
    [[nodiscard]] double GetFogDensity() const { return m_s.fogDensity; }
    [[nodiscard]] const CColor& GetFogColor() const { return m_s.fogColor; }
    [[nodiscard]] bool IsFogUsingBackground() const { return m_s.fogUsesBackground != 0; }
    [[nodiscard]] int GetFogNearPercent() const { return m_s.fogNear; }
    [[nodiscard]] int GetFogFarPercent() const { return m_s.fogFar; }
    [[nodiscard]] int GetFogAmountNearPercent() const { return m_s.fogAmountNear; }
    [[nodiscard]] int GetFogAmountFarPercent() const { return m_s.fogAmountFar; }
    [[nodiscard]] const CColor& GetSkyColor() const { return m_s.skyColor; }
    [[nodiscard]] const CColor& GetHorizonColor() const { return m_s.horizonColor; }
    [[nodiscard]] const CColor& GetGroundColor() const { return m_s.groundColor; }
    [[nodiscard]] bool IsDisplaySky() const { return m_s.displaySky; }
    [[nodiscard]] bool IsDisplayGround() const { return m_s.displayGround; }
    [[nodiscard]] bool IsShowGroundFromBelow() const { return m_s.showGroundFromBelow; }
    [[nodiscard]] int GetGroundTransparency() const { return m_s.groundTransparency; }
    [[nodiscard]] double GetRestOfModelWeight() const { return m_s.restOfModelWeight; }
    [[nodiscard]] double GetOtherInstancesWeight() const { return m_s.otherInstancesWeight; }
    [[nodiscard]] bool IsHideRestOfModel() const { return m_s.hideRestOfModel; }
    [[nodiscard]] bool IsHideOtherInstances() const { return m_s.hideOtherInstances; }
    [[nodiscard]] const CColor& GetActiveSectionColor() const { return m_s.activeSectionColor; }
    [[nodiscard]] const CColor& GetSectionPlaneColor() const { return m_s.sectionPlaneColor; }
    [[nodiscard]] const CColor& GetSectionCutColor() const { return m_s.sectionCutColor; }
    [[nodiscard]] int GetSectionCutWidth() const { return m_s.sectionCutWidth; }
    [[nodiscard]] int GetSectionFlags() const { return m_s.sectionFlags; }
    [[nodiscard]] int GetTransparencyQuality() const { return m_s.transparencyQuality; }
    [[nodiscard]] bool IsHideSoftEdges() const { return m_s.hideSoftEdges; }
    [[nodiscard]] double GetSoftEdgeAngle() const { return m_s.softEdgeAngle; }
    [[nodiscard]] bool IsAverageNormals() const { return m_s.averageNormals; }
    [[nodiscard]] const CColor& GetAspectBarColor() const { return m_aspectBarColor; }
    [[nodiscard]] const CColor& GetSectionFillColor() const { return m_sectionFillColor; }
    [[nodiscard]] int GetTranslucentFillStyle() const { return m_translucentFillStyle; }

    // With fall-backs for unset colours: the window colour, the window text colour, a
    // quarter sky colour and three quarters white.
    [[nodiscard]] CColor GetBackgroundColor() const;
    [[nodiscard]] CColor GetForegroundColor() const;
    [[nodiscard]] CColor GetTintedColor() const;
    // The fog colour when set, else the background colour.
    [[nodiscard]] CColor GetOverrideBackgroundColor() const;
    // Whether the view draws the ground: displayed, drawing mode 8, not more than 95%
    // transparent, and seen from above (eyeHeight at least 0) or shown from below.
    [[nodiscard]] bool IsGroundVisible(int drawMode, double eyeHeight) const;

private:
    void CopyFields(const CRenderingOptions& other);
    void Read(CArchive& ar);
    void ReadTransparency(CArchive& ar, int version);
    void ReadEdgeEffects(CArchive& ar, int version);
    void ReadSkyAndGround(CArchive& ar, int version);
    void ReadSectionAndQuality(CArchive& ar, int version);
    void RepairReadValues();
    void Write(CArchive& ar) const;
    template <typename T>
    void Set(T& field, T value, std::int32_t id);

    Stored m_s;
    CColor m_aspectBarColor;
    CColor m_sectionFillColor;
    int m_translucentFillStyle = 0;
    int m_transparencyPass = 0;
    int m_shadowPass = 0;
    CTarnwickModel* m_model = nullptr;
    std::array<bool, kDisplayByteCount> m_displayBytes{};
};

// The preference "UseNewComponentHighlight" of the section "Preferences" is 1 (the
// default); read once and kept.
[[nodiscard]] bool IsNewComponentHighlight();
// A colour preference stored as a window-system colour value.
[[nodiscard]] CColor GetPreferenceColor(const CString& section, const CString& key, const CColor& defaultColor);
