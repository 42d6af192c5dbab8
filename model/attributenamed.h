#pragma once
// CAttributeNamed: a named dictionary from text keys to typed values, the attribute
// through which entities carry free-form data. Keys are ordered by code unit, case
// sensitive.

#include <map>

#include "foundation/typedvalue.h"
#include "model/attribute.h"

class CAttributeNamed : public CAttribute
{
    DECLARE_SERIAL(CAttributeNamed)

public:
    using ValueMap = std::map<CString, orvell::utils::CTypedValue>;

    // Empty name, no values.
    CAttributeNamed();
    // Name and every value copied (string and array payloads are shared).
    CAttributeNamed(const CAttributeNamed& other);
    ~CAttributeNamed() override;

    // The attribute part, the name, then key and value pairs ended by an empty key.
    // Format 3000 writes nothing. Reading throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    // Records the change and empties the values before the entity is erased.
    void Erase() override;
    // Transforms the values that hold geometry; records the change once, before the
    // first of them.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges the values too, not the names.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // True when the name equals the text exactly.
    [[nodiscard]] bool IsNamed(const CString& name) const override;

    [[nodiscard]] const CString& GetName() const { return m_name; }
    // Records the change first when the name differs.
    void SetName(const CString& name);

    // The value under the key; an empty value is inserted first when the key is
    // absent. Callers that change the value record the change themselves.
    orvell::utils::CTypedValue& GetValue(const CString& key);
    // Null when the key is absent.
    [[nodiscard]] const orvell::utils::CTypedValue* FindValue(const CString& key) const;
    // Records the change, then stores the value under the key.
    void SetValue(const CString& key, const orvell::utils::CTypedValue& value);
    [[nodiscard]] const ValueMap& GetValues() const { return m_values; }

private:
    void ReadValues(CArchive& ar);
    void WriteValues(CArchive& ar) const;

    CString m_name;
    ValueMap m_values;
};
