#pragma once
// The sun as seen from a place on Earth: its altitude and azimuth for a UTC time by a
// low-precision solar model, the direction towards it in model space, and the times
// of sunrise and sunset found by bisection on its altitude. Angles are degrees,
// longitudes east positive, latitudes north positive.

#include "document/utctime.h"
#include "foundation/vector3d.h"

class CSunPositionFinder
{
public:
    // The function whose root is the moment the sun's centre crosses the horizon.
    class CSunPositionEvaluator
    {
    public:
        // date: the day searched, at 00:00:00 UTC.
        CSunPositionEvaluator(double longitude, double latitude, const CUtcTime& date);
        virtual ~CSunPositionEvaluator() = default;
        CSunPositionEvaluator(const CSunPositionEvaluator&) = default;
        CSunPositionEvaluator& operator=(const CSunPositionEvaluator&) = default;

        // The sine of the sun's altitude t days after the start of the date.
        [[nodiscard]] virtual double Evaluate(double t) const;

    private:
        double m_longitude;
        double m_latitude;
        CUtcTime m_date;
    };

    // Searches the day of the time between start and end (fractions of the local day,
    // shifted to UTC by the zone in hours). True, with the time replaced by the moment
    // found, when the sun crosses the horizon in that part of the day.
    static bool FindCrossing(double longitude, double latitude, double zone, double start, double end,
                             CUtcTime& time);
};

// Azimuth from north through east, 0 up to 360. Times that cannot be broken down into
// a calendar date give the position at 1970-01-01 00:00:00.
void ComputeSunAltitudeAzimuth(double longitude, double latitude, const CUtcTime& time, double& altitude,
                               double& azimuth);
// The unit direction towards the sun in model space, where north is the given
// direction in the xy plane and +z is up.
void SunDirectionFromAltitudeAzimuth(double altitude, double azimuth, const CVector3d& north, CVector3d& direction);
void ComputeSunDirection(double longitude, double latitude, const CUtcTime& time, const CVector3d& north,
                         CVector3d& direction);

// The first (last) half of the local day of the time; false, with the time unchanged,
// when the sun does not rise (set) in it.
bool FindSunrise(double longitude, double latitude, double zone, CUtcTime& time);
bool FindSunset(double longitude, double latitude, double zone, CUtcTime& time);
