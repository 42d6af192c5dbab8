#include "document/shadowinfo.h"

#include <cmath>
#include <ctime>
#include <utility>

#include "document/settingsmessages.h"
#include "document/sunpositionfinder.h"
#include "document/versionmap.h"
#include "foundation/geometryarchive.h"
#include "foundation/notificationcenter.h"
#include "platform/archive.h"
#include "platform/systime.h"

IMPLEMENT_SERIAL(CShadowInfo, CEntity, VERSIONABLE_SCHEMA | 7)

namespace {

const CString kDefaultCity = "Boulder (CO)";
const CString kDefaultCountry = "USA";
constexpr double kDefaultLongitude = -105.283;
constexpr double kDefaultLatitude = 40.017;
constexpr double kDefaultTimeZone = -7.0;
constexpr int kDefaultLightIntensity = 80;
constexpr int kDefaultDarkIntensity = 20;
constexpr std::size_t kScratchReserve = 100;
constexpr std::int64_t kSecondsPerDay = 86400;

CShadowInfo::DisplayListReleaser g_releaser = nullptr;

bool IsIntensity(std::int32_t value)
{
    return value >= 0 && value <= CShadowInfo::kMaxIntensity;
}

// Whole minutes of an hour count, as a C cast of the product would give them.
std::int64_t ZoneMinutes(double hours, double factor)
{
    return TruncateToInt64(hours * factor);
}

}  // namespace

CUtcTime GetDefaultShadowTime()
{
    std::tm local{};
    if (!LocalTime64(_time64(nullptr), local)) {
        (void)LocalTime64(0, local);
    }
    return {local.tm_year + 1900, 6, 21, 13, 30, 0};
}

void PostShadowNotification(std::int32_t code, CShadowInfo* shadow)
{
    CShadowNotificationData data{code, shadow};
    GetNotificationCenter().Post(kShadowNotification, &data);
}

void CShadowInfo::SetDisplayListReleaser(DisplayListReleaser releaser)
{
    g_releaser = releaser;
}

CShadowInfo::CShadowInfo()
{
    Reset();
}

CShadowInfo::CShadowInfo(const CShadowInfo& other) : CEntity(other)
{
    CopySettings(other);
}

CShadowInfo& CShadowInfo::operator=(const CShadowInfo& other)
{
    if (this != &other) {
        DeleteDisplayList();
        DeleteSecondDisplayList();
        CopySettings(other);
    }
    return *this;
}

CShadowInfo::~CShadowInfo() = default;

void CShadowInfo::CopySettings(const CShadowInfo& other)
{
    m_sunDirection = other.m_sunDirection;
    m_sunrise = other.m_sunrise;
    m_sunset = other.m_sunset;
    m_time = other.m_time;
    m_daylightSaving = other.m_daylightSaving;
    m_city = other.m_city;
    m_country = other.m_country;
    m_longitude = other.m_longitude;
    m_latitude = other.m_latitude;
    m_timeZone = other.m_timeZone;
    m_north = other.m_north;
    m_displayShadows = other.m_displayShadows;
    m_secondDisplay = other.m_secondDisplay;
    m_onFaces = other.m_onFaces;
    m_onGround = other.m_onGround;
    m_fromEdges = other.m_fromEdges;
    m_lightIntensity = other.m_lightIntensity;
    m_darkIntensity = other.m_darkIntensity;
    m_useSunForShading = other.m_useSunForShading;
}

void CShadowInfo::Reset()
{
    m_sunDirection = CVector3d(0.0, 0.0, 1.0);
    m_time = GetDefaultShadowTime();
    m_daylightSaving = false;
    m_city = kDefaultCity;
    m_country = kDefaultCountry;
    m_longitude = kDefaultLongitude;
    m_latitude = kDefaultLatitude;
    m_timeZone = kDefaultTimeZone;
    m_north = CVector3d(0.0, 1.0, 0.0);
    m_displayShadows = false;
    m_secondDisplay = false;
    m_onFaces = true;
    m_onGround = true;
    m_fromEdges = false;
    m_lightIntensity = kDefaultLightIntensity;
    m_darkIntensity = kDefaultDarkIntensity;
    m_useSunForShading = false;
    m_scratch.clear();
    m_scratch.reserve(kScratchReserve);
    UpdateSunDirection();
    UpdateSunriseSunset();
}

