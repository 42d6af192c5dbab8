#include "app/timesliderctrl.h"

#include <QPainter>
#include <QSignalBlocker>
#include <algorithm>

#include "app/sliderlabelfont.h"
#include "document/shadowinfo.h"
#include "document/utctime.h"
#include "platform/ui/stringtable.h"

namespace {

constexpr int kThumbWidth = 5;
constexpr int kLineSize = 5;
constexpr int kPageSize = 60;
constexpr int kSunTimeFormatId = 10559;
constexpr std::int64_t kSecondsPerMinute = 60;

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

}  // namespace

CTimeSliderCtrl::CTimeSliderCtrl(QWidget* parent) : CGradientSliderCtrl(Qt::Horizontal, parent)
{
    SetThumbWidth(kThumbWidth);
}

void CTimeSliderCtrl::SetLeftLabel(const CString& text)
{
    m_left = text;
    update();
}

void CTimeSliderCtrl::SetMiddleLabel(const CString& text)
{
    m_middle = text;
    update();
}

void CTimeSliderCtrl::SetRightLabel(const CString& text)
{
    m_right = text;
    update();
}

void CTimeSliderCtrl::InitTimeSlider(int middleLabelId)
{
    SetColorStops({RGB(255, 255, 255), RGB(143, 183, 213), RGB(97, 115, 255), RGB(0, 0, 0)});
    setSingleStep(kLineSize);
    setPageStep(kPageSize);
    SetMiddleLabel(LoadStringResource(middleLabelId));
}

void CTimeSliderCtrl::ShowDay(const CShadowInfo& shadows, const CUtcTime& shown)
{
    const QSignalBlocker blocker(this);
    const int first = shadows.GetSunrise().GetMinuteOfDay();
    const int last = shadows.GetSunset().GetMinuteOfDay();
    setRange(first, last);
    const CString format = LoadStringResource(kSunTimeFormatId);
    const std::string pattern = format.ToUtf8();
    SetLeftLabel(shadows.GetSunrise().Format(pattern.c_str()));
    SetRightLabel(shadows.GetSunset().Format(pattern.c_str()));
    setValue(std::clamp(shown.GetMinuteOfDay(), minimum(), std::max(minimum(), maximum())));
    update();
}

CUtcTime CTimeSliderCtrl::GetTimeAtThumb(const CShadowInfo& shadows) const
{
    return shadows.GetSunrise() + static_cast<std::int64_t>(value() - minimum()) * kSecondsPerMinute;
}

void CTimeSliderCtrl::DrawLabels(QPainter& painter)
{
    const QRect channel = GetChannelRect();
    const int third = channel.width() / 3;
    const int top = channel.bottom() + 1 + (IsCompact() ? 0 : kSliderLabelGap);
    painter.save();
    painter.setFont(SliderLabelFont(CString("Arial")));
    painter.setPen(palette().color(QPalette::WindowText));
    const struct
    {
        const CString& text;
        QRect box;
        int align;
    } labels[] = {{m_left, QRect(channel.left(), top, third, kSliderLabelHeight), Qt::AlignLeft},
                  {m_middle, QRect(channel.center().x() - third / 2, top, third, kSliderLabelHeight), Qt::AlignHCenter},
                  {m_right, QRect(channel.right() + 1 - third, top, third, kSliderLabelHeight), Qt::AlignRight}};
    for (const auto& label : labels)
        if (!label.text.IsEmpty())
            painter.drawText(label.box, label.align | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine,
                             ToQString(label.text));
    painter.restore();
}
