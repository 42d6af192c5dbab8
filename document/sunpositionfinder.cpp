#include "document/sunpositionfinder.h"

#include <cmath>

namespace {

// The solar model was fitted with these rounded constants; results are compared with
// stored sun directions, so they stay as they are.
constexpr double kModelDegToRad = 0.0174532925;
constexpr double kDirectionDegToRad = 0.0174532925199433;
constexpr double kEvaluatorDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577957855229;
constexpr double kModelPi = 3.14159265;
constexpr double kModelTwoPi = 6.283185307;
constexpr double kObliquity = 0.4091051762;
constexpr double kMinuteOfDay = 1.0 / 1440.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr int kMaxBisections = 64;

// Days since the start of 1975 by Fliegel and Van Flandern's day number.
double DaysSinceEpoch(const CUtcTime& time)
{
    const double month = time.GetMonth();
    const double a = month <= 2 ? -1.0 : 0.0;
    const double year = time.GetYear() + 4800.0 + a;
    const double n = std::trunc(365.25 * year) + std::trunc((month - 2.0 - 12.0 * a) * 367.0 / 12.0) -
                     std::trunc((std::trunc(year / 100.0) + 1.0) * 0.75) + time.GetDay() - 2474489.0;
    return n + time.GetDayFraction();
}

}  // namespace

void ComputeSunAltitudeAzimuth(double longitude, double latitude, const CUtcTime& time, double& altitude,
                               double& azimuth)
{
    const double d = DaysSinceEpoch(time);
    const double lon = longitude * kModelDegToRad;
    const double phi = latitude * kModelDegToRad;
    const double meanAnomaly = (357.5166 + 0.98560026 * d) * kModelDegToRad;
    const double e = 0.01672 - 1.1e-9 * d;
    const double perigee = (282.5105 + 4.709e-5 * d) * kModelDegToRad;
    const double q = (1.0 + e) / (1.0 - e);
    const double s = q > 1e-20 ? std::sqrt(q) : 0.0;
    double eccentric = 2.0 * std::atan(s * std::tan(meanAnomaly / 2.0));
    for (int i = 0; i < 9; ++i) {
        eccentric = meanAnomaly + e * std::sin(eccentric);
    }
    const double lambda = 2.0 * std::atan(s * std::tan(eccentric / 2.0)) + perigee;
    const double delta = std::asin(std::sin(lambda) * std::sin(kObliquity));
    double alpha = std::atan(std::tan(lambda) * std::cos(kObliquity));
    if (std::cos(lambda) < 0.0) {
        alpha += kModelPi;
    }
    const double theta = (100.0215 + 360.98564734 * d) * kModelDegToRad;
    const double h = alpha - theta - lon;
    const double elevation =
        std::asin(std::sin(delta) * std::sin(phi) + std::cos(h) * std::cos(delta) * std::cos(phi));
    const double qz = std::cos(h) * std::cos(delta) * std::sin(phi) - std::sin(delta) * std::cos(phi);
    const double z0 = std::atan(std::sin(h) * std::cos(delta) / qz);
    double z = qz >= 0.0 ? kModelPi - z0 : -z0;
    if (z < 0.0) {
        z += kModelTwoPi;
    }
    altitude = elevation * kRadToDeg;
    azimuth = z * kRadToDeg;
}

void SunDirectionFromAltitudeAzimuth(double altitude, double azimuth, const CVector3d& north, CVector3d& direction)
{
    const double h = altitude * kDirectionDegToRad;
    // Turned clockwise from north by the azimuth, then with north onto the model's north.
    const double turn = -azimuth * kDirectionDegToRad + std::atan2(-north.x, north.y);
    const double horizontal = std::cos(h);
    direction = CVector3d(-horizontal * std::sin(turn), horizontal * std::cos(turn), std::sin(h));
}

void ComputeSunDirection(double longitude, double latitude, const CUtcTime& time, const CVector3d& north,
                         CVector3d& direction)
{
    double altitude = 0.0;
    double azimuth = 0.0;
    ComputeSunAltitudeAzimuth(longitude, latitude, time, altitude, azimuth);
    SunDirectionFromAltitudeAzimuth(altitude, azimuth, north, direction);
}

CSunPositionFinder::CSunPositionEvaluator::CSunPositionEvaluator(double longitude, double latitude,
                                                                 const CUtcTime& date)
    : m_longitude(longitude), m_latitude(latitude), m_date(date)
{
}

double CSunPositionFinder::CSunPositionEvaluator::Evaluate(double t) const
{
    const CUtcTime when = m_date + TruncateToInt64(t * kSecondsPerDay);
    double altitude = 0.0;
    double azimuth = 0.0;
    ComputeSunAltitudeAzimuth(m_longitude, m_latitude, when, altitude, azimuth);
    return std::sin(altitude * kEvaluatorDegToRad);
}

bool CSunPositionFinder::FindCrossing(double longitude, double latitude, double zone, double start, double end,
                                      CUtcTime& time)
{
    const CUtcTime date = time.GetStartOfDay();
    const CSunPositionEvaluator evaluator(longitude, latitude, date);
    double a = start - zone / 24.0;
    double b = end - zone / 24.0;
    double x = time.GetDayFraction();
    if (!(a < x && x < b)) {
        x = (a + b) / 2.0;
    }
    const double fa = evaluator.Evaluate(a);
    const double fb = evaluator.Evaluate(b);
    if ((fa > 0.0 && fb > 0.0) || (fa < 0.0 && fb < 0.0)) {
        return false;
    }
    const bool rising = fa < 0.0 && fb > 0.0;
    // Far from zero (a zone read from a damaged file) the midpoint can round onto an
    // end, so the halving is also bounded in count.
    int passes = 0;
    do {
        const double fx = evaluator.Evaluate(x);
        const bool belowTarget = rising ? fx <= 0.0 : fx >= 0.0;
        if (belowTarget) {
            a = x;
        } else {
            b = x;
        }
        x = (a + b) / 2.0;
    } while (b - a > kMinuteOfDay && ++passes < kMaxBisections);
    time = date + TruncateToInt64(x * kSecondsPerDay);
    return true;
}

bool FindSunrise(double longitude, double latitude, double zone, CUtcTime& time)
{
    return CSunPositionFinder::FindCrossing(longitude, latitude, zone, 0.0, 0.5, time);
}

bool FindSunset(double longitude, double latitude, double zone, CUtcTime& time)
{
    return CSunPositionFinder::FindCrossing(longitude, latitude, zone, 0.5, 1.0, time);
}