CEntity* CShadowInfo::Clone() const
{
    return new CShadowInfo(*this);
}

void CShadowInfo::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& shadow = dynamic_cast<CShadowInfo&>(other);
    CShadowInfo saved(*this);
    CopySettings(shadow);
    shadow.CopySettings(saved);
    DeleteDisplayList();
    DeleteSecondDisplayList();
    shadow.DeleteDisplayList();
    shadow.DeleteSecondDisplayList();
}

CTarnwickModel* CShadowInfo::GetModel() const
{
    return m_model != nullptr ? m_model : CEntity::GetModel();
}

int CShadowInfo::GetTypeId() const
{
    return kTypeShadowInfo;
}

void CShadowInfo::Erase()
{
    DeleteDisplayList();
    DeleteSecondDisplayList();
    CEntity::Erase();
}

void CShadowInfo::DeleteDisplayList()
{
    if (m_displayList != 0) {
        if (g_releaser != nullptr) {
            g_releaser(m_displayList);
        }
        m_displayList = 0;
    }
}

void CShadowInfo::DeleteSecondDisplayList()
{
    if (m_secondDisplayList != 0) {
        if (g_releaser != nullptr) {
            g_releaser(m_secondDisplayList);
        }
        m_secondDisplayList = 0;
    }
}

void CShadowInfo::Post(std::int32_t code)
{
    PostShadowNotification(code, this);
}

void CShadowInfo::SetDateTime(const CUtcTime& time)
{
    if (time == m_time) {
        return;
    }
    const bool sameDay = time.GetYear() == m_time.GetYear() && time.GetMonth() == m_time.GetMonth() &&
                         time.GetDay() == m_time.GetDay();
    m_time = time;
    UpdateSunDirection();
    if (!sameDay) {
        UpdateSunriseSunset();
    }
    Post(kShadowTimeChanged);
}

void CShadowInfo::SetDisplayShadows(bool on)
{
    if (on != m_displayShadows) {
        m_displayShadows = on;
        Post(kShadowDisplayChanged);
    }
}

void CShadowInfo::SetOnFaces(bool on)
{
    if (on != m_onFaces) {
        m_onFaces = on;
        Post(kShadowSurfacesChanged);
    }
}

void CShadowInfo::SetOnGround(bool on)
{
    if (on != m_onGround) {
        m_onGround = on;
        Post(kShadowSurfacesChanged);
    }
}

void CShadowInfo::SetFromEdges(bool on)
{
    if (on != m_fromEdges) {
        m_fromEdges = on;
        DeleteDisplayList();
        DeleteSecondDisplayList();
        Post(kShadowSurfacesChanged);
    }
}

void CShadowInfo::SetLightIntensity(int intensity)
{
    if (IsIntensity(intensity) && intensity != m_lightIntensity) {
        m_lightIntensity = intensity;
        Post(kShadowIntensityChanged);
    }
}

void CShadowInfo::SetDarkIntensity(int intensity)
{
    if (IsIntensity(intensity) && intensity != m_darkIntensity) {
        m_darkIntensity = intensity;
        Post(kShadowIntensityChanged);
    }
}

void CShadowInfo::SetSecondDisplaySwitch(bool on)
{
    if (on != m_secondDisplay) {
        m_secondDisplay = on;
        Post(kShadowShadingChanged);
    }
}

void CShadowInfo::SetUseSunForShading(bool on)
{
    m_useSunForShading = on;
    Post(kShadowShadingChanged);
}

std::int64_t CShadowInfo::GetUtcOffsetSeconds() const
{
    std::int64_t minutes = ZoneMinutes(m_timeZone, -60.0);
    if (m_daylightSaving) {
        minutes -= 60;
    }
    return minutes * 60;
}

void CShadowInfo::UpdateSunDirection()
{
    ComputeSunDirection(m_longitude, m_latitude, m_time + GetUtcOffsetSeconds(), m_north, m_sunDirection);
    DeleteDisplayList();
    DeleteSecondDisplayList();
}

