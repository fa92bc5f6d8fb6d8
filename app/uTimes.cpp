#include "app/uTimes.h"

#include <QTimer>

#include <stdexcept>

namespace dp {

void RestartTimer(QTimer& timer, int interval) {
    if (interval < 0) throw std::out_of_range(kRangeErrorText);
    timer.stop();
    timer.setInterval(interval);
    timer.start();
}

QString LongTimeFormatWithoutZone(const QLocale& locale) {
    QString format = StripZoneFromTimeFormat(locale.timeFormat(QLocale::LongFormat));
    // Russian desktops write the hour without a leading zero (9:05:07); the toolkit's data has one.
    if (locale.language() == QLocale::Russian) format = HourWithoutLeadingZero(format);
    return format;
}

QString HourWithoutLeadingZero(const QString& format) {
    QString result;
    result.reserve(format.size());
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') quoted = !quoted; // '' inside a literal toggles twice: still inside
        if (!quoted && c == u'H' && i + 1 < format.size() && format[i + 1] == u'H') {
            result += u'H';
            ++i;
            continue;
        }
        result += c;
    }
    return result;
}

QString StripZoneFromTimeFormat(const QString& format) {
    QString result;
    result.reserve(format.size());
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            // A quoted literal runs to the next single quote; '' inside it is an escaped quote.
            qsizetype j = i + 1;
            while (j < format.size()) {
                if (format[j] == u'\'') {
                    if (j + 1 < format.size() && format[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < format.size() ? j + 1 : j;
            result += format.mid(i, end - i);
            i = end;
        } else if (c == u't') {
            // The zone in any of its lengths (t, tt, ttt, tttt), with the brackets around it and the
            // blank that sets it off.
            while (i < format.size() && format[i] == u't') ++i;
            if (!result.isEmpty() && result.back() == u'(' && i < format.size() && format[i] == u')') {
                result.chop(1);
                ++i;
            }
            if (!result.isEmpty() && result.back().isSpace()) {
                result.chop(1);
            } else {
                while (i < format.size() && format[i].isSpace()) ++i;
            }
        } else {
            result += c;
            ++i;
        }
    }
    return result.trimmed();
}

QString TimeOfDayText(const QTime& time, const QLocale& locale) {
    return locale.toString(time, LongTimeFormatWithoutZone(locale));
}

} // namespace dp
