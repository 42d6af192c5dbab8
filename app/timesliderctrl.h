#pragma once
// CTimeSliderCtrl: the shadow time slider. Its range is the minutes of the day from
// sunrise to sunset of the shown day and place, and it is labelled with the sunrise time
// at its left end, "Noon" in the middle and the sunset time at its right end.
#include "app/gradientsliderctrl.h"
#include "platform/cstring.h"

class CShadowInfo;
class CUtcTime;

class CTimeSliderCtrl : public CGradientSliderCtrl
{
public:
    explicit CTimeSliderCtrl(QWidget* parent = nullptr);

    void SetLeftLabel(const CString& text);
    void SetMiddleLabel(const CString& text);
    void SetRightLabel(const CString& text);
    [[nodiscard]] const CString& GetLeftLabel() const { return m_left; }
    [[nodiscard]] const CString& GetMiddleLabel() const { return m_middle; }
    [[nodiscard]] const CString& GetRightLabel() const { return m_right; }

    // The dawn-to-night colours, the steps and the middle label from that string.
    void InitTimeSlider(int middleLabelId);
    // Sunrise to sunset of the shadow settings' day, labelled, with the thumb on the
    // shown time (held inside the range). Sends no change.
    void ShowDay(const CShadowInfo& shadows, const CUtcTime& shown);
    // The time the thumb stands for: the sunrise plus the minutes from the left end.
    [[nodiscard]] CUtcTime GetTimeAtThumb(const CShadowInfo& shadows) const;

protected:
    void DrawLabels(QPainter& painter) override;

private:
    CString m_left;
    CString m_middle;
    CString m_right;
};
