#pragma once
// CShadowToolBar: the frame's Shadows bar: a button that opens and closes the Shadow
// Settings window, a button that shows or hides the shadows, and the date and time
// sliders of the shadows. It follows the shadows' notices for as long as it exists, so
// it stays in step with the window, the Shadows command and the pages. Its buttons grow
// with the frame's large buttons.
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <array>

#include "document/utctime.h"
#include "foundation/notificationcenter.h"
#include "platform/ui/cmdtarget.h"
#include "platform/ui/controlbar.h"
#include "platform/ui/uitypes.h"

class CButtonImageST;
class CDateSliderCtrl;
class CTimeSliderCtrl;

class CShadowToolBar : public CControlBar, public CCmdTarget, public IObserver
{
public:
    static constexpr UINT kBarId = 103;
    static constexpr int kTitleStringId = 10547;
    // Controls and their commands.
    static constexpr UINT kSettingsButton = 1212;
    static constexpr UINT kDisplayButton = 1213;
    static constexpr int kDateSlider = 1097;
    static constexpr int kTimeSlider = 1098;

    CShadowToolBar();
    // Stops observing.
    ~CShadowToolBar() override;

    // The bar docked at the top of the frame, laid out for small buttons, and observing;
    // false when the frame has no window.
    bool Create(CFrameWnd& frame);
    // Reads the current model's shadow time into the sliders; nothing without a model.
    // Unless full, a date slider already spanning the year only moves its thumb.
    void Refresh(bool full);
    // Between the layout for small buttons (the first) and the one for large buttons.
    void ToggleLayout();
    [[nodiscard]] bool IsNormalLayout() const { return m_normalLayout; }
    // The buttons' check states from their update rules, as the idle update does.
    void UpdateButtons();
    void OnNotify(const std::string& name, void* data) override;

    // The panel the controls sit on, and its controls; null before Create.
    [[nodiscard]] QWidget* GetPanel() const { return m_panel; }
    [[nodiscard]] QWidget* GetControl(int id) const;
    [[nodiscard]] CButtonImageST* GetButton(UINT id) const;
    [[nodiscard]] CDateSliderCtrl* GetDateSlider() const;
    [[nodiscard]] CTimeSliderCtrl* GetTimeSlider() const;

private:
    void AddCommands();
    void CreateControls();
    void InitControls();
    void ShowLayout(bool normal);
    void OnDateSlider();
    void OnTimeSlider();
    void Apply();
    void StopObserving();

    QPointer<QWidget> m_panel;
    CUtcTime m_time;
    bool m_normalLayout = true;
    // The four controls' places and the bar's size as the small layout has them.
    std::array<QRect, 4> m_normalRects{};
    QSize m_normalSize;
    bool m_applying = false;
    bool m_observing = false;
};
