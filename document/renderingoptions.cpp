#include "document/renderingoptions.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>
#include <utility>

#include "document/settingsmessages.h"
#include "foundation/notificationcenter.h"
#include "platform/profile.h"
#include "platform/sysinfo.h"

IMPLEMENT_SERIAL(CRenderingOptions, CEntity, VERSIONABLE_SCHEMA | 28)

namespace {

// The assignment leaves the last two display bytes alone.
constexpr int kCopiedDisplayBytes = 8;
constexpr std::array<bool, CRenderingOptions::kDisplayByteCount> kDefaultDisplayBytes = {
    false, false, true, false, false, true, true, false, true, true};
constexpr int kDefaultTranslucentFillStyle = 3;
constexpr int kGroundTransparencyLimit = 95;
constexpr int kGroundDrawMode = 8;
constexpr int kNotRead = -1;

constexpr double kMinWeight = -0.001;
constexpr double kMaxWeight = 1.001;
// Line widths and lengths in pixels beyond this are damage, not a choice.
constexpr int kMaxPixels = 100;

bool IsWeight(double weight)
{
    return std::isfinite(weight) && weight >= kMinWeight && weight <= kMaxWeight;
}

bool IsInRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

// One consistency rule: its message, whether the value is sound, and its repair.
struct CRenderingOptionsCheck
{
    int message;
    bool sound;
    std::function<void()> repair;
};

std::vector<CRenderingOptionsCheck> GetRenderingOptionsChecks(CRenderingOptions::Stored& s, int& fillStyle)
{
    return {
        {kMsgBadRenderMode, IsInRange(s.renderMode, 0, 5), [&s] { s.renderMode = 3; }},
        {kMsgBadEdges, IsInRange(s.edges, 0, 2), [&s] { s.edges = 1; }},
        {kMsgBadEdgeColorMode, IsInRange(s.edgeColorMode, 0, 2), [&s] { s.edgeColorMode = 1; }},
        {kMsgBadReservedMode, IsInRange(s.reservedMode, 0, 1), [&s] { s.reservedMode = 0; }},
        {kMsgBadFogMode, IsInRange(s.fogMode, 0, 2), [&s] { s.fogMode = 2; }},
        {kMsgBadFogDensity, std::isfinite(s.fogDensity), [&s] { s.fogDensity = 0.0; }},
        {kMsgBadRestOfModelWeight, IsWeight(s.restOfModelWeight), [&s] { s.restOfModelWeight = 0.0; }},
        {kMsgBadOtherInstancesWeight, IsWeight(s.otherInstancesWeight), [&s] { s.otherInstancesWeight = 0.0; }},
        {kMsgBadTransparencyQuality, IsInRange(s.transparencyQuality, 0, 2), [&s] { s.transparencyQuality = 0; }},
        {kMsgBadSoftEdgeAngle, std::isfinite(s.softEdgeAngle), [&s] { s.softEdgeAngle = 0.0; }},
        {kMsgBadTranslucentFill, IsInRange(fillStyle, 0, 3), [&fillStyle] { fillStyle = 1; }},
    };
}

void FixPixels(int& value, int fallback)
{
    if (!IsInRange(value, 0, kMaxPixels)) {
        value = fallback;
    }
}

CColor SystemColor(int index)
{
    CColor color;
    color.SetFromCOLORREF(GetSysColor(index));
    return color;
}

}  // namespace

CRenderingOptions::CRenderingOptions()
{
    Reset();
}

CRenderingOptions::CRenderingOptions(const CRenderingOptions& other) : CEntity(other)
{
    Reset();
    CopyFields(other);
}

CRenderingOptions& CRenderingOptions::operator=(const CRenderingOptions& other)
{
    if (this == &other) {
        return *this;
    }
    const bool transparencyChanged = m_s.transparentDisplay != other.m_s.transparentDisplay ||
                                     m_s.enableTransparency != other.m_s.enableTransparency;
    CopyFields(other);
    if (m_model != nullptr) {
        if (transparencyChanged) {
            PostChange(kRenderingTransparency);
        }
        PostChange(kRenderingAssigned);
    }
    return *this;
}

CRenderingOptions::~CRenderingOptions() = default;

