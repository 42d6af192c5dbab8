#pragma once
// CFontManager: the model's list of fonts, shared by texts and dimensions so that equal
// fonts exist once. The model owns one with the root component as its parent.

#include <vector>

#include "model/entity.h"
#include "model/entitycontainer.h"
#include "platform/cstring.h"

class CDocumentCheck;
class CTwFont;

class CFontManager : public CEntity, public IEntityContainer
{
    DECLARE_SERIAL(CFontManager)

public:
    explicit CFontManager(CEntity* parent = nullptr);
    // Frees the list; the fonts go with Erase or RemoveAll.
    ~CFontManager() override;

    // Reads or writes the font list. Reading keeps the fonts already held and adds
    // each font once; a font that another manager holds is skipped. Throws the archive
    // exception on bad input.
    void Serialize(CArchive& ar) override;
    // Erases every font, then the entity.
    void Erase() override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // IEntityContainer over the fonts.
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] bool IsEmpty() const override;
    [[nodiscard]] bool Contains(const CEntity* entity) const override;
    // Becomes the font's parent and appends it unless held already.
    void Add(CEntity* entity) override;
    // Takes the font out and clears its parent; false when it was not held.
    bool Remove(CEntity* entity) override;
    // Erases every font, then empties the list.
    void RemoveAll() override;
    [[nodiscard]] CEntity* GetAt(int index) const override;
    [[nodiscard]] IEntityIterator* NewIterator() override;

    // The first font with this face (ignoring case), flags, height and kind; made,
    // recorded for undo and added when there is none.
    CTwFont* GetFont(const CString& faceName, bool bold, bool italic, int height, int kind);
    // Removes the font and records the removal.
    void RemoveFont(CTwFont* font);
    // Every font forgets its drawing side (the OpenGL context went away).
    void ReleaseDisplayResources();

    [[nodiscard]] const std::vector<CTwFont*>& GetFonts() const { return m_fonts; }

private:
    // Fonts held twice, and fonts of texts and styles the list does not hold (the
    // repair adds them).
    void CheckFontUses(CDocumentCheck& check);
    void ReadRecord(CArchive& ar);

    std::vector<CTwFont*> m_fonts;
};

// The font manager of the current model; null without one.
[[nodiscard]] CFontManager* GetCurrentFontManager();
