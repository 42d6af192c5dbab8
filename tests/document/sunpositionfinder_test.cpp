#include <gtest/gtest.h>

#include <cmath>

#include "document/sunpositionfinder.h"
#include "document/utctime.h"
#include "platform/exceptions.h"

namespace {

constexpr double kDegree = M_PI / 180.0;

// The sun by the widely published Fourier-series approximation of its declination and
// of the equation of time, independent of the solar model under test.
struct AlmanacDay
{
    double declination;  // radians
    double equationOfTime;  // minutes
};

// minutes: the time of day (UTC) the values are wanted for.
AlmanacDay Almanac(int dayOfYear, double minutes = 720.0)
{
    const double g = 2.0 * M_PI / 365.0 * (dayOfYear - 1 + (minutes / 60.0 - 12.0) / 24.0);
    AlmanacDay day{};
    day.equationOfTime = 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                                   0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g));
    day.declination = 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) - 0.006758 * std::cos(2 * g) +
                      0.000907 * std::sin(2 * g) - 0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
    return day;
}

// Minutes after 00:00 UTC of the day.
double SolarNoonMinutes(const AlmanacDay& day, double longitude)
{
    return 720.0 - 4.0 * longitude - day.equationOfTime;
}

// The half day between the centre of the sun crossing the horizon and noon, in minutes.
double HalfDayMinutes(const AlmanacDay& day, double latitude)
{
    return 4.0 * std::acos(-std::tan(latitude * kDegree) * std::tan(day.declination)) / kDegree;
}

struct Place
{
    const char* name;
    double longitude;
    double latitude;
    double zone;
};

constexpr Place kPlaces[] = {
    {"Quito", -78.5, -0.2, -5.0},
    {"Boulder", -105.283, 40.017, -7.0},
    {"London", -0.13, 51.5, 0.0},
    {"Sydney", 151.2, -33.87, 10.0},
    {"Reykjavik", -21.9, 64.1, 0.0},
};

struct Day
{
    int month;
    int day;
};

constexpr Day kDays[] = {{3, 20}, {6, 21}, {9, 22}, {12, 21}};

}  // namespace

TEST(SunPosition, TheSunAtNoonStandsAsHighAsTheAlmanacSaysAndDueSouthOrNorth)
{
    for (const Place& place : kPlaces) {
        for (const Day& date : kDays) {
            SCOPED_TRACE(std::string(place.name) + " " + std::to_string(date.month));
            const CUtcTime midnight(2024, date.month, date.day, 0, 0, 0);
            const double noonMinutes = SolarNoonMinutes(Almanac(midnight.GetDayOfYear()), place.longitude);
            const AlmanacDay almanac = Almanac(midnight.GetDayOfYear(), noonMinutes);
            const auto noon = midnight + static_cast<std::int64_t>(noonMinutes * 60.0);
            double altitude = 0.0;
            double azimuth = 0.0;
            ComputeSunAltitudeAzimuth(place.longitude, place.latitude, noon, altitude, azimuth);
            const double expected = 90.0 - std::fabs(place.latitude - almanac.declination / kDegree);
            EXPECT_NEAR(altitude, expected, 0.3);
            // Near the zenith the azimuth says nothing.
            if (expected > 85.0) {
                continue;
            }
            const bool sunInSouth = place.latitude > almanac.declination / kDegree;
            const double azimuthFromSouth = std::fabs(azimuth - 180.0);
            EXPECT_LT(sunInSouth ? azimuthFromSouth : 180.0 - azimuthFromSouth, 2.0) << azimuth;
        }
    }
}

TEST(SunPosition, SunriseAndSunsetFallWithinMinutesOfTheAlmanac)
{
    for (const Place& place : kPlaces) {
        for (const Day& date : kDays) {
            SCOPED_TRACE(std::string(place.name) + " " + std::to_string(date.month));
            const CUtcTime localNoon(2024, date.month, date.day, 12, 0, 0);
            const CUtcTime utc = localNoon - static_cast<std::int64_t>(place.zone * 3600.0);
            const AlmanacDay almanac = Almanac(utc.GetDayOfYear());
            const double noon = SolarNoonMinutes(almanac, place.longitude);
            const double half = HalfDayMinutes(almanac, place.latitude);
            CUtcTime rise = utc;
            CUtcTime set = utc;
            ASSERT_TRUE(FindSunrise(place.longitude, place.latitude, place.zone, rise));
            ASSERT_TRUE(FindSunset(place.longitude, place.latitude, place.zone, set));
            const double start = static_cast<double>(utc.GetStartOfDay().GetTime());
            EXPECT_NEAR((static_cast<double>(rise.GetTime()) - start) / 60.0, noon - half, 4.0);
            EXPECT_NEAR((static_cast<double>(set.GetTime()) - start) / 60.0, noon + half, 4.0);
        }
    }
}

