#include "annotations/annotationlinks.h"

#include "document/tarnwickmodel.h"
#include "model/entity.h"
#include "platform/archive.h"
#include "platform/profile.h"

#include "document/fontmanager.h"
#include "document/twfont.h"

namespace {

const char* const kFontClassName = "CTwFont";

const CRuntimeClass* FindFontClass()
{
    return CRuntimeClass::FromName(kFontClassName);
}

}  // namespace

CEntity* ReadFontReference(CArchive& ar)
{
    // Reading with the entity class keeps other objects out before the exact test.
    CObject* object = ar.ReadObject(RUNTIME_CLASS(CEntity));
    if (object == nullptr) {
        return nullptr;
    }
    const CRuntimeClass* fontClass = FindFontClass();
    if (fontClass == nullptr || !object->IsKindOf(fontClass)) {
        AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
    }
    return static_cast<CEntity*>(object);
}

bool IsFont(const CEntity* entity)
{
    if (entity == nullptr) {
        return true;
    }
    const CRuntimeClass* fontClass = FindFontClass();
    return fontClass != nullptr && entity->IsKindOf(fontClass);
}

// Fonts belong to the model's font manager; texts and styles only point at them, so
// taking and dropping a font counts nothing while the font keeps no count of its users.
void AddFontReference(CEntity* /*font*/)
{
}

void ReleaseFontReference(CEntity* /*font*/)
{
}

void SetFontKind(CEntity* font, int kind)
{
    if (font != nullptr) {
        static_cast<CTwFont*>(font)->SetFontKind(kind);
    }
}

CEntity* FindOrCreateFont(CTarnwickModel* model, const FontDescription& description)
{
    CFontManager* fonts = model != nullptr ? model->GetFontManager() : nullptr;
    if (fonts == nullptr) {
        return nullptr;
    }
    CTwFont* font =
        fonts->GetFont(description.face, description.bold, description.italic, description.pointSize, kTextImageFontKind);
    if (font != nullptr && font->GetFontPath().IsEmpty() && !description.path.IsEmpty()) {
        font->SetFontPath(description.path);
    }
    return font;
}

CDimensionStyle* GetModelDimensionStyle(CTarnwickModel* model)
{
    return model != nullptr ? model->GetDimensionStyle() : nullptr;
}

CTextStyle* GetModelTextStyle(CTarnwickModel* model)
{
    return model != nullptr ? model->GetTextStyle() : nullptr;
}

FontDescription ReadFontSettings(const CString& section, const CString& defaultFace)
{
    FontDescription font;
    font.face = GetProfileString(section, "FontFace", defaultFace);
    font.pointSize = GetProfileInt(section, "FontPointSize", 12);
    font.bold = GetProfileBool(section, "FontBold", false);
    font.italic = GetProfileBool(section, "FontItalic", false);
    font.path = GetProfileString(section, "FontPath", CString());
    return font;
}

CEntity* CreateFontFromSettings(CTarnwickModel* model, const CString& section, const CString& defaultFace)
{
    return FindOrCreateFont(model != nullptr ? model : GetCurrentModel(), ReadFontSettings(section, defaultFace));
}
