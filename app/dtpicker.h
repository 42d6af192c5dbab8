#pragma once
// CDTPicker: a date-and-time picker addressed by its parts (year, month, day, hour,
// minute, second) and shown in a custom format. It reports a change when the user has
// finished typing a part or stepped it, not at every key.
#include <QDateTimeEdit>

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
    // Typing over the whole text starts at the first part, so that a whole time or date
    // typed over the old one ("06:00") replaces every part rather than the one the cursor
    // happened to stand in.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetDatePart(int year, int month, int day);
    void SetTimePart(int hour, int minute, int second);
};

// The format of a picker of the time of day in that locale: "HH:mm" where the clock runs
// through 24 hours, else "hh:mm tt".
[[nodiscard]] CString TimePickerFormat(const QLocale& locale);
