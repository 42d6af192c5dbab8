#pragma once
// CDTPicker: a date-and-time picker addressed by its parts (year, month, day, hour,
// minute, second) and shown in a custom format. It reports a change when the user has
// finished typing a part or stepped it, not at every key.
#include <QDateTime>
#include <QDateTimeEdit>
#include <QString>

#include "platform/cstring.h"

class QLocale;

class CDTPicker : public QDateTimeEdit
{
public:
    explicit CDTPicker(QWidget* parent = nullptr);

    [[nodiscard]] int GetYear() const;
    [[nodiscard]] int GetMonth() const;
    [[nodiscard]] int GetDay() const;
    [[nodiscard]] int GetHour() const;
    [[nodiscard]] int GetMinute() const;
    [[nodiscard]] int GetSecond() const;
    // A day past the end of the month is held at its last day; a value outside its
    // range changes nothing.
    void SetYear(int year);
    void SetMonth(int month);
    void SetDay(int day);
    void SetHour(int hour);
    void SetMinute(int minute);
    void SetSecond(int second);
    // The picker's format letters: d, M, y, h (12-hour), H (24-hour), m, s, and "tt"
    // for the AM/PM mark.
    void SetCustomFormat(const CString& format);
    // The width that shows every date and time of the picker's format whole (the month
    // with the widest name, two-digit days and hours).
    [[nodiscard]] int GetWholeTextWidth() const;

protected:
    // Digits go into the part under the cursor, wherever in it the cursor stands; a part
    // is finished after its last digit, or a digit that could not be followed by another,
    // or a separator, and the next part is selected. Typing over the whole text starts at
    // the first part. A change is reported when a part is finished or left.
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetDatePart(int year, int month, int day);
    void SetTimePart(int hour, int minute, int second);
    bool Type(QChar typed);
    bool TypeDigit(int digit);
    void TypeSeparator();
    // The picker's value with one part set to value; invalid when the part cannot take it.
    [[nodiscard]] QDateTime WithPart(Section part, int value) const;
    // The hours run from 1 to 12 beside an AM/PM mark.
    [[nodiscard]] bool HasTwelveHourClock() const;
    // Ends the typing of a part: reports the value when it differs from the one the part's
    // first digit found.
    void FinishPart();
    void SelectPart(int index);

    // The digits typed into the part m_typedPart so far.
    QString m_typed;
    int m_typedPart = -1;
    QDateTime m_beforeTyping;
    // The part m_typedPart was reached because the one before it had all its digits, so a
    // separator typed after them ("07:15") stays in it.
    bool m_advanced = false;
};

// The format of a picker of the time of day in that locale: "HH:mm" where the clock runs
// through 24 hours, else "hh:mm tt".
[[nodiscard]] CString TimePickerFormat(const QLocale& locale);
