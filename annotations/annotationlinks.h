#pragma once
// The annotations need three things that the component and frame code of the model
// provide: the font entity (CTwFont), the font manager that finds or makes a font,
// and the model's two styles. Every such call goes through this file, so that it is
// the one place where they are joined.

#include "platform/cstring.h"

class CArchive;
class CDimensionStyle;
class CEntity;
class CTarnwickModel;
class CTextStyle;

// The kind of every font the styles and texts make: text drawn through text images.
inline constexpr int kTextImageFontKind = 6;

// A font as a style's settings describe it.
struct FontDescription
{
    CString face;
    int pointSize = 12;
    bool bold = false;
    bool italic = false;
    CString path;
};

// The font that the settings of a section ("DimensionStyle", "TextStyle") describe,
// with the face given here, 12 points, neither bold nor italic and no path when a
// value is missing.
[[nodiscard]] FontDescription ReadFontSettings(const CString& section, const CString& defaultFace);
// Finds or makes that font in the model's font manager (the current model's for null)
// and gives it the settings' path when it has none; null without a font manager.
[[nodiscard]] CEntity* CreateFontFromSettings(CTarnwickModel* model, const CString& section,
                                              const CString& defaultFace);

// Reads an object reference that must be a font (null allowed). The font class is
// found by its name, "CTwFont"; an object of another class, or any object while no
// font class is registered, is the archive exception badClass.
[[nodiscard]] CEntity* ReadFontReference(CArchive& ar);
// True for null and for objects of the font class.
[[nodiscard]] bool IsFont(const CEntity* entity);

// Take and drop a reference on a font; null is ignored.
void AddFontReference(CEntity* font);
void ReleaseFontReference(CEntity* font);
// Points a text's or a style's font at another one: drops the reference on the font it
// held and takes one on the new. False, and nothing done, for the font it holds already.
bool ReplaceFontReference(CEntity*& held, CEntity* font);
// The SetFont of the texts and styles: ReplaceFontReference, after recording the owner's
// change when asked; false, and nothing recorded, for the font it holds already.
bool ChangeFont(CEntity& owner, CEntity*& held, CEntity* font, bool record);
// Sets the font's kind; null is ignored.
void SetFontKind(CEntity* font, int kind);

// The model's font of this description and kind 6, made when the model has none.
// Null without a model or font manager.
[[nodiscard]] CEntity* FindOrCreateFont(CTarnwickModel* model, const FontDescription& description);

// The styles the model holds; null for null or while the model holds none.
[[nodiscard]] CDimensionStyle* GetModelDimensionStyle(CTarnwickModel* model);
[[nodiscard]] CTextStyle* GetModelTextStyle(CTarnwickModel* model);
