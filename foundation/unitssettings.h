#pragma once
// The units options that length text reads. The model's units options implement
// IUnitsSettings and make themselves current; without them the defaults apply.

class IUnitsSettings
{
public:
    virtual ~IUnitsSettings() = default;

    // 0 decimal, 1 architectural, 2 engineering, 3 fractional.
    [[nodiscard]] virtual int GetLengthFormat() const = 0;
    // Decimal places, or the power of two of the finest fraction.
    [[nodiscard]] virtual int GetLengthPrecision() const = 0;
    // The unit as stored: 0 inches, 1 feet, 2 millimetres, 3 centimetres, 4 metres.
    [[nodiscard]] virtual int GetLengthUnit() const = 0;
    [[nodiscard]] virtual bool GetSuppressUnitsDisplay() const = 0;
    [[nodiscard]] virtual bool GetForceInchDisplay() const = 0;
};

inline constexpr int kDefaultLengthFormat = 1;
inline constexpr int kDefaultLengthPrecision = 4;
inline constexpr int kDefaultLengthUnit = 0;
inline constexpr bool kDefaultSuppressUnitsDisplay = false;
inline constexpr bool kDefaultForceInchDisplay = false;

// Not owned; null restores the defaults. The settings must clear themselves before
// they are destroyed.
void SetCurrentUnitsSettings(IUnitsSettings* settings);
[[nodiscard]] IUnitsSettings* GetCurrentUnitsSettings();

[[nodiscard]] int GetCurrentLengthFormat();
[[nodiscard]] int GetCurrentLengthPrecision();
// Architectural lengths are always inches and engineering lengths feet, whatever
// unit is stored.
[[nodiscard]] int GetCurrentLengthUnit();
[[nodiscard]] bool GetCurrentSuppressUnitsDisplay();
[[nodiscard]] bool GetCurrentForceInchDisplay();
