#pragma once
// CGraphicsCardPP: the OpenGL page of the preferences. The user switches hardware
// acceleration and the stencil shadows' method and picks one of the pixel formats the
// display offers; applying writes the OpenGL configuration and, when something changed,
// replaces the main view by one with the new format (keeping the camera). The page also
// opens the "OpenGL Details" box and the graphics-card survey.
#include <QWidget>
#include <initializer_list>
#include <vector>

#include "platform/cstring.h"
#include "platform/gl/wgl.h"
#include "render/pixelformatrecord.h"

class QCheckBox;
class QPushButton;
class QTreeWidget;

// The text of a colour depth in bits: "Unknown" for -1, "16 Colors" for 4, "256 Colors"
// for 8, the named depths for 16, 24 and 32, "<n> bit Color" otherwise.
[[nodiscard]] CString FormatColorDepth(int bits);
[[nodiscard]] CString BoolToYesNo(bool value);
[[nodiscard]] CString BoolToTrueFalse(bool value);
// A string-table text with "%1!d!", "%2!d!" ... filled with the numbers.
[[nodiscard]] CString FormatNumberedString(int stringId, std::initializer_list<int> numbers);
// The OpenGL device of the main view; null without one.
[[nodiscard]] HDC GetActiveViewDC();
// The main view's pixel format as "<index>,<description>", the description's fields
// separated by commas.
[[nodiscard]] CString DescribeActiveViewPixelFormat();

class CGraphicsCardPP : public QWidget
{
public:
    // Control ids.
    static constexpr int kCarmackReverseId = 1319;
    static constexpr int kFastFeedbackId = 1209;
    static constexpr int kHardwareAccelerationId = 1024;
    static constexpr int kReversedPickingId = 1048;
    static constexpr int kFormatListId = 1206;
    static constexpr int kSurveyId = 1219;
    static constexpr int kDetailsId = 1205;

    // Reads the configuration and fills the list with the formats the main view's
    // device offers for it; the current format is always listed.
    explicit CGraphicsCardPP(QWidget* parent = nullptr);

    // Saves the page's state (UpdateData (TRUE)), then stores the fast-feedback choice.
    void Apply();
    void SetModified(bool modified) { m_modified = modified; }
    [[nodiscard]] bool IsModified() const { return m_modified; }

    [[nodiscard]] int GetSelectedFormat() const { return m_selectedFormat; }
    [[nodiscard]] const std::vector<CPixelFormatRecord>& GetCandidates() const { return m_candidates; }
    [[nodiscard]] QTreeWidget* GetFormatList() const { return m_list; }
    [[nodiscard]] QCheckBox* GetCheckBox(int id) const;
    [[nodiscard]] QPushButton* GetButton(int id) const;

    // Handlers of the controls, also called by tests.
    void OnBnClickedUseHardwareAcceleration();
    void OnBnClickedUseFastFeedback();
    void OnBnClickedCorrectReversedPicking();
    void OnBnClickedDetails();
    void OnBnClickedSurvey();
    // The row became the selected one (a click or the keys).
    void OnFormatRowChosen();

private:
    void CreateControls();
    void FillPixelFormatList(bool chooseBest);
    void LoadChecks();
    // The saving half of the data exchange; true when the OpenGL settings changed.
    bool SaveSettings();
    void ReplaceViewOrAskForRestart();
    void WarnAboutSixteenBitColour();
    [[nodiscard]] PIXELFORMATDESCRIPTOR DescribeSelectedFormat() const;

    QCheckBox* m_carmackBox = nullptr;
    QCheckBox* m_fastFeedbackBox = nullptr;
    QCheckBox* m_hardwareBox = nullptr;
    QCheckBox* m_reversedBox = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_surveyButton = nullptr;
    QPushButton* m_detailsButton = nullptr;

    bool m_accelerated = false;
    bool m_initialAccelerated = false;
    bool m_reversedPicking = false;
    bool m_initialReversedPicking = false;
    bool m_carmackReverse = false;
    bool m_initialCarmackReverse = false;
    int m_selectedFormat = 0;
    int m_initialFormat = 0;
    int m_selectedRow = -1;
    std::vector<CPixelFormatRecord> m_candidates;
    bool m_swapCopyFormatsExist = false;
    int m_fastFeedback = 1;
    bool m_modified = false;
    // Set while the list is filled, so that its own selection is no user's choice.
    bool m_filling = false;
};
