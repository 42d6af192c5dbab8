#pragma once
// CDimensionStyle: the settings every dimension of a model reads: the label font, the
// line weight, the end marks, the extension-line gaps, the label placement, the colours
// and the rules that hide dimensions seen too obliquely or too small. A model holds
// exactly one and keeps it in its file as an embedded record.

#include <cstdint>

#include "foundation/color.h"
#include "model/entity.h"

class CAnnotationCheck;

class CDimensionStyle : public CEntity
{
    DECLARE_SERIAL(CDimensionStyle)

public:
    // Linear label placements.
    enum LabelPlacement : std::int32_t
    {
        kLabelAbove = 0,
        kLabelCentred = 1,
        kLabelBelow = 2,
        kLabelAboveUnlessFar = 3,
        kLabelBelowUnlessFar = 4
    };

    // A style without a model: its font comes from the current model.
    CDimensionStyle();
    // The defaults, then the default font from the settings.
    explicit CDimensionStyle(CTarnwickModel* model);
    // Every field but the model, which the copy has none of; the font is shared
    // without taking a reference.
    CDimensionStyle(const CDimensionStyle& other);
    // Releases nothing.
    ~CDimensionStyle() override;

    // Reads or writes the style record. Throws the archive exception on bad input,
    // and badClass for a font reference to another class. Reading mends values out of
    // range, and a threshold that is not finite reads as 0 (said on standard error).
    void Serialize(CArchive& ar) override;
    // Records the change, then erases the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges every field but the model; the other entity must be a dimension style.
    void SwapData(CEntity& other) override;
    [[nodiscard]] CTarnwickModel* GetModel() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Every field's default (the model stays), then the default font.
    void SetDefaults();
    // Finds or makes the font the settings ("DimensionStyle") describe in the model's
    // (or the current model's) font manager; nothing without one.
    void CreateDefaultFont();
    // The font, made by CreateDefaultFont when there is none; may stay null.
    [[nodiscard]] CEntity* GetFont();
    [[nodiscard]] CEntity* PeekFont() const { return m_font; }
    // Nothing for the current font. Records the change when asked, releases the old
    // font and references the new one, and tells the current model's root component
    // that its geometry changed.
    void SetFont(CEntity* font, bool record);

    [[nodiscard]] std::int32_t GetFontKind() const { return m_fontKind; }
    [[nodiscard]] bool IsLabelInPlane() const { return m_labelInPlane; }
    [[nodiscard]] bool IsFlipped() const { return m_flip; }
    [[nodiscard]] std::int32_t GetExtensionGap() const { return m_extensionGap; }
    [[nodiscard]] std::int32_t GetExtensionOvershoot() const { return m_extensionOvershoot; }
    [[nodiscard]] std::int32_t GetLineWeight() const { return m_lineWeight; }
    [[nodiscard]] std::int32_t GetEndMarkType() const { return m_endMarkType; }
    [[nodiscard]] std::int32_t GetEndMarkSize() const { return m_endMarkSize; }
    [[nodiscard]] bool IsHighlighting() const { return m_highlight; }
    [[nodiscard]] CColor GetHighlightColor() const { return m_highlightColor; }
    [[nodiscard]] bool HasPrefix() const { return m_prefix; }
    [[nodiscard]] bool HidesOblique() const { return m_obliqueHide; }
    [[nodiscard]] double GetObliqueThreshold() const { return m_obliqueThreshold; }
    [[nodiscard]] bool HidesSmall() const { return m_smallHide; }
    [[nodiscard]] double GetMinimumScreenLength() const { return m_minimumScreenLength; }
    [[nodiscard]] CColor GetDefaultColor() const { return m_defaultColor; }
    [[nodiscard]] CColor GetLabelColor() const { return m_labelColor; }
    [[nodiscard]] std::int32_t GetLabelPlacement() const { return m_labelPlacement; }

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    int CheckStyle(int mode, CValidityResultMap* results);
    // Mends the values the checks repair; the reader runs it on what a file holds.
    void RepairValues(CAnnotationCheck* check);
    void MendThresholds();

    CTarnwickModel* m_model = nullptr;
    CEntity* m_font = nullptr;  // a CTwFont
    std::int32_t m_fontKind = 6;
    bool m_labelInPlane = false;
    bool m_flip = true;
    std::int32_t m_extensionGap = 5;
    std::int32_t m_extensionOvershoot = 10;
    std::int32_t m_lineWeight = 1;
    std::int32_t m_endMarkType = 3;
    std::int32_t m_endMarkSize = 10;
    bool m_highlight = false;
    CColor m_highlightColor{255, 0, 0, 255};
    bool m_prefix = true;
    bool m_obliqueHide = false;
    double m_obliqueThreshold = 0.6;
    bool m_smallHide = false;
    double m_minimumScreenLength = 10.0;
    CColor m_defaultColor{64, 64, 64, 255};
    CColor m_labelColor;
    std::int32_t m_labelPlacement = kLabelCentred;
};
