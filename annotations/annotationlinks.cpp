#include "annotations/annotationlinks.h"

#include "document/tarnwickmodel.h"
#include "model/entity.h"
#include "platform/archive.h"
#include "platform/profile.h"

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

// The font entity keeps its own reference count; until the font class joins the model
// library the annotations hold their fonts without counting.
void AddFontReference(CEntity* /*font*/)
{
}

void ReleaseFontReference(CEntity* /*font*/)
{
}

void SetFontKind(CEntity* /*font*/, int /*kind*/)
{
}

// The model has no font manager yet, so no font can be found or made. Once it has:
// the manager's font of this face, italic, bold, point size and kind 6, given the
// description's path when the font has none and the path is not empty.
CEntity* FindOrCreateFont(CTarnwickModel* /*model*/, const FontDescription& /*description*/)
{
    return nullptr;
}

// The model holds no styles yet.
CDimensionStyle* GetModelDimensionStyle(CTarnwickModel* /*model*/)
{
    return nullptr;
}

CTextStyle* GetModelTextStyle(CTarnwickModel* /*model*/)
{
    return nullptr;
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
