#pragma once
// CAxisOptions: the options provider "AxisOptions" with its one key "DisplayAxes",
// through which the options system reads and sets whether the current model shows its
// drawing axes. It answers the provider operations of the options manager.

#include "foundation/typedvalue.h"
#include "platform/cstring.h"

class CAxisOptions
{
public:
    static constexpr const char* kName = "AxisOptions";
    static constexpr const char* kDisplayAxesKey = "DisplayAxes";

    // Shows the axes unless the current model has them off.
    CAxisOptions();
    virtual ~CAxisOptions();

    [[nodiscard]] virtual CString GetName() const;
    [[nodiscard]] virtual int GetKeyCount() const;
    // Empty for an index other than 0.
    [[nodiscard]] virtual CString GetKeyName(int index) const;
    // False for another key; the value is taken as a bool.
    virtual bool SetValue(const CString& key, const orvell::utils::CTypedValue& value);
    // A bool for "DisplayAxes", empty for another key.
    [[nodiscard]] virtual orvell::utils::CTypedValue GetValue(const CString& key) const;
    [[nodiscard]] virtual bool IsStoredKey(const CString& key) const;
    [[nodiscard]] virtual bool IsTransitionKey(const CString& key) const;
    // Takes the current model's axes-shown flag (true without a model).
    virtual void ResetToDefaults();
    // A new provider holding the current model's flag (true without a model).
    [[nodiscard]] virtual CAxisOptions* Clone() const;
    // Writes the value into the current model's axes-shown flag; nothing without a model.
    virtual void MakeCurrent();

    [[nodiscard]] bool IsDisplayAxes() const { return m_displayAxes; }

private:
    bool m_displayAxes = true;
};
