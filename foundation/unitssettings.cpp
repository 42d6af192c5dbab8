#include "foundation/unitssettings.h"

namespace {

IUnitsSettings* g_currentUnitsSettings = nullptr;

constexpr int kArchitecturalFormat = 1;
constexpr int kEngineeringFormat = 2;
constexpr int kInches = 0;
constexpr int kFeet = 1;

} // namespace

void SetCurrentUnitsSettings(IUnitsSettings* settings)
{
    g_currentUnitsSettings = settings;
}

IUnitsSettings* GetCurrentUnitsSettings()
{
    return g_currentUnitsSettings;
}

int GetCurrentLengthFormat()
{
    return g_currentUnitsSettings != nullptr ? g_currentUnitsSettings->GetLengthFormat()
                                             : kDefaultLengthFormat;
}

int GetCurrentLengthPrecision()
{
    return g_currentUnitsSettings != nullptr ? g_currentUnitsSettings->GetLengthPrecision()
                                             : kDefaultLengthPrecision;
}

int GetCurrentLengthUnit()
{
    const int format = GetCurrentLengthFormat();
    if (format == kArchitecturalFormat) {
        return kInches;
    }
    if (format == kEngineeringFormat) {
        return kFeet;
    }
    return g_currentUnitsSettings != nullptr ? g_currentUnitsSettings->GetLengthUnit()
                                             : kDefaultLengthUnit;
}

bool GetCurrentSuppressUnitsDisplay()
{
    return g_currentUnitsSettings != nullptr ? g_currentUnitsSettings->GetSuppressUnitsDisplay()
                                             : kDefaultSuppressUnitsDisplay;
}

bool GetCurrentForceInchDisplay()
{
    return g_currentUnitsSettings != nullptr ? g_currentUnitsSettings->GetForceInchDisplay()
                                             : kDefaultForceInchDisplay;
}
