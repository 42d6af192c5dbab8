#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "document/classregistration.h"
#include "document/shadowinfo.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"
#include "tests/document/settingstestsupport.h"

using settingstest::Bytes;
using settingstest::Recorder;
using settingstest::RecordBuilder;
using settingstest::Store;
using settingstest::TimeZoneScope;

namespace {

struct Place
{
    double longitude = -105.283;
    double latitude = 40.017;
    double zone = -7.0;
    double northX = 0.0;
};

// A record of the given version with the switches set away from their defaults.
Bytes Record(int version, const CUtcTime& time, const Place& place = {})
{
    RecordBuilder record;
    record.Entity().Int64(time.GetTime()).Bool(false).String("Lund").String("Sweden");
    if (version >= 1) {
        record.Double(place.longitude).Double(place.latitude).Double(place.zone);
    }
    if (version >= 2) {
        record.Triple(place.northX, 1, 0).Bool(true);
    }
    if (version == 3) {
        record.Bool(true);
    }
    if (version >= 5) {
        record.Bool(false).Bool(false).Bool(true).Int(60).Int(30);
    }
    if (version >= 6) {
        record.Bool(true);
    }
    return record.Get();
}

void Read(CShadowInfo& shadow, const Bytes& bytes, int version)
{
    settingstest::ReadAll(bytes, {{"CEntity", 3}, {"CShadowInfo", version}},
                          [&](CArchive& ar) { shadow.Serialize(ar); });
}

std::vector<unsigned> g_released;

class ShadowInfoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterModelClasses();
        g_released.clear();
        CShadowInfo::SetDisplayListReleaser([](unsigned list) { g_released.push_back(list); });
    }
    void TearDown() override { CShadowInfo::SetDisplayListReleaser(nullptr); }

    const CUndoSuspender m_suspender;
    const TimeZoneScope m_zone{"UTC0"};
};

}  // namespace

TEST_F(ShadowInfoTest, NewSettingsStandInBoulderOnMidsummerAfternoonWithTheSunComputed)
{
    const CShadowInfo shadow;
    const CUtcTime& time = shadow.GetDateTime();
    EXPECT_EQ(time.GetMonth() * 100 + time.GetDay(), 621);
    EXPECT_EQ(time.GetMinuteOfDay(), 13 * 60 + 30);
    EXPECT_EQ(shadow.GetCity(), CString("Boulder (CO)"));
    EXPECT_EQ(shadow.GetTimeZone(), -7.0);
    EXPECT_GT(shadow.GetSunDirection().z, 0.8);
    EXPECT_LT(shadow.GetSunrise().GetTime(), time.GetTime());
    EXPECT_GT(shadow.GetSunset().GetTime(), time.GetTime());
    EXPECT_EQ(shadow.GetSunrise().GetDay(), 21);
    EXPECT_EQ(shadow.GetSunrise().GetHour(), 4);  // about 04:32 standard time
    EXPECT_EQ(shadow.GetSunset().GetHour(), 19);
}

TEST_F(ShadowInfoTest, ANewTimeMovesTheSunAndOnlyANewDayMovesSunriseAndSunset)
{
    CShadowInfo shadow;
    const Recorder posts(kShadowNotification);
    shadow.SetDateTime(shadow.GetDateTime());
    EXPECT_TRUE(posts.codes.empty());

    const CUtcTime sunrise = shadow.GetSunrise();
    const CVector3d before = shadow.GetSunDirection();
    shadow.SetDateTime(shadow.GetDateTime() + 3600);
    EXPECT_FALSE(shadow.GetSunDirection().IsEqual(before, 1e-6));
    EXPECT_EQ(shadow.GetSunrise(), sunrise);

    shadow.SetDateTime(shadow.GetDateTime() + 100 * 86400);
    EXPECT_NE(shadow.GetSunrise().GetDay(), sunrise.GetDay());
    EXPECT_EQ(posts.codes, (std::vector<std::int32_t>{kShadowTimeChanged, kShadowTimeChanged}));
    EXPECT_EQ(posts.pointers.size(), 2u);
}

TEST_F(ShadowInfoTest, SettersPostOnlyRealChangesAndRefuseIntensitiesOutOfRange)
{
    CShadowInfo shadow;
    const Recorder posts(kShadowNotification);
    shadow.SetLightIntensity(101);
    shadow.SetLightIntensity(-1);
    shadow.SetDarkIntensity(20);
    shadow.SetOnFaces(true);
    EXPECT_TRUE(posts.codes.empty());
    EXPECT_EQ(shadow.GetLightIntensity(), 80);
    shadow.SetDisplayShadows(true);
    shadow.SetOnGround(false);
    shadow.SetDarkIntensity(0);
    shadow.SetSecondDisplaySwitch(true);
    shadow.SetUseSunForShading(false);
    shadow.SetDisplayShadowsQuiet(false);
    EXPECT_EQ(posts.codes, (std::vector<std::int32_t>{1, 2, 3, 6, 6}));
}

