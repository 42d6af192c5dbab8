#pragma once
// CAxisOptions: the options provider "AxisOptions" with its one key "DisplayAxes",
// through which the options system reads and sets whether the current model shows its
// drawing axes. It answers the provider operations of the options manager.

#include "document/optionsprovider.h"
#include "foundation/typedvalue.h"
#include "platform/cstring.h"

class CAxisOptions : public COptionsProvider
{
public:
    static constexpr const char* kName = "AxisOptions";
    static constexpr const char* kDisplayAxesKey = "DisplayAxes";

    // Shows the axes unless the current model has them off.
    CAxisOptions();
    ~CAxisOptions() override;

    [[nodiscard]] CString GetName() const override;
    [[nodiscard]] int GetKeyCount() const override;
    // Empty for an index other than 0.
    [[nodiscard]] CString GetKeyName(int index) const override;
    // False for another key; the value is taken as a bool.
    bool SetValue(const CString& key, const orvell::utils::CTypedValue& value) override;
    // A bool for "DisplayAxes", empty for another key.
    [[nodiscard]] orvell::utils::CTypedValue GetValue(const CString& key) const override;
    [[nodiscard]] std::int32_t GetKeyType(const CString& key) const override;
    [[nodiscard]] bool IsStoredKey(const CString& key) const override;
    [[nodiscard]] bool IsPageKey(const CString& key) const override;
    // Takes the current model's axes-shown flag (true without a model).
    void ResetToDefaults() override;
    // A new provider holding the current model's flag (true without a model).
    [[nodiscard]] COptionsProvider* Clone() const override;
    // Writes the value into the current model's axes-shown flag; nothing without a model.
    void MakeCurrent() override;

    [[nodiscard]] bool IsDisplayAxes() const { return m_displayAxes; }

private:
    bool m_displayAxes = true;
};
