#pragma once
// CUnitsOptions ("UnitsOptions"): how lengths and angles are shown and snapped. The
// current model's provider is what length text reads (GetCurrentLengthFormat and the
// other readers of foundation/unitssettings.h, which fall back to the defaults when
// no provider is current). The current provider and the change handler are used from
// the UI thread only.

#include "document/fixedoptionsprovider.h"
#include "foundation/unitssettings.h"

class CUnitsOptions : public CFixedOptionsProvider, public IUnitsSettings
{
public:
    // Key indices, in the order the keys are listed and stored.
    enum Key : int
    {
        kLengthPrecision = 0,
        kLengthFormat,
        kLengthUnit,
        kLengthSnapEnabled,
        kLengthSnapLength,
        kAnglePrecision,
        kAngleSnapEnabled,
        kSnapAngle,
        kSuppressUnitsDisplay,
        kForceInchDisplay
    };

    static constexpr const char* kName = "UnitsOptions";

    CUnitsOptions();
    CUnitsOptions(const CUnitsOptions& other);
    CUnitsOptions& operator=(const CUnitsOptions&) = delete;
    // The current provider clears the current pointer as it goes.
    ~CUnitsOptions() override;

    [[nodiscard]] CString GetName() const override { return CString(kName); }
    [[nodiscard]] COptionsProvider* Clone() const override;
    void MakeCurrent() override;

    // The stored values (IUnitsSettings).
    [[nodiscard]] int GetLengthFormat() const override { return GetInt(kLengthFormat); }
    [[nodiscard]] int GetLengthPrecision() const override { return GetInt(kLengthPrecision); }
    [[nodiscard]] int GetLengthUnit() const override { return GetInt(kLengthUnit); }
    [[nodiscard]] bool GetSuppressUnitsDisplay() const override { return GetBool(kSuppressUnitsDisplay); }
    [[nodiscard]] bool GetForceInchDisplay() const override { return GetBool(kForceInchDisplay); }

    // The provider made current last; null when none is.
    [[nodiscard]] static CUnitsOptions* GetCurrent();

    // Told when the length format or unit changes, so that materials can show their
    // sizes anew; the argument is the event number 7. Null removes the handler.
    using ChangeHandler = void (*)(int event);
    static void SetChangeHandler(ChangeHandler handler);
    static constexpr int kUnitsChangedEvent = 7;

private:
    void OnValueSet(int index) override;
};