TEST_F(ShadowInfoTest, EachRecordVersionReadsItsFieldsAndDefaultsTheRest)
{
    const CUtcTime time(2021, 3, 1, 9, 0, 0);
    for (const int version : {0, 1, 2, 3, 4, 5, 6, 7}) {
        CShadowInfo shadow;
        Read(shadow, Record(version, time, {12.0, 55.0, 1.0}), version);
        EXPECT_EQ(shadow.GetCountry(), CString("Sweden")) << version;
        EXPECT_EQ(shadow.GetLongitude(), version >= 1 ? 12.0 : -105.283) << version;
        EXPECT_EQ(shadow.GetSecondDisplaySwitch(), version >= 2) << version;
        EXPECT_EQ(shadow.IsFromEdges(), version >= 5) << version;
        EXPECT_EQ(shadow.GetLightIntensity(), version >= 5 ? 60 : 80) << version;
        EXPECT_EQ(shadow.IsUseSunForShading(), version >= 6) << version;
    }
}

TEST_F(ShadowInfoTest, OlderRecordsMoveTheirLocalClockByThisMachinesZone)
{
    const TimeZoneScope zone("EST5");
    const CUtcTime time(2021, 3, 1, 9, 0, 0);
    CShadowInfo old;
    Read(old, Record(6, time), 6);
    EXPECT_EQ(old.GetDateTime(), time - 5 * 3600);
    CShadowInfo current;
    Read(current, Record(7, time), 7);
    EXPECT_EQ(current.GetDateTime(), time);
}

TEST_F(ShadowInfoTest, AWrittenRecordReadsBackEqualAndWritesTheSameBytes)
{
    CShadowInfo written;
    Read(written, Record(7, CUtcTime(2022, 11, 5, 8, 15, 0), {2.35, 48.85, 1.0}), 7);
    const Bytes oldest = Store([&](CArchive& ar) { written.Serialize(ar); }, kSaveFormat3000);
    CShadowInfo read;
    const Bytes current = Store([&](CArchive& ar) { written.Serialize(ar); });
    Read(read, current, 7);
    EXPECT_EQ(read.GetDateTime(), written.GetDateTime());
    EXPECT_TRUE(read.GetSunDirection().IsEqual(written.GetSunDirection(), 1e-12));
    EXPECT_EQ(Store([&](CArchive& ar) { read.Serialize(ar); }), current);
    // Every format writes version 7; only the entity part differs.
    EXPECT_EQ(Bytes(current.begin() + 2, current.end()), oldest);
}

TEST_F(ShadowInfoTest, WhereTheSunDoesNotRiseSunriseIsMidnight)
{
    CShadowInfo shadow;
    Read(shadow, Record(7, CUtcTime(2024, 6, 21, 12, 0, 0), {15.0, 80.0, 1.0}), 7);
    EXPECT_EQ(shadow.GetSunrise(), CUtcTime(2024, 6, 21, 0, 0, 0));
    EXPECT_EQ(shadow.GetSunset(), CUtcTime(2024, 6, 21, 0, 0, 0));
}

// Sunrise was moved by the difference of day-of-year numbers, a year off across New Year.
TEST_F(ShadowInfoTest, SunriseFallsOnTheShadowDayAlsoAcrossNewYear)
{
    CShadowInfo shadow;
    Read(shadow, Record(7, CUtcTime(2025, 1, 1, 2, 0, 0), {75.0, 20.0, 5.0}), 7);
    const CUtcTime& sunrise = shadow.GetSunrise();
    EXPECT_EQ(sunrise.GetYear() * 10000 + sunrise.GetMonth() * 100 + sunrise.GetDay(), 20250101);
    EXPECT_EQ(sunrise.GetHour(), 6);
}

// A stored time outside the calendar could not be broken down.
TEST_F(ShadowInfoTest, ATimeOutsideTheCalendarReadsAsTheDefaultTime)
{
    CShadowInfo shadow;
    Read(shadow, Record(7, CUtcTime(-86400)), 7);
    EXPECT_EQ(shadow.GetDateTime(), GetDefaultShadowTime());
}

// The place and the north direction give the sun's direction, which lights the faces.
TEST_F(ShadowInfoTest, APlaceOrANorthThatIsNotFiniteIsRefused)
{
    const CUtcTime time(2024, 6, 21, 12, 0, 0);
    const Bytes sound = Record(7, time, {12.0, 55.0, 1.5});
    for (const double bad : entitytest::kNonFinite) {
        std::vector<Bytes> damaged;
        for (const double number : {12.0, 55.0, 1.5}) {
            damaged.push_back(entitytest::WithDoubleReplaced(sound, number, bad));
        }
        damaged.push_back(Record(7, time, {12.0, 55.0, 1.5, bad}));
        for (const Bytes& bytes : damaged) {
            CShadowInfo shadow;
            EXPECT_EQ(entitytest::ArchiveReason([&] { Read(shadow, bytes, 7); }), entitytest::kNotFiniteReason)
                << bad;
        }
    }
}

TEST_F(ShadowInfoTest, CopiesTakeTheSettingsButNeitherTheModelNorTheDisplayLists)
{
    CShadowInfo source;
    source.SetDarkIntensity(5);
    source.SetDisplayList(7);
    CShadowInfo copy(source);
    EXPECT_EQ(copy.GetDarkIntensity(), 5);
    EXPECT_EQ(copy.GetDisplayList(), 0u);

    const entitytest::CurrentModel current;
    CTarnwickModel* const model = &current.Get();
    CShadowInfo target;
    target.SetModel(model);
    target.SetSecondDisplayList(9);
    target = source;
    EXPECT_EQ(target.GetModel(), model);
    EXPECT_EQ(target.GetSecondDisplayList(), 0u);
    EXPECT_EQ(g_released, std::vector<unsigned>{9});

    source.SetFromEdges(true);
    EXPECT_EQ(g_released, (std::vector<unsigned>{9, 7}));
}
