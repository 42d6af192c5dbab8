#pragma once
// CMaterial: the paint of drawing elements and faces: a named colour with a
// transparency and a count of the elements that use it. Materials live in the
// material manager of a component; elements hold plain pointers (null = default).

#include <cstdint>

#include "foundation/color.h"
#include "model/entity.h"

// Kinds of material.
enum MaterialKind : std::int32_t
{
    kMaterialColor = 0,
    kMaterialTexture = 1,
    kMaterialColoredTexture = 2,
};

// The colour that replaces a stored colour word of 0: grey 64 64 64, opaque.
[[nodiscard]] CColor GetDefaultMaterialColor();

class CMaterial : public CEntity
{
    DECLARE_SERIAL(CMaterial)

public:
    // Named "<auto>", colour 0, transparency 0.5 (not enabled), kind colour.
    CMaterial();
    // Copies every field, the use count included (undo snapshots and clones).
    CMaterial(const CMaterial& other);
    ~CMaterial() override;

    // Reads or writes the material record. Throws the archive exception on bad input;
    // a record that holds a texture is refused (genericException) until textures exist.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a material.
    void SwapData(CEntity& other) override;
    [[nodiscard]] int GetTypeId() const override;

    // Each setter does nothing when the value does not change, and otherwise records
    // the change before storing it.
    void SetName(const CString& name);
    void SetSecondName(const CString& name);  // compared without regard to case
    void SetColor(CColor color);
    void SetTransparency(double transparency);  // changed by 0.001 or more
    void SetUseTransparency(bool use);
    void SetHidden(bool hidden);
    void SetAbsoluteHue(std::int32_t absoluteHue);
    void SetKind(std::int32_t kind);

    [[nodiscard]] const CString& GetName() const { return m_name; }
    [[nodiscard]] const CString& GetSecondName() const { return m_secondName; }
    // A name beginning with "*" shows that character as the automatic-name prefix.
    [[nodiscard]] CString GetDisplayName() const;
    // The colour field itself; GetColor answers the colour that draws.
    [[nodiscard]] CColor GetColorValue() const { return m_color; }
    [[nodiscard]] CColor GetColor() const;
    [[nodiscard]] double GetTransparency() const { return m_transparency; }
    [[nodiscard]] bool UsesTransparency() const { return m_useTransparency; }
    [[nodiscard]] bool IsHidden() const { return m_hidden; }
    [[nodiscard]] std::int32_t GetKind() const { return m_kind; }
    [[nodiscard]] std::int32_t GetAbsoluteHue() const { return m_absoluteHue; }

    // One use more or less (never below 0), recorded as a change.
    void AddUse(bool notify);
    void RemoveUse(bool notify);
    [[nodiscard]] std::int32_t GetUseCount() const { return m_useCount; }
    // Sets the count without recording (the manager records before it resets).
    void SetUseCount(std::int32_t count) { m_useCount = count; }

    // Without textures every material is a plain colour.
    [[nodiscard]] bool IsPlainColor() const;
    [[nodiscard]] bool IsTextured() const;
    [[nodiscard]] bool TextureHasAlpha() const;
    [[nodiscard]] bool IsTransparent() const;
    [[nodiscard]] bool IsOpaque() const;
    [[nodiscard]] bool IsFullyTransparent() const;

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);

    CString m_name;
    CColor m_color;
    bool m_useTransparency = false;
    double m_transparency = 0.5;
    bool m_hidden = false;
    CString m_secondName;
    std::int32_t m_kind = kMaterialColor;
    std::int32_t m_absoluteHue = 0;
    std::int32_t m_useCount = 0;
};

// A new default material.
[[nodiscard]] CMaterial* CreateMaterial();
// Reads an object reference that must be a material (null allowed); another class is
// the archive exception badClass.
void ArchiveReadMaterial(CArchive& ar, CMaterial*& material);
// A name beginning with "*" with that character replaced by the automatic-name prefix.
[[nodiscard]] CString ExpandAutoNamePrefix(const CString& name);
// The text without its run of trailing decimal digits.
[[nodiscard]] CString StripTrailingDigits(const CString& text);
