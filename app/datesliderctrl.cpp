#include "app/datesliderctrl.h"

#include <QFontMetrics>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionSlider>
#include <algorithm>

#include "app/sliderlabelfont.h"
#include "platform/ui/stringtable.h"

namespace {

constexpr int kThumbWidth = 5;
constexpr int kPageSize = 30;

}  // namespace

CDateSliderCtrl::CDateSliderCtrl(QWidget* parent) : CGradientSliderCtrl(Qt::Horizontal, parent)
{
    SetThumbWidth(kThumbWidth);
}

void CDateSliderCtrl::InitDateSlider(int daysInYear, int dayOfYear)
{
    const QSignalBlocker blocker(this);
    setRange(1, daysInYear);
    setValue(dayOfYear);
    setSingleStep(1);
    setPageStep(kPageSize);
    SetColorStops({RGB(255, 255, 255), RGB(244, 188, 18), RGB(255, 0, 0), RGB(255, 255, 255)});
}

QStringList CDateSliderCtrl::GetLabels() const
{
    return QString::fromStdString(LoadStringResource(m_labelId).ToUtf8()).split(QLatin1Char(','));
}

QFont CDateSliderCtrl::GetLabelFont() const
{
    const CString face = LoadStringResource(m_fontNameId);
    return SliderLabelFont(face.IsEmpty() ? CString("Arial") : face);
}

void CDateSliderCtrl::initStyleOption(QStyleOptionSlider* option) const
{
    CGradientSliderCtrl::initStyleOption(option);
    const QStringList labels = GetLabels();
    if (orientation() != Qt::Horizontal || labels.size() < 2)
        return;
    const int overhang = QFontMetrics(GetLabelFont()).horizontalAdvance(labels.back()) - kThumbWidth / 2;
    const int keep = option->rect.width() / 2;
    option->rect.setWidth(option->rect.width() - std::clamp(overhang, 0, keep));
}

void CDateSliderCtrl::DrawLabels(QPainter& painter)
{
    const QStringList labels = GetLabels();
    // One label has no step between labels.
    if (labels.size() < 2)
        return;
    const QRect channel = GetChannelRect();
    const int thumb = GetDrawnThumbRect().width();
    const int step = (channel.width() - thumb) / static_cast<int>(labels.size() - 1);
    const int top = channel.bottom() + 1 + (IsCompact() ? 0 : kSliderLabelGap);
    painter.save();
    painter.setFont(GetLabelFont());
    painter.setPen(palette().color(QPalette::WindowText));
    for (int i = 0; i < labels.size(); ++i)
    {
        const QRect box(channel.left() + thumb / 2 + i * step, top, step, kSliderLabelHeight);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, labels[i]);
    }
    painter.restore();
}
