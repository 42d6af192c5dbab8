#include "document/fontmanager.h"

#include <algorithm>

#include "annotations/dimensionstyle.h"
#include "annotations/text.h"
#include "annotations/textstyle.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/containeriterator.h"
#include "document/definitionlist.h"
#include "document/documentcheck.h"
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

void AddTextFonts(const CComponent& component, std::vector<CEntity*>& fonts)
{
    for (const CDrawingElement* element : component.GetEntityList()) {
        if (const auto* text = dynamic_cast<const CText*>(element); text != nullptr && text->GetFont() != nullptr) {
            fonts.push_back(text->GetFont());
        }
    }
}

// The own fonts of the texts of the root component and of every definition.
std::vector<CEntity*> CollectTextFonts(const CTarnwickModel* model)
{
    std::vector<CEntity*> fonts;
    const CComponent* root = model->GetRootComponent();
    if (root == nullptr) {
        return fonts;
    }
    AddTextFonts(*root, fonts);
    if (const CDefinitionList* definitions = root->GetDefinitionList()) {
        for (const CComponentDefinition* definition : definitions->GetDefinitions()) {
            AddTextFonts(*definition, fonts);
        }
    }
    return fonts;
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
    return RunDocumentCheck(*this, RUNTIME_CLASS(CFontManager), results, [&]() {
        CDocumentCheck check(*this, mode);
        check.Take(CEntity::CheckValidity(mode, results));
        for (std::size_t i = 0; i < m_fonts.size(); ++i) {
            if (AsFont(m_fonts[i]) == nullptr) {
                check.Broken(kMsgFontManagerBadEntry, kValidityBroken, static_cast<int>(i));
            }
        }
        CheckFontUses(check);
        return check.GetSeverity();
    });
}

void CFontManager::CheckFontUses(CDocumentCheck& check)
{
    // A font held twice would be counted twice: the later entry goes.
    for (std::size_t i = m_fonts.size(); i-- > 0;) {
        const auto first = std::find(m_fonts.begin(), m_fonts.end(), m_fonts[i]);
        if (static_cast<std::size_t>(first - m_fonts.begin()) < i &&
            check.Repairable(kMsgFontHeldTwice, static_cast<int>(i))) {
            m_fonts.erase(m_fonts.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    CTarnwickModel* model = GetModel() != nullptr ? GetModel() : GetCurrentModel();
    if (model == nullptr) {
        return;
    }
    // Every font a text or a style uses is one of the model's: copies and saved files
    // take fonts from here.
    const auto require = [&](CEntity* used, int id) {
        CTwFont* font = AsFont(used);
        if (font != nullptr && !ListContains(m_fonts, font) && check.Repairable(id)) {
            if (CUndoOperation* operation = RecordingOperation(this)) {
                operation->RecordAdd(font, this);
            }
            Add(font);
        }
    };
    for (CEntity* font : CollectTextFonts(model)) {
        require(font, kMsgFontMissingForText);
    }
    if (model->GetTextStyle() != nullptr) {
        require(model->GetTextStyle()->PeekFont(), kMsgFontMissingForStyle);
    }
    if (model->GetDimensionStyle() != nullptr) {
        require(model->GetDimensionStyle()->PeekFont(), kMsgFontMissingForStyle);
    }
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
