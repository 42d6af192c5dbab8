#pragma once
// CPrintDlg: the print dialog with the program's own page beside the printer's: what to
// print (the current view or the model's pages), fitted to the paper or to a scale given
// as a printed length against a model length, the printed size, the print quality, and
// how many sheets that makes. Every edit is read when it loses the focus, every list and
// switch when it changes, and each recomputes and shows all values again. OK is refused,
// with a message, while the print cannot be made: a scale that is no positive length, an
// area without size, or more sheets than a print may take.
//
// The options are loaded from and saved to the profile by the caller (CPrintOptions).
#include <array>

#include "app/printoptions.h"
#include "platform/ui/printdialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

class CPrintDlg : public CPrintDialog
{
public:
    // Control ids, which name the page's controls.
    enum ControlId
    {
        kCurrentViewRadio = 1257,
        kPagesRadio = 1258,
        kUseHLRCheck = 1261,
        kSectionSliceCheck = 1274,
        kModelExtentsCheck = 1275,
        kQualityCombo = 1276,
        kWidthEdit = 2328,
        kHeightEdit = 2329,
        kHeightUnitCombo = 2398,
        kWidthUnitCombo = 2399,
        kDrawingLengthEdit = 2450,
        kModelLengthEdit = 2451,
        kDrawingUnitCombo = 2452,
        kModelUnitCombo = 2453,
        kFitToPageCheck = 2455
    };
    // The caption of a dialog that prepares a preview.
    static constexpr int kPreviewCaptionId = 10564;
    // The unit names, in list order.
    static constexpr int kFirstUnitStringId = 10067;
    // Why a print cannot be made.
    static constexpr int kScaleProblemId = 10681;
    static constexpr int kAreaProblemId = 10682;
    static constexpr int kSheetsProblemId = 10683;

    CPrintDlg(const CPrintOptions& options, const CPrintContext& context, bool preview, QWidget* parent);
    ~CPrintDlg() override;

    [[nodiscard]] const CPrintOptions& GetOptions() const { return m_options; }
    [[nodiscard]] const CPrintContext& GetContext() const { return m_context; }
    // The message for a problem; empty for none.
    [[nodiscard]] static CString DescribeProblem(PrintProblem problem);

protected:
    QWidget* CreateOptionsPage() override;
    [[nodiscard]] CString GetOptionsPageTitle() const override;
    void OnInitDialog() override;
    bool OnOK() override;

private:
    struct LengthField
    {
        CPrintOptions::Length length;
        QLineEdit* edit = nullptr;
        QComboBox* units = nullptr;
    };

    QWidget* CreateRangeGroup(QWidget* parent);
    QWidget* CreateScaleGroup(QWidget* parent);
    QWidget* CreateQualityGroup(QWidget* parent);
    void ConnectLengthField(LengthField& field);
    // Recomputes from the options and shows every value, with signals held back.
    void Refresh();
    // The printer's paper and resolution as they are now.
    void ReadPrinter();

    CPrintOptions m_options;
    CPrintContext m_context;
    std::array<LengthField, 4> m_lengths{};
    QRadioButton* m_currentView = nullptr;
    QRadioButton* m_pages = nullptr;
    QSpinBox* m_firstPage = nullptr;
    QSpinBox* m_lastPage = nullptr;
    QCheckBox* m_useHLR = nullptr;
    QCheckBox* m_modelExtents = nullptr;
    QCheckBox* m_fitToPage = nullptr;
    QCheckBox* m_sectionSlice = nullptr;
    QComboBox* m_quality = nullptr;
    QLabel* m_sheets = nullptr;
    bool m_refreshing = false;
};