void CRenderingOptions::CopyFields(const CRenderingOptions& other)
{
    m_s = other.m_s;
    m_transparencyPass = other.m_transparencyPass;
    m_shadowPass = other.m_shadowPass;
    std::copy_n(other.m_displayBytes.begin(), kCopiedDisplayBytes, m_displayBytes.begin());
}

void CRenderingOptions::Reset()
{
    m_s = Stored();
    m_aspectBarColor = CColor(0.0, 0.0, 0.0, 0.5);
    m_sectionFillColor = CColor(0.8, 0.8, 0.8, 0.2);
    m_translucentFillStyle = kDefaultTranslucentFillStyle;
    m_transparencyPass = 0;
    m_shadowPass = 0;
    m_displayBytes = kDefaultDisplayBytes;
}

CEntity* CRenderingOptions::Clone() const
{
    return new CRenderingOptions(*this);
}

void CRenderingOptions::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    std::swap(m_s, dynamic_cast<CRenderingOptions&>(other).m_s);
}

CTarnwickModel* CRenderingOptions::GetModel() const
{
    return m_model != nullptr ? m_model : CEntity::GetModel();
}

int CRenderingOptions::GetTypeId() const
{
    return kTypeRenderingOptions;
}

void CRenderingOptions::PostChange(std::int32_t id)
{
    CRenderingOptionsChange data{id, this};
    GetNotificationCenter().Post(kRenderingOptionsChangeNotification, &data);
}

template <typename T>
void CRenderingOptions::Set(T& field, T value, std::int32_t id)
{
    field = value;
    PostChange(id);
}

void CRenderingOptions::SetRenderMode(int mode)
{
    Set(m_s.renderMode, mode, kRenderingRenderMode);
}

void CRenderingOptions::SetTransparentDisplay(bool on)
{
    Set(m_s.transparentDisplay, on, kRenderingTransparency);
}

void CRenderingOptions::SetEnableTransparency(bool on)
{
    Set(m_s.enableTransparency, on, kRenderingTransparency);
}

void CRenderingOptions::SetDisplayTextures(bool on)
{
    Set(m_s.displayTextures, on, kRenderingTextures);
}

void CRenderingOptions::SetDisplayEdges(int edges)
{
    Set(m_s.edges, edges, kRenderingEdges);
}

void CRenderingOptions::SetColorByLayer(bool on)
{
    Set(m_s.colorByLayer, on, kRenderingColorByLayer);
}

void CRenderingOptions::SetEdgeColorMode(int mode)
{
    Set(m_s.edgeColorMode, mode, kRenderingEdgeColorMode);
}

void CRenderingOptions::SetShowHiddenGeometry(bool on)
{
    Set(m_s.showHiddenGeometry, on, kRenderingHiddenGeometry);
}

void CRenderingOptions::SetJitterEdges(bool on)
{
    Set(m_s.jitterEdges, on, kRenderingJitter);
}

void CRenderingOptions::SetExtendEdges(bool on)
{
    Set(m_s.extendEdges, on, kRenderingExtension);
}

void CRenderingOptions::SetExtendLength(int pixels)
{
    Set(m_s.extensionLength, pixels, kRenderingExtensionLength);
}

void CRenderingOptions::SetDrawProfiles(bool on)
{
    Set(m_s.profiles, on, kRenderingProfiles);
}

void CRenderingOptions::SetProfileWidth(int width)
{
    Set(m_s.profileWidth, width, kRenderingProfileWidth);
}

void CRenderingOptions::SetDepthCue(bool on)
{
    Set(m_s.depthCue, on, kRenderingDepthCue);
}

void CRenderingOptions::SetDepthCueWidth(int width)
{
    Set(m_s.depthCueWidth, width, kRenderingDepthCueWidth);
}

void CRenderingOptions::SetDrawEndpoints(bool on)
{
    Set(m_s.endpoints, on, kRenderingEndpoints);
}

void CRenderingOptions::SetEndpointLength(int pixels)
{
    Set(m_s.endpointLength, pixels, kRenderingEndpointLength);
}

void CRenderingOptions::SetAltEdgeEffect(bool on)
{
    Set(m_s.altEdgeEffect, on, kRenderingAltEdgeEffect);
}

