#pragma once
// COptionsProvider: one named set of typed model settings (units, axes, pages, the
// slideshow, free named values). The model's options manager holds one of each kind
// and stores them in the model file by provider name and key.

#include "foundation/typedvalue.h"
#include "platform/cstring.h"

class COptionsProvider
{
public:
    COptionsProvider() = default;
    virtual ~COptionsProvider() = default;
    COptionsProvider(const COptionsProvider&) = default;
    COptionsProvider& operator=(const COptionsProvider&) = default;

    [[nodiscard]] virtual CString GetName() const = 0;
    [[nodiscard]] virtual int GetKeyCount() const = 0;
    // Empty for an index out of range.
    [[nodiscard]] virtual CString GetKeyName(int index) const = 0;
    // False for an unknown key or a value that does not convert to the key's type;
    // the setting is then unchanged.
    virtual bool SetValue(const CString& key, const orvell::utils::CTypedValue& value) = 0;
    // Empty for an unknown key.
    [[nodiscard]] virtual orvell::utils::CTypedValue GetValue(const CString& key) const = 0;
    // The type code a value under the key is converted to (CTypedValue::kInt, kDouble or
    // kBool); kEmpty for an unknown key, and for a key that keeps any value as given.
    [[nodiscard]] virtual std::int32_t GetKeyType(const CString& key) const = 0;
    // Whether the key goes into the model file.
    [[nodiscard]] virtual bool IsStoredKey(const CString& key) const = 0;
    // Whether the key belongs to the per-page settings; nothing here reads it.
    [[nodiscard]] virtual bool IsPageKey(const CString& key) const = 0;
    virtual void ResetToDefaults() = 0;
    [[nodiscard]] virtual COptionsProvider* Clone() const = 0;
    // Makes this provider the one that code without a model reads.
    virtual void MakeCurrent() = 0;
};
