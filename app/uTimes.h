#pragma once
// Timer and clock helpers of the main window.
#include <QLocale>
#include <QString>
#include <QTime>

class QTimer;

namespace dp {

// The text of the range error that RestartTimer throws for a negative interval.
inline constexpr const char* kRangeErrorText = "Range check error";

// Stops timer, sets its interval (milliseconds, 0 or more) and starts it again, so the next tick
// comes one full interval later. A negative interval throws std::out_of_range whose what() is
// kRangeErrorText; the timer is then left untouched.
void RestartTimer(QTimer& timer, int interval);

// The locale's long time format without its time-zone part: hours, minutes, seconds and the
// morning/afternoon marker where the locale has one, the hour with a leading zero only where the
// locale's desktop writes one. Quoted literals are kept as they are.
QString LongTimeFormatWithoutZone(const QLocale& locale);

// A time format with every time-zone token (t, tt, ttt, tttt) removed, together with the brackets
// around it and the blank that sets it off; quoted literals stay as they are.
QString StripZoneFromTimeFormat(const QString& format);

// The 24-hour clock's hour with two digits (HH) turned into one without a leading zero (H); quoted
// literals stay as they are.
QString HourWithoutLeadingZero(const QString& format);

// The time of day as the log shows it: time formatted with LongTimeFormatWithoutZone(locale).
QString TimeOfDayText(const QTime& time, const QLocale& locale);

} // namespace dp
