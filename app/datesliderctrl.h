#pragma once
// CDateSliderCtrl: the shadow date slider, one step per day of the year, labelled with
// the months' initials spread evenly along its channel.
#include "app/gradientsliderctrl.h"

class CDateSliderCtrl : public CGradientSliderCtrl
{
public:
    explicit CDateSliderCtrl(QWidget* parent = nullptr);

    // The range 1..days in the year with the thumb on the day, the steps and the
    // colours of the seasons. Sends no change.
    void InitDateSlider(int daysInYear, int dayOfYear);
    // The string of the labels' font face and the string of the labels, split at ",".
    void SetFontNameId(int id) { m_fontNameId = id; }
    void SetLabelId(int id) { m_labelId = id; }

protected:
    void DrawLabels(QPainter& painter) override;
    // The channel ends short of the widget's right edge by what the last label, drawn
    // from its step to the right, needs beyond the channel, so that it is not cut off.
    void initStyleOption(QStyleOptionSlider* option) const override;

private:
    [[nodiscard]] QStringList GetLabels() const;
    [[nodiscard]] QFont GetLabelFont() const;

    int m_fontNameId = 0;
    int m_labelId = 0;
};
