#include "app/dtpicker.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>

CDTPicker::CDTPicker(QWidget* parent) : QDateTimeEdit(parent)
{
    setKeyboardTracking(false);
    // The years typed are checked where they are read, with their own message.
    setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
}

void CDTPicker::keyPressEvent(QKeyEvent* event)
{
    const QLineEdit* edit = lineEdit();
    const QString typed = event->text();
    const bool wholeSelected = edit->hasSelectedText() && edit->selectedText() == edit->text();
    if (wholeSelected && !typed.isEmpty() && typed.front().isPrint() && sectionCount() > 0)
        setSelectedSection(sectionAt(0));
    QDateTimeEdit::keyPressEvent(event);
}

int CDTPicker::GetYear() const
{
    return date().year();
}

int CDTPicker::GetMonth() const
{
    return date().month();
}

int CDTPicker::GetDay() const
{
    return date().day();
}

int CDTPicker::GetHour() const
{
    return time().hour();
}

int CDTPicker::GetMinute() const
{
    return time().minute();
}

int CDTPicker::GetSecond() const
{
    return time().second();
}

void CDTPicker::SetDatePart(int year, int month, int day)
{
    if (month < 1 || month > 12 || day < 1)
        return;
    const QDate first(year, month, 1);
    if (!first.isValid())
        return;
    setDate(QDate(year, month, std::min(day, first.daysInMonth())));
}

void CDTPicker::SetTimePart(int hour, int minute, int second)
{
    const QTime value(hour, minute, second);
    if (value.isValid())
        setTime(value);
}

void CDTPicker::SetYear(int year)
{
    SetDatePart(year, GetMonth(), GetDay());
}

void CDTPicker::SetMonth(int month)
{
    SetDatePart(GetYear(), month, GetDay());
}

void CDTPicker::SetDay(int day)
{
    SetDatePart(GetYear(), GetMonth(), day);
}

void CDTPicker::SetHour(int hour)
{
    SetTimePart(hour, GetMinute(), GetSecond());
}

void CDTPicker::SetMinute(int minute)
{
    SetTimePart(GetHour(), minute, GetSecond());
}

void CDTPicker::SetSecond(int second)
{
    SetTimePart(GetHour(), GetMinute(), second);
}

void CDTPicker::SetCustomFormat(const CString& format)
{
    QString qtFormat = QString::fromStdString(format.ToUtf8());
    qtFormat.replace(QStringLiteral("tt"), QStringLiteral("AP"));
    setDisplayFormat(qtFormat);
}

int CDTPicker::GetWholeTextWidth() const
{
    const QFontMetrics metrics(font());
    // The picker asks for room around the wider of its first and last values.
    const int ends = std::max(metrics.horizontalAdvance(textFromDateTime(minimumDateTime())),
                              metrics.horizontalAdvance(textFromDateTime(maximumDateTime())));
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
    {
        const QDateTime sample(QDate(2000, month, 28), QTime(23, 58, 58));
        widest = std::max(widest, metrics.horizontalAdvance(textFromDateTime(sample)));
    }
    // The frame, the arrows and the margins as the picker asks for them around its text.
    const int around = std::max(0, sizeHint().width() - ends);
    return std::max(sizeHint().width(), widest + around);
}

CString TimePickerFormat(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    const bool twelveHours = format.contains(QLatin1Char('a'), Qt::CaseInsensitive);
    return CString(twelveHours ? "hh:mm tt" : "HH:mm");
}
