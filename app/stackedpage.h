#pragma once
// CStackedPage: one page of a stacked dialog, a child dialog shown in its owner's page
// area. Enter and Escape do nothing inside a page.
#include "platform/ui/dialog.h"

class CTarnwickModel;

class CStackedPage : public CDialog
{
public:
    explicit CStackedPage(UINT templateId) : CDialog(templateId, WS_CHILD) {}

    virtual void OnPageActivate() {}
    virtual void OnPageDeactivate() {}
    virtual void ResetModified() { SetModified(false); }
    virtual void SetModified(bool modified) { m_modified = modified; }
    [[nodiscard]] bool IsModified() const { return m_modified; }
    // The model the page shows; null for none.
    virtual void SetModel(CTarnwickModel* /*model*/) {}

    void OnOK() override {}
    void OnCancel() override {}

private:
    bool m_modified = false;
};