CUtcTime CShadowInfo::FindSunEvent(bool (*finder)(double, double, double, CUtcTime&)) const
{
    CUtcTime found = m_time + GetUtcOffsetSeconds();
    if (!finder(m_longitude, m_latitude, m_timeZone, found)) {
        return m_time.GetStartOfDay();
    }
    std::int64_t backMinutes = ZoneMinutes(m_timeZone, 60.0);
    if (m_daylightSaving) {
        backMinutes += 60;
    }
    CUtcTime result = found + backMinutes * 60;
    // The zone can carry the moment into a neighbouring day, also across a new year.
    return result + (m_time.GetDayNumber() - result.GetDayNumber()) * kSecondsPerDay;
}

void CShadowInfo::UpdateSunriseSunset()
{
    m_sunrise = FindSunEvent(&FindSunrise);
    m_sunset = FindSunEvent(&FindSunset);
}

void CShadowInfo::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        Read(ar);
    } else {
        Write(ar);
    }
}

void CShadowInfo::Read(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CShadowInfo));
    LONGLONG time = 0;
    ar >> time;
    m_daylightSaving = ArchiveReadBool(ar);
    m_city = ArchiveReadString(ar);
    m_country = ArchiveReadString(ar);
    if (version >= 1) {
        ar >> Finite(m_longitude) >> Finite(m_latitude) >> Finite(m_timeZone);
    }
    if (version >= 2) {
        ar >> m_north;
        m_secondDisplay = ArchiveReadBool(ar);
    }
    ReadSwitches(ar, version);
    m_time = CUtcTime(time);
    if (!m_time.IsInCalendarRange()) {
        m_time = GetDefaultShadowTime();
    } else if (version <= 6) {
        // Older programs stored the writing machine's local clock; the zone of this
        // machine is the best guess of that machine's.
        std::int64_t minutes = (GetTimeZoneSeconds() / -3600) * 60;
        if (GetDaylight() != 0) {
            minutes += 60;
        }
        m_time = m_time + minutes * 60;
    }
    if (version >= 1) {
        UpdateSunDirection();
    }
    UpdateSunriseSunset();
}

void CShadowInfo::ReadSwitches(CArchive& ar, int version)
{
    if (version == 3) {
        (void)ArchiveReadBool(ar);
        return;
    }
    if (version < 5) {
        return;
    }
    m_onFaces = ArchiveReadBool(ar);
    m_onGround = ArchiveReadBool(ar);
    m_fromEdges = ArchiveReadBool(ar);
    std::int32_t light = 0;
    std::int32_t dark = 0;
    ar >> light >> dark;
    if (IsIntensity(light)) {
        m_lightIntensity = light;
    }
    if (IsIntensity(dark)) {
        m_darkIntensity = dark;
    }
    if (version >= 6) {
        m_useSunForShading = ArchiveReadBool(ar);
    }
}

void CShadowInfo::Write(CArchive& ar) const
{
    ar << static_cast<LONGLONG>(m_time.GetTime());
    ArchiveWriteBool(ar, m_daylightSaving);
    ArchiveWriteString(ar, m_city);
    ArchiveWriteString(ar, m_country);
    ar << m_longitude << m_latitude << m_timeZone << m_north;
    ArchiveWriteBool(ar, m_secondDisplay);
    ArchiveWriteBool(ar, m_onFaces);
    ArchiveWriteBool(ar, m_onGround);
    ArchiveWriteBool(ar, m_fromEdges);
    ar << static_cast<std::int32_t>(m_lightIntensity) << static_cast<std::int32_t>(m_darkIntensity);
    ArchiveWriteBool(ar, m_useSunForShading);
}

int CShadowInfo::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CShadowInfo), results, result)) {
        return result;
    }
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound || mode == kValidityModeIgnoreStaleIds) {
        return base == kValiditySound ? base : SetCheckResult(base, results);
    }
    int message = 0;
    if (!m_sunDirection.IsValid()) {
        message = kMsgBadSunDirection;
    } else if (!std::isfinite(m_longitude) || !std::isfinite(m_latitude) || !std::isfinite(m_timeZone)) {
        message = kMsgBadPlace;
    } else if (!m_north.IsValid()) {
        message = kMsgBadNorth;
    } else if (!std::isfinite(kDefaultLongitude) || !std::isfinite(kDefaultLatitude) ||
               !std::isfinite(kDefaultTimeZone)) {
        message = kMsgBadDefaultPlace;
    }
    if (message == 0) {
        return kValiditySound;
    }
    AppendSettingsMessage(message, GetEntityLabel(this));
    return SetCheckResult(kValidityStale, results);
}
