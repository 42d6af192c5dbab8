#include "document/unitsoptions.h"

#include "foundation/typedvalue.h"

using orvell::utils::CTypedValue;

namespace {

CUnitsOptions* g_currentUnitsOptions = nullptr;
CUnitsOptions::ChangeHandler g_changeHandler = nullptr;

std::vector<COptionKey> UnitsKeys()
{
    return {
        {"LengthPrecision", CTypedValue::kInt, kDefaultLengthPrecision},
        {"LengthFormat", CTypedValue::kInt, kDefaultLengthFormat},
        {"LengthUnit", CTypedValue::kInt, kDefaultLengthUnit},
        {"LengthSnapEnabled", CTypedValue::kBool, 1.0},
        {"LengthSnapLength", CTypedValue::kDouble, 0.0625},
        {"AnglePrecision", CTypedValue::kInt, 1.0},
        {"AngleSnapEnabled", CTypedValue::kBool, 1.0},
        {"SnapAngle", CTypedValue::kDouble, 15.0},
        {"SuppressUnitsDisplay", CTypedValue::kBool, kDefaultSuppressUnitsDisplay ? 1.0 : 0.0},
        {"ForceInchDisplay", CTypedValue::kBool, kDefaultForceInchDisplay ? 1.0 : 0.0},
    };
}

}  // namespace

CUnitsOptions::CUnitsOptions() : CFixedOptionsProvider(UnitsKeys(), false)
{
}

CUnitsOptions::CUnitsOptions(const CUnitsOptions& other) = default;

CUnitsOptions::~CUnitsOptions()
{
    if (g_currentUnitsOptions == this) {
        g_currentUnitsOptions = nullptr;
        SetCurrentUnitsSettings(nullptr);
    }
}

COptionsProvider* CUnitsOptions::Clone() const
{
    return new CUnitsOptions(*this);
}

void CUnitsOptions::MakeCurrent()
{
    g_currentUnitsOptions = this;
    SetCurrentUnitsSettings(this);
}

CUnitsOptions* CUnitsOptions::GetCurrent()
{
    return g_currentUnitsOptions;
}

void CUnitsOptions::SetChangeHandler(ChangeHandler handler)
{
    g_changeHandler = handler;
}

void CUnitsOptions::OnValueSet(int index)
{
    // Sizes shown with a unit must be formatted again; the precision alone does not
    // change what a size reads in.
    if ((index == kLengthFormat || index == kLengthUnit) && g_changeHandler != nullptr) {
        g_changeHandler(kUnitsChangedEvent);
    }
}
