#pragma once
// CFixedOptionsProvider: an options provider with a fixed list of keys, each of one
// value type with a static default. Values set are converted to the key's type.

#include <vector>

#include "document/optionsprovider.h"

// One key of a fixed provider: its name, its type code (CTypedValue::kInt, kDouble or
// kBool) and its default.
struct COptionKey
{
    const char* name;
    std::int32_t type;
    double defaultValue;
};

class CFixedOptionsProvider : public COptionsProvider
{
public:
    [[nodiscard]] int GetKeyCount() const override { return static_cast<int>(m_keys.size()); }
    [[nodiscard]] CString GetKeyName(int index) const override;
    // Compares the key whole and case-sensitively; a failed conversion gives false.
    bool SetValue(const CString& key, const orvell::utils::CTypedValue& value) override;
    [[nodiscard]] orvell::utils::CTypedValue GetValue(const CString& key) const override;
    [[nodiscard]] std::int32_t GetKeyType(const CString& key) const override;
    [[nodiscard]] bool IsStoredKey(const CString& key) const override;
    [[nodiscard]] bool IsPageKey(const CString& key) const override;
    void ResetToDefaults() override;

    // -1 for a key that is not in the list.
    [[nodiscard]] int FindKey(const CString& key) const;

protected:
    CFixedOptionsProvider(std::vector<COptionKey> keys, bool pageKeys);

    [[nodiscard]] int GetInt(int index) const;
    [[nodiscard]] double GetDouble(int index) const;
    [[nodiscard]] bool GetBool(int index) const;
    // Called after a value was stored under the key at this index.
    virtual void OnValueSet(int index);

private:
    [[nodiscard]] orvell::utils::CTypedValue MakeDefault(int index) const;

    std::vector<COptionKey> m_keys;
    std::vector<orvell::utils::CTypedValue> m_values;
    bool m_pageKeys;
};
