#pragma once
// CMaterial: the paint of drawing elements and faces: a named colour, optionally with
// a texture picture (plain, or tinted towards the colour), a transparency and a count
// of the elements that use it. Materials live in the material manager of a component;
// elements hold plain pointers (null = default).

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

class CDib;
class CTexture;
class IModelView;

class CMaterial : public CEntity
{
    DECLARE_SERIAL(CMaterial)

public:
    // Named "<auto>", colour 0, transparency 0.5 (not enabled), kind colour.
    CMaterial();
    // Copies every field, the use count included (undo snapshots and clones); the
    // texture is shared, not copied, and stays the source's.
    CMaterial(const CMaterial& other);
    // Deletes a texture the material still owns (one never handed to Erase): what a
    // read made goes with the material when the read fails.
    ~CMaterial() override;

    // Reads or writes the material record with its texture. Throws the archive
    // exception on bad input; a texture that another material holds already is
    // badIndex.
    void Serialize(CArchive& ar) override;
    // Erases the texture, then the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a material. A texture whose coloring may have changed
    // is coloured again.
    void SwapData(CEntity& other) override;
    [[nodiscard]] int GetTypeId() const override;
    // A name, a texture that is one (and passes its own check), a transparency in 0..1
    // (repair: 0), a kind in 0..2 and an absolute-hue flag of 0 or 1.
    int CheckValidity(int mode, CValidityResultMap* results) override;

    // Each setter does nothing when the value does not change, and otherwise records
    // the change before storing it.
    void SetName(const CString& name);
    void SetSecondName(const CString& name);  // compared without regard to case
    void SetColor(CColor color);
    void SetTransparency(double transparency);  // changed by 0.001 or more
    void SetUseTransparency(bool use);
    void SetHidden(bool hidden);
    void SetAbsoluteHue(std::int32_t absoluteHue);
    // Kind 0 erases the texture; kinds 1 and 2 colour it without and with the tint.
    void SetKind(std::int32_t kind);
    // Erases the previous texture; the material becomes the new one's parent and owner.
    void SetTexture(CTexture* texture);

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

    [[nodiscard]] CTexture* GetTexture() const { return m_texture; }
    // Leaves the material without texture, unrecorded, and hands the texture (null
    // when none) to the caller.
    [[nodiscard]] CTexture* TakeTexture();
    // The texture's picture; null without one.
    [[nodiscard]] CDib* GetTextureImage() const;
    // Colours the texture with the tint (kind 2) and the transparency (when enabled).
    void UpdateTextureColoring();

    // Kind 0, or no texture picture.
    [[nodiscard]] bool IsPlainColor() const;
    // Kinds 1 and 2 with a picture that draws and whose texture is made or fits in the
    // textures' budget; a picture left out for the budget draws in GetColor.
    [[nodiscard]] bool IsTextured() const;
    [[nodiscard]] bool TextureHasAlpha() const;
    [[nodiscard]] bool IsTransparent() const;
    [[nodiscard]] bool IsOpaque() const;
    [[nodiscard]] bool IsFullyTransparent() const;
    // Drawn blended: transparent, or with a picture whose alpha shows through even while
    // transparency is off.
    [[nodiscard]] bool Blends() const;

    // The colour a plain material draws with: its colour, with the alpha of the
    // transparency when that is enabled (0 opaque, 1 invisible).
    [[nodiscard]] CColor GetViewColor() const;
    // Binds the texture for kinds 1 and 2 with a picture; otherwise hands the view
    // colour to the view. Nothing for colour 0.
    virtual void ApplyToView(IModelView* view);
    // Texture-coordinate generation from the two planes (a, b, c, d each), for
    // kinds 1 and 2 with a picture only.
    virtual void BeginTextureMapping(const double* sPlane, const double* tPlane);
    virtual void EndTextureMapping();

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);
    void ReadTexture(CArchive& ar, int version);
    void SettleAfterReading();
    [[nodiscard]] bool HasTexturePicture() const;
    [[nodiscard]] bool IsTextureKind() const;
    void ColorTexture();

    CString m_name;
    CTexture* m_texture = nullptr;
    // Until Erase hands the texture on, the material deletes it with itself; copies
    // never own it.
    bool m_ownsTexture = false;
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
// The optional material of old records: a number, then the reference when it is not 0.
// False, and the material left as it is, for 0.
bool ArchiveReadFlaggedMaterial(CArchive& ar, CMaterial*& material);
// A name beginning with "*" with that character replaced by the automatic-name prefix.
[[nodiscard]] CString ExpandAutoNamePrefix(const CString& name);
// The text without its run of trailing decimal digits.
[[nodiscard]] CString StripTrailingDigits(const CString& text);
