#pragma once
// Host services the tools' tests install in place of the program's windows: they keep the
// status panes, the value box and the cursor so a test can read them.
#include <map>

#include "render/hostservices.h"

class CRecordingHost : public IHostServices
{
public:
    CRecordingHost() { SetHostServices(this); }
    ~CRecordingHost() override { SetHostServices(nullptr); }
    CRecordingHost(const CRecordingHost&) = delete;
    CRecordingHost& operator=(const CRecordingHost&) = delete;

    // Every tool cursor is one token here, never shown; the id asked for is kept.
    HCURSOR GetToolCursor(int cursorId) override
    {
        ++cursorLoads;
        lastCursorId = cursorId;
        return reinterpret_cast<HCURSOR>(&cursorToken);
    }
    void SetCursorIfValid(HCURSOR cursor) override { this->cursor = cursor; }
    ITarnisView* GetActiveTarnisView() override { return activeView; }
    bool IsValueBoxActive() override { return valueBox; }
    void SetValueBoxActive(bool active) override { valueBox = active; }
    void ClearStatusBarText() override { panes.clear(); }
    void SetStatusText(int pane, const CString& text, bool /*update*/) override { panes[pane] = text; }
    void UpdateAllViewsOfActiveDoc() override {}
    void ReleaseCapture() override { ++releases; }
    bool GetCursorPos(CPoint2d& screen) override
    {
        screen = pointer;
        return true;
    }

    [[nodiscard]] CString Pane(int pane) const
    {
        const auto found = panes.find(pane);
        return found != panes.end() ? found->second : CString();
    }

    std::map<int, CString> panes;
    bool valueBox = false;
    HCURSOR cursor = nullptr;
    int cursorLoads = 0;
    int lastCursorId = 0;
    int cursorToken = 0;
    int releases = 0;
    ITarnisView* activeView = nullptr;
    CPoint2d pointer;
};
