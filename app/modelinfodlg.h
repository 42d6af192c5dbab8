#pragma once
// CModelInfoDlg: the "Model Info" tool window: a list of pages on the left ("File",
// "Statistics") and the chosen page on the right. It remembers the page last chosen and
// hands the current model to its pages whenever the model or its name may have changed.
#include <array>
#include <memory>

#include "app/stackeddialog.h"
#include "foundation/notificationcenter.h"

class CModelInfoDlg : public CStackedDialog, public IObserver
{
public:
    static constexpr UINT kTemplateId = 519;
    static constexpr int kPageList = 2205;
    static constexpr int kPageArea = 2695;
    static constexpr int kTitleStringId = 21600;
    static constexpr int kFileStringId = 21602;
    static constexpr int kStatisticsStringId = 21610;
    // The slots of the two pages it fills.
    static constexpr int kFileSlot = 0;
    static constexpr int kStatisticsSlot = 4;

    CModelInfoDlg();
    ~CModelInfoDlg() override;

    [[nodiscard]] CString GetSectionName() const override { return CString("ModelInfoDlg"); }
    void CreateTemplateControls() override;
    bool OnInitDialog() override;
    void OnShowWindow(bool show) override;
    void OnCancel() override;
    void Close() override;
    void OnDestroy() override;
    void OnPageShown(CStackedPage* page, bool shown) override;
    void OnNotify(const std::string& name, void* data) override;

    // The page whose list entry reads exactly the string; false when none does.
    bool SelectPageByName(int stringId);
    // The list entry of the page is selected, and the page shown when asked.
    void SelectPageByPointer(CStackedPage* page, bool show);
    [[nodiscard]] CStackedPage* GetPage(int slot) const { return m_pages[static_cast<size_t>(slot)].get(); }
    [[nodiscard]] bool IsObserving() const { return m_observing; }
    // "Model Info", with " - " and the model file's name when it has one.
    void UpdateTitle();

private:
    void OnPageChosen(int index);
    void ShowListPage(int index);
    void GiveModelToPages();
    void StopObserving();
    [[nodiscard]] CStackedPage* PageOfEntry(int index) const;

    std::array<std::unique_ptr<CStackedPage>, 10> m_pages;
    bool m_observing = false;
};
