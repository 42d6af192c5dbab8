#pragma once
// Units options that a test fills in and makes current for its own lifetime.

#include "foundation/unitssettings.h"

namespace valuetests {

class CTestUnitsSettings : public IUnitsSettings
{
public:
    CTestUnitsSettings() { SetCurrentUnitsSettings(this); }
    ~CTestUnitsSettings() override { SetCurrentUnitsSettings(nullptr); }

    [[nodiscard]] int GetLengthFormat() const override { return m_format; }
    [[nodiscard]] int GetLengthPrecision() const override { return m_precision; }
    [[nodiscard]] int GetLengthUnit() const override { return m_unit; }
    [[nodiscard]] bool GetSuppressUnitsDisplay() const override { return m_suppressUnits; }
    [[nodiscard]] bool GetForceInchDisplay() const override { return m_forceInch; }

    int m_format = 0;
    int m_precision = 2;
    int m_unit = 0;
    bool m_suppressUnits = false;
    bool m_forceInch = false;
};

} // namespace valuetests
