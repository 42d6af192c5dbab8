#pragma once
// CShadowInfo: the shadow and sun settings of a model or a page — the place on Earth,
// the date and local clock time, the model's north, the shadow switches and
// intensities — and what follows from them: the direction towards the sun and the
// times of sunrise and sunset. Changes are announced with "ShadowNotification".
//
// The time is kept as the local clock reading of the place stored as if it were UTC;
// the zone and daylight saving turn it into true UTC where the sun is computed.

#include <cstdint>
#include <vector>

#include "document/utctime.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/entity.h"

class CShadowInfo;

// The data of "ShadowNotification": the code, then the settings that changed.
struct CShadowNotificationData
{
    std::int32_t code;
    CShadowInfo* shadow;
};

// Codes of "ShadowNotification".
enum ShadowNotificationCode : std::int32_t
{
    kShadowTimeChanged = 0,
    kShadowDisplayChanged = 1,
    kShadowSurfacesChanged = 2,
    kShadowIntensityChanged = 3,
    kShadowShadingChanged = 6,
    kShadowAssigned = 7
};

class CShadowInfo : public CEntity
{
    DECLARE_SERIAL(CShadowInfo)

public:
    static constexpr int kMaxIntensity = 100;

    // The defaults: Boulder (CO), USA, 13:30 on June 21 of this year (local clock),
    // with the sun, sunrise and sunset computed.
    CShadowInfo();
    // Copies every setting; the copy has no model, no display lists and no scratch data.
    CShadowInfo(const CShadowInfo& other);
    // The same, keeping this object's model; its display lists are released. No
    // notification.
    CShadowInfo& operator=(const CShadowInfo& other);
    ~CShadowInfo() override;

    // The record is written at class version 7 in every format. Reading a record of
    // version 6 or older moves the time from the writing machine's local clock by this
    // machine's zone (TZ honoured). A time outside the calendar range reads as the
    // default time, and intensities outside 0..100 leave the current ones. Throws the
    // archive exception on bad input.
    void Serialize(CArchive& ar) override;
    // Releases both display lists, then erases the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be shadow settings.
    void SwapData(CEntity& other) override;
    // The model the settings belong to when set, else the entity's.
    [[nodiscard]] CTarnwickModel* GetModel() const override;
    // Reports values that are not finite; repairs nothing.
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Back to the defaults (the model keeps its pointer).
    void Reset();
    void SetModel(CTarnwickModel* model) { m_model = model; }

    [[nodiscard]] const CUtcTime& GetDateTime() const { return m_time; }
    // Recomputes the sun, and sunrise and sunset when the day changed; posts code 0.
    // Nothing when the time is the same.
    void SetDateTime(const CUtcTime& time);
    [[nodiscard]] const CUtcTime& GetSunrise() const { return m_sunrise; }
    [[nodiscard]] const CUtcTime& GetSunset() const { return m_sunset; }
    [[nodiscard]] const CVector3d& GetSunDirection() const { return m_sunDirection; }

    [[nodiscard]] bool IsDaylightSaving() const { return m_daylightSaving; }
    [[nodiscard]] const CString& GetCity() const { return m_city; }
    [[nodiscard]] const CString& GetCountry() const { return m_country; }
    [[nodiscard]] double GetLongitude() const { return m_longitude; }
    [[nodiscard]] double GetLatitude() const { return m_latitude; }
    [[nodiscard]] double GetTimeZone() const { return m_timeZone; }
    [[nodiscard]] const CVector3d& GetNorth() const { return m_north; }

    [[nodiscard]] bool IsDisplayShadows() const { return m_displayShadows; }
    [[nodiscard]] bool GetSecondDisplaySwitch() const { return m_secondDisplay; }
    [[nodiscard]] bool IsOnFaces() const { return m_onFaces; }
    [[nodiscard]] bool IsOnGround() const { return m_onGround; }
    [[nodiscard]] bool IsFromEdges() const { return m_fromEdges; }
    [[nodiscard]] int GetLightIntensity() const { return m_lightIntensity; }
    [[nodiscard]] int GetDarkIntensity() const { return m_darkIntensity; }
    [[nodiscard]] bool IsUseSunForShading() const { return m_useSunForShading; }

    // Each posts its code only when the value changes.
    void SetDisplayShadows(bool on);
    void SetOnFaces(bool on);
    void SetOnGround(bool on);
    // Also releases both display lists.
    void SetFromEdges(bool on);
    // Values outside 0..100 are ignored.
    void SetLightIntensity(int intensity);
    void SetDarkIntensity(int intensity);
    void SetSecondDisplaySwitch(bool on);
    // Stores and posts code 6 always.
    void SetUseSunForShading(bool on);
    // Without notification: the model uses it after reading, the display override around
    // printing.
    void SetDisplayShadowsQuiet(bool on) { m_displayShadows = on; }

    // The display lists the view caches here; 0 is none.
    [[nodiscard]] unsigned GetDisplayList() const { return m_displayList; }
    [[nodiscard]] unsigned GetSecondDisplayList() const { return m_secondDisplayList; }
    void SetDisplayList(unsigned list) { m_displayList = list; }
    void SetSecondDisplayList(unsigned list) { m_secondDisplayList = list; }
    // Hand the list to the display-list releaser (when one is installed) and clear it.
    void DeleteDisplayList();
    void DeleteSecondDisplayList();
    // Working segments of the shadow drawing, two points each; never stored or copied.
    [[nodiscard]] std::vector<CPoint3d>& GetScratchList() { return m_scratch; }

    // The sun direction for the stored place and time; releases both display lists.
    void UpdateSunDirection();
    void UpdateSunriseSunset();

    // The view installs the function that frees its display lists; null frees nothing.
    // Called on the UI thread, where the view's drawing context is current.
    using DisplayListReleaser = void (*)(unsigned list);
    static void SetDisplayListReleaser(DisplayListReleaser releaser);

private:
    void CopySettings(const CShadowInfo& other);
    void Read(CArchive& ar);
    void ReadSwitches(CArchive& ar, int version);
    void Write(CArchive& ar) const;
    void Post(std::int32_t code);
    // Seconds from the stored clock time to true UTC.
    [[nodiscard]] std::int64_t GetUtcOffsetSeconds() const;
    [[nodiscard]] CUtcTime FindSunEvent(bool (*finder)(double, double, double, CUtcTime&)) const;

    CVector3d m_sunDirection{0.0, 0.0, 1.0};
    CUtcTime m_sunrise;
    CUtcTime m_sunset;
    CUtcTime m_time;
    bool m_daylightSaving = false;
    CString m_city;
    CString m_country;
    double m_longitude = 0.0;
    double m_latitude = 0.0;
    double m_timeZone = 0.0;
    CVector3d m_north{0.0, 1.0, 0.0};
    bool m_displayShadows = false;
    bool m_secondDisplay = false;
    bool m_onFaces = true;
    bool m_onGround = true;
    bool m_fromEdges = false;
    int m_lightIntensity = 80;
    int m_darkIntensity = 20;
    bool m_useSunForShading = false;
    CTarnwickModel* m_model = nullptr;
    unsigned m_displayList = 0;
    unsigned m_secondDisplayList = 0;
    std::vector<CPoint3d> m_scratch;
};

// Posts "ShadowNotification" with the code and the settings.
void PostShadowNotification(std::int32_t code, CShadowInfo* shadow);
// The default time: 13:30:00 on June 21 of the local clock's current year.
[[nodiscard]] CUtcTime GetDefaultShadowTime();
