#pragma once
// CNamedOptions ("NamedOptions"): free named values a model carries with its other
// options. Any key may be set; setting the empty value removes the key. Keys are kept
// in the 8-bit code page of older files and listed in byte order.

#include <map>
#include <string>

#include "document/optionsprovider.h"

class CNamedOptions : public COptionsProvider
{
public:
    static constexpr const char* kName = "NamedOptions";

    CNamedOptions() = default;

    [[nodiscard]] CString GetName() const override { return CString(kName); }
    [[nodiscard]] int GetKeyCount() const override { return static_cast<int>(m_values.size()); }
    [[nodiscard]] CString GetKeyName(int index) const override;
    // Always succeeds.
    bool SetValue(const CString& key, const orvell::utils::CTypedValue& value) override;
    [[nodiscard]] orvell::utils::CTypedValue GetValue(const CString& key) const override;
    // Every value is kept as given.
    [[nodiscard]] std::int32_t GetKeyType(const CString& /*key*/) const override
    {
        return orvell::utils::CTypedValue::kEmpty;
    }
    [[nodiscard]] bool IsStoredKey(const CString& /*key*/) const override { return true; }
    [[nodiscard]] bool IsPageKey(const CString& /*key*/) const override { return false; }
    // The values are the model's own, read from its file: a model emptied for the next
    // file holds none.
    void ResetToDefaults() override { m_values.clear(); }
    [[nodiscard]] COptionsProvider* Clone() const override;
    void MakeCurrent() override {}

private:
    std::map<std::string, orvell::utils::CTypedValue> m_values;
};
