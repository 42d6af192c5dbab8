#pragma once
// CTextStyle: the model-wide defaults of text annotations: the font of every text
// without a font of its own, and the leader's end mark, line weight and kind, two
// flags and a colour for new texts. A model holds exactly one and keeps it in its file
// as an embedded record. Its first values come from the settings section "TextStyle".

#include <cstdint>

#include "foundation/color.h"
#include "model/entity.h"

class CTextStyle : public CEntity
{
    DECLARE_SERIAL(CTextStyle)

public:
    // A style without a model and without a font (the reader's).
    CTextStyle();
    // The defaults, then the settings and the default font (LoadDefaults).
    explicit CTextStyle(CTarnwickModel* model);
    // Every field but the model (null in the copy); the font is shared.
    CTextStyle(const CTextStyle& other);
    ~CTextStyle() override;

    // Reads or writes the style record. Throws the archive exception on bad input,
    // and badClass for a font reference to another class. Reading records no change.
    void Serialize(CArchive& ar) override;
    // Records the change, then erases the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges the font and every value with another text style (undo).
    void SwapData(CEntity& other) override;
    [[nodiscard]] CTarnwickModel* GetModel() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Leader arrow, line weight, leader type and colour from the settings (the current
    // values as defaults), the first flag cleared, and the settings' font found or made
    // in the model's font manager; no change is recorded.
    void LoadDefaults();
    // Finds or makes the settings' font in the model's (or the current model's) font
    // manager and takes it, recording no change; nothing without a font manager.
    void CreateDefaultFont();
    // CreateDefaultFont when the style has no font; the model calls it after reading a
    // file. The other values stay as they are.
    void EnsureFont();
    // The font, after EnsureFont; null without a font manager.
    [[nodiscard]] CEntity* GetFont();
    [[nodiscard]] CEntity* PeekFont() const { return m_font; }
    // Nothing for the same font; records the change when asked, releases the old font
    // and references the new one.
    void SetFont(CEntity* font, bool record);

    // The setters record the change when the value differs.
    void SetLeaderArrow(std::int32_t arrow);
    [[nodiscard]] std::int32_t GetLeaderArrow() const { return m_leaderArrow; }
    void SetLineWeight(std::int32_t weight);
    [[nodiscard]] std::int32_t GetLineWeight() const { return m_lineWeight; }
    void SetFirstFlag(bool flag);
    [[nodiscard]] bool GetFirstFlag() const { return m_firstFlag; }
    void SetLeaderType(std::int32_t type);
    [[nodiscard]] std::int32_t GetLeaderType() const { return m_leaderType; }
    void SetSecondFlag(bool flag);
    [[nodiscard]] bool GetSecondFlag() const { return m_secondFlag; }
    void SetColor(CColor color);
    [[nodiscard]] CColor GetColor() const { return m_color; }
    [[nodiscard]] std::int32_t GetFontKind() const { return m_fontKind; }

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;

    CTarnwickModel* m_model = nullptr;
    CEntity* m_font = nullptr;  // a CTwFont
    std::int32_t m_leaderArrow = 3;
    std::int32_t m_lineWeight = 1;
    bool m_firstFlag = false;
    std::int32_t m_leaderType = 2;
    bool m_secondFlag = true;
    std::int32_t m_fontKind = 6;
    CColor m_color{0, 0, 0, 255};
};
