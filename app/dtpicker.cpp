#include "app/dtpicker.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <algorithm>

namespace {

// How many digits a part takes, and its largest value.
struct PartDigits
{
    int width = 0;
    int largest = 0;
};

PartDigits DigitsOf(QDateTimeEdit::Section part, bool twelveHours, int daysInMonth)
{
    switch (part)
    {
    case QDateTimeEdit::YearSection: return {4, 9999};
    case QDateTimeEdit::MonthSection: return {2, 12};
    case QDateTimeEdit::DaySection: return {2, daysInMonth};
    case QDateTimeEdit::HourSection: return {2, twelveHours ? 12 : 23};
    case QDateTimeEdit::MinuteSection:
    case QDateTimeEdit::SecondSection: return {2, 59};
    default: return {};
    }
}

// A day past the end of the month is held at its last day; invalid for a day, month or
// year that does not exist.
QDate HeldDate(int year, int month, int day)
{
    if (month < 1 || month > 12 || day < 1)
        return {};
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    return QDate(year, month, std::min(day, first.daysInMonth()));
}

}  // namespace

CDTPicker::CDTPicker(QWidget* parent) : QDateTimeEdit(parent)
{
    setKeyboardTracking(false);
    // The years typed are checked where they are read, with their own message.
    setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
}

void CDTPicker::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
    if (plain && typed.size() == 1 && Type(typed.front()))
    {
        event->accept();
        return;
    }
    FinishPart();
    QDateTimeEdit::keyPressEvent(event);
}

void CDTPicker::focusOutEvent(QFocusEvent* event)
{
    FinishPart();
    QDateTimeEdit::focusOutEvent(event);
}

bool CDTPicker::Type(QChar typed)
{
    if (sectionCount() == 0)
        return false;
    if (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'))
        return TypeDigit(typed.unicode() - '0');
    if (!typed.isPunct() && !typed.isSpace())
        return false;
    TypeSeparator();
    return true;
}

bool CDTPicker::TypeDigit(int digit)
{
    const QLineEdit* edit = lineEdit();
    if (currentSectionIndex() != m_typedPart)
        FinishPart();
    if (m_typed.isEmpty() && edit->hasSelectedText() && edit->selectedText() == edit->text())
        SelectPart(0);
    const int index = currentSectionIndex();
    const Section part = currentSection();
    const PartDigits digits = DigitsOf(part, HasTwelveHourClock(), date().daysInMonth());
    if (digits.width == 0)
        return false;
    if (m_typed.isEmpty())
        m_beforeTyping = dateTime();
    // A digit that no value of the part could follow starts the part anew ("18" in the
    // month is August).
    const QString extended = m_typed + QChar(u'0' + digit);
    m_typed = extended.toInt() <= digits.largest ? extended : QString(QChar(u'0' + digit));
    m_typedPart = index;
    m_advanced = false;
    const int value = m_typed.toInt();
    const QDateTime shown = WithPart(part, value);
    if (shown.isValid())
    {
        // Reported once the part is finished, not at every digit.
        const QSignalBlocker quiet(this);
        setDateTime(shown);
    }
    if (m_typed.size() < digits.width && value * 10 <= digits.largest)
    {
        SelectPart(index);
        return true;
    }
    FinishPart();
    const int next = std::min(index + 1, sectionCount() - 1);
    SelectPart(next);
    m_typedPart = next;
    m_advanced = true;
    return true;
}

void CDTPicker::TypeSeparator()
{
    const int index = currentSectionIndex();
    if (m_advanced && index == m_typedPart)
    {
        m_advanced = false;
        return;
    }
    FinishPart();
    SelectPart(std::min(index + 1, sectionCount() - 1));
}

QDateTime CDTPicker::WithPart(Section part, int value) const
{
    QDate day = date();
    QTime clock = time();
    switch (part)
    {
    case YearSection: day = HeldDate(value, day.month(), day.day()); break;
    case MonthSection: day = HeldDate(day.year(), value, day.day()); break;
    case DaySection: day = HeldDate(day.year(), day.month(), value); break;
    case HourSection:
        if (HasTwelveHourClock())
            value = value >= 1 && value <= 12 ? value % 12 + (clock.hour() >= 12 ? 12 : 0) : -1;
        clock = QTime(value, clock.minute(), clock.second());
        break;
    case MinuteSection: clock = QTime(clock.hour(), value, clock.second()); break;
    case SecondSection: clock = QTime(clock.hour(), clock.minute(), value); break;
    default: return {};
    }
    // Checked apart: a date and time made with an invalid time stands at midnight.
    if (!day.isValid() || !clock.isValid())
        return {};
    const QDateTime result(day, clock);
    if (result < minimumDateTime() || result > maximumDateTime())
        return {};
    return result;
}

bool CDTPicker::HasTwelveHourClock() const
{
    return displayFormat().contains(QStringLiteral("AP"), Qt::CaseInsensitive);
}

void CDTPicker::FinishPart()
{
    const bool typed = !m_typed.isEmpty();
    m_typed.clear();
    m_typedPart = -1;
    m_advanced = false;
    if (typed && dateTime() != m_beforeTyping)
        emit dateTimeChanged(dateTime());
}

void CDTPicker::SelectPart(int index)
{
    setCurrentSectionIndex(index);
    setSelectedSection(sectionAt(index));
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
    const QDate held = HeldDate(year, month, day);
    if (held.isValid())
        setDate(held);
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