void CRenderingOptions::SetBackgroundColor(const CColor& color)
{
    Set(m_s.backgroundColor, color, kRenderingBackground);
}

void CRenderingOptions::SetForegroundColor(const CColor& color)
{
    Set(m_s.foregroundColor, color, kRenderingForeground);
}

void CRenderingOptions::SetFogDensity(double density)
{
    if (density > 0.0 && density < 0.1) {
        Set(m_s.fogDensity, density, kRenderingFogDensity);
    }
}

void CRenderingOptions::ToggleSectionDisplay(int mask)
{
    Set(m_s.sectionFlags, m_s.sectionFlags ^ (mask & (kSectionPlanesShown | kSectionCutsShown)),
        kRenderingSectionFlags);
}

void CRenderingOptions::SetTransparencyQuality(int quality)
{
    Set(m_s.transparencyQuality, quality, kRenderingTransparencyQuality);
}

CColor CRenderingOptions::GetBackgroundColor() const
{
    return m_s.backgroundColor.GetValue() != 0 ? m_s.backgroundColor : SystemColor(COLOR_WINDOW);
}

CColor CRenderingOptions::GetForegroundColor() const
{
    return m_s.foregroundColor.GetValue() != 0 ? m_s.foregroundColor : SystemColor(COLOR_WINDOWTEXT);
}

CColor CRenderingOptions::GetTintedColor() const
{
    if (m_s.horizonColor.GetValue() != 0) {
        return m_s.horizonColor;
    }
    CColor tinted;
    CColor::Interpolate(m_s.skyColor, CColor(255, 255, 255, 255), 0.25, tinted);
    return tinted;
}

CColor CRenderingOptions::GetOverrideBackgroundColor() const
{
    return m_s.fogColor.GetValue() != 0 ? m_s.fogColor : GetBackgroundColor();
}

bool CRenderingOptions::IsGroundVisible(int drawMode, double eyeHeight) const
{
    if (!m_s.displayGround || drawMode != kGroundDrawMode || m_s.groundTransparency > kGroundTransparencyLimit) {
        return false;
    }
    return eyeHeight >= 0.0 || m_s.showGroundFromBelow;
}

int CRenderingOptions::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CRenderingOptions), results, result)) {
        return result;
    }
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    int severity = kValiditySound;
    bool recorded = false;
    for (const CRenderingOptionsCheck& check : GetRenderingOptionsChecks(m_s, m_translucentFillStyle)) {
        if (check.sound) {
            continue;
        }
        AppendSettingsMessage(check.message, GetEntityLabel(this));
        if (!BeginRepair(mode)) {
            severity = kValidityRepairable;
            continue;
        }
        if (!recorded) {
            RecordChange(true);
            recorded = true;
        }
        check.repair();
    }
    return severity == kValiditySound ? kValiditySound : SetCheckResult(severity, results);
}

void CRenderingOptions::RepairReadValues()
{
    // Logged as the check logs a repair, so that what a file's settings lost can be told.
    for (const CRenderingOptionsCheck& check : GetRenderingOptionsChecks(m_s, m_translucentFillStyle)) {
        if (!check.sound) {
            AppendSettingsMessage(check.message, GetEntityLabel(this));
            (void)BeginRepair(kValidityModeRepair);
            check.repair();
        }
    }
    const Stored defaults;
    FixPixels(m_s.extensionLength, defaults.extensionLength);
    FixPixels(m_s.profileWidth, defaults.profileWidth);
    FixPixels(m_s.depthCueWidth, defaults.depthCueWidth);
    FixPixels(m_s.endpointLength, defaults.endpointLength);
    FixPixels(m_s.sectionCutWidth, defaults.sectionCutWidth);
}

bool IsNewComponentHighlight()
{
    static int cached = kNotRead;
    if (cached == kNotRead) {
        cached = GetProfileInt("Preferences", "UseNewComponentHighlight", 1);
    }
    return cached == 1;
}

CColor GetPreferenceColor(const CString& section, const CString& key, const CColor& defaultColor)
{
    const int value = GetProfileInt(section, key, static_cast<int>(defaultColor.GetRGB()));
    CColor color;
    color.SetFromCOLORREF(static_cast<std::uint32_t>(value));
    return color;
}
