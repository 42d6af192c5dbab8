#include "document/fontmanager.h"

#include <algorithm>

#include "document/containeriterator.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "model/entitylist.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CFontManager, CEntity, VERSIONABLE_SCHEMA | 0)

namespace {

CUndoOperation* RecordingOperation(const CEntity* entity)
{
    return IsRecordingChanges() ? entity->GetUndoOperation() : nullptr;
}

CTwFont* AsFont(const CEntity* entity)
{
    return dynamic_cast<CTwFont*>(const_cast<CEntity*>(entity));
}

}  // namespace

CFontManager::CFontManager(CEntity* parent)
{
    SetParent(parent);
}

CFontManager::~CFontManager() = default;

void CFontManager::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteReferences(ar, m_fonts);
    }
}

void CFontManager::ReadRecord(CArchive& ar)
{
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        CTwFont* font = ArchiveReadTwFont(ar);
        // A font of another manager would be erased twice.
        if (font == nullptr || (font->GetParent() != nullptr && font->GetParent() != this)) {
            continue;
        }
        if (CUndoOperation* operation = RecordingOperation(this)) {
            operation->RecordAdd(font, this);
        }
        Add(font);
    }
}

void CFontManager::Erase()
{
    EraseEach(m_fonts);
    m_fonts.clear();
    CEntity::Erase();
}

int CFontManager::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CFontManager), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        if (AsFont(m_fonts[i]) == nullptr) {
            AppendValidityMessage("%s holds no font at index %d", GetEntityLabel(this), static_cast<int>(i));
            result = kValidityBroken;
        }
    }
    return SetCheckResult(result, results);
}

int CFontManager::GetTypeId() const
{
    return kTypeFontManager;
}

int CFontManager::GetCount() const
{
    return static_cast<int>(m_fonts.size());
}

bool CFontManager::IsEmpty() const
{
    return m_fonts.empty();
}

bool CFontManager::Contains(const CEntity* entity) const
{
    return ListContains(m_fonts, AsFont(entity));
}

void CFontManager::Add(CEntity* entity)
{
    CTwFont* font = AsFont(entity);
    if (font == nullptr) {
        return;
    }
    font->SetParent(this);
    AppendOnce(m_fonts, font);
}

bool CFontManager::Remove(CEntity* entity)
{
    CTwFont* font = AsFont(entity);
    const auto found = std::find(m_fonts.begin(), m_fonts.end(), font);
    if (font == nullptr || found == m_fonts.end()) {
        return false;
    }
    m_fonts.erase(found);
    font->SetParent(nullptr);
    return true;
}

void CFontManager::RemoveAll()
{
    EraseEach(m_fonts);
    m_fonts.clear();
}

CEntity* CFontManager::GetAt(int index) const
{
    return ListAt(m_fonts, index);
}

IEntityIterator* CFontManager::NewIterator()
{
    return new CContainerIterator(this);
}

CTwFont* CFontManager::GetFont(const CString& faceName, bool bold, bool italic, int height, int kind)
{
    for (CTwFont* font : m_fonts) {
        if (font->GetFaceName().CompareNoCase(faceName) == 0 && font->IsBold() == bold &&
            font->IsItalic() == italic && font->GetHeight() == height && font->GetFontKind() == kind) {
            return font;
        }
    }
    auto* font = new CTwFont;
    font->Set(faceName, bold, italic, height);
    font->SetFontKind(kind);
    if (CUndoOperation* operation = RecordingOperation(this)) {
        operation->RecordAdd(font, this);
    }
    Add(font);
    return font;
}

void CFontManager::RemoveFont(CTwFont* font)
{
    if (!Remove(font)) {
        return;
    }
    if (CUndoOperation* operation = RecordingOperation(this)) {
        operation->RecordRemove(font, this);
    }
}

void CFontManager::ReleaseDisplayResources()
{
    for (CTwFont* font : m_fonts) {
        font->ReleaseGLFont();
    }
}

CFontManager* GetCurrentFontManager()
{
    CTarnwickModel* model = GetCurrentModel();
    return model != nullptr ? model->GetFontManager() : nullptr;
}