TEST(SunPosition, ThereIsNoSunriseOrSunsetInAPolarDay)
{
    const CUtcTime given(2024, 6, 21, 12, 0, 0);
    CUtcTime time = given;
    EXPECT_FALSE(FindSunrise(15.0, 80.0, 1.0, time));
    EXPECT_FALSE(FindSunset(15.0, 80.0, 1.0, time));
    EXPECT_EQ(time, given);
}

TEST(SunPosition, TheDefaultPlaceInTheEarlyAfternoonHasTheSunHighInTheSouthWest)
{
    const CUtcTime utc = CUtcTime(2024, 6, 21, 13, 30, 0) + 7 * 3600;
    double altitude = 0.0;
    double azimuth = 0.0;
    ComputeSunAltitudeAzimuth(-105.283, 40.017, utc, altitude, azimuth);
    EXPECT_GT(altitude, 60.0);
    EXPECT_GT(azimuth, 180.0);
    EXPECT_LT(azimuth, 270.0);
}

TEST(SunPosition, TheDirectionTurnsWithTheModelsNorth)
{
    CVector3d east;
    SunDirectionFromAltitudeAzimuth(0.0, 90.0, CVector3d(0, 1, 0), east);
    EXPECT_TRUE(east.IsEqual(CVector3d(1, 0, 0), 1e-9));
    CVector3d zenith;
    SunDirectionFromAltitudeAzimuth(90.0, 0.0, CVector3d(0, 1, 0), zenith);
    EXPECT_TRUE(zenith.IsEqual(CVector3d(0, 0, 1), 1e-9));

    const CUtcTime time(2024, 9, 1, 16, 0, 0);
    CVector3d plain;
    CVector3d turned;
    ComputeSunDirection(-105.283, 40.017, time, CVector3d(0, 1, 0), plain);
    ComputeSunDirection(-105.283, 40.017, time, CVector3d(1, 0, 0), turned);
    // Turning by -90 degrees about z takes (x, y) to (y, -x).
    EXPECT_TRUE(turned.IsEqual(CVector3d(plain.y, -plain.x, plain.z), 1e-9));
}

TEST(SunPosition, TheDayNumberRunsOnWithoutAGapIntoMarch)
{
    for (const int year : {2023, 2024}) {
        const CUtcTime march(year, 3, 1, 0, 0, 0);
        double before = 0.0;
        double after = 0.0;
        double azimuth = 0.0;
        ComputeSunAltitudeAzimuth(0.0, 45.0, march - 60, before, azimuth);
        ComputeSunAltitudeAzimuth(0.0, 45.0, march, after, azimuth);
        EXPECT_NEAR(before, after, 0.3) << year;
    }
}

TEST(UtcTime, DaysOfTheYearCountFebruary29InEveryFourthYear)
{
    const CUtcTime leap(2024, 7, 1, 0, 0, 0);
    int month = 0;
    int day = 0;
    leap.DayOfYearToDate(60, month, day);
    EXPECT_EQ(month * 100 + day, 229);
    leap.DayOfYearToDate(61, month, day);
    EXPECT_EQ(month * 100 + day, 301);
    CUtcTime(2023, 1, 1, 0, 0, 0).DayOfYearToDate(60, month, day);
    EXPECT_EQ(month * 100 + day, 301);
    EXPECT_EQ(CUtcTime(2024, 3, 1, 0, 0, 0).GetDayOfYear(), 61);
    EXPECT_EQ(CUtcTime(2100, 1, 1, 0, 0, 0).GetDaysInYear(), 366);
    EXPECT_EQ(CUtcTime(2101, 1, 1, 0, 0, 0).GetDaysInYear(), 365);
}

TEST(UtcTime, PartsAreTakenInUtcAndFormattedAsAskedOrAsAClockTime)
{
    const CUtcTime time(2024, 6, 21, 13, 30, 15);
    EXPECT_EQ(time.GetYear() * 10000 + time.GetMonth() * 100 + time.GetDay(), 20240621);
    EXPECT_EQ(time.GetMinuteOfDay(), 13 * 60 + 30);
    EXPECT_NEAR(time.GetDayFraction(), (13 * 3600 + 30 * 60 + 15) / 86400.0, 1e-12);
    EXPECT_EQ(time.Format(), CString("01:30 PM"));
    EXPECT_EQ(time.Format("%Y-%m-%d"), CString("2024-06-21"));
    EXPECT_EQ(CUtcTime(2024, 1, 1, 0, 0, -1), CUtcTime(2023, 12, 31, 23, 59, 59));
    EXPECT_THROW((void)CUtcTime(1969, 12, 31, 0, 0, 0), CInvalidArgException);
}
