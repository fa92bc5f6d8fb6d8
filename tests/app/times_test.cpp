// The timer helper and the time of day without its zone.
#include "app/uTimes.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(RestartTimer, StopsSetsTheIntervalAndStartsAgain) {
    QTimer timer;
    timer.setInterval(50);
    dp::RestartTimer(timer, 1000);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 1000);
    EXPECT_GT(timer.remainingTime(), 900); // the next tick is a full interval away
    dp::RestartTimer(timer, 0);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 0);
}

TEST(RestartTimer, RejectsANegativeIntervalAndLeavesTheTimerAlone) {
    QTimer timer;
    timer.start(1000);
    try {
        dp::RestartTimer(timer, -1);
        FAIL() << "no range error";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "Range check error");
    }
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 1000);
}

struct TFormatRow {
    const char* name;
    const char* format;
    const char* stripped;
};

void PrintTo(const TFormatRow& row, std::ostream* os) {
    *os << row.name;
}
class ZoneStripping : public ::testing::TestWithParam<TFormatRow> {};

TEST_P(ZoneStripping, RemovesOnlyTheZone) {
    EXPECT_EQ(dp::StripZoneFromTimeFormat(QString::fromUtf8(GetParam().format)),
              QString::fromUtf8(GetParam().stripped));
}

INSTANTIATE_TEST_SUITE_P(Times, ZoneStripping,
                         ::testing::Values(TFormatRow{"ZoneAfter", "HH:mm:ss t", "HH:mm:ss"},
                                           TFormatRow{"ZoneBefore", "t HH:mm:ss", "HH:mm:ss"},
                                           TFormatRow{"ZoneInBrackets", "H:mm:ss (t)", "H:mm:ss"},
                                           TFormatRow{"LongZoneNames", "h:mm:ss AP tttt", "h:mm:ss AP"},
                                           TFormatRow{"QuotedTKept", "H:mm:ss 't' t", "H:mm:ss 't'"},
                                           TFormatRow{"QuotedWordKept", "H:mm:ss 'ч'. t", "H:mm:ss 'ч'."},
                                           TFormatRow{"EscapedQuote", "HH'h''t'mm t", "HH'h''t'mm"},
                                           TFormatRow{"NoZone", "HH:mm:ss", "HH:mm:ss"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HourWithoutLeadingZero, ShortensOnlyTheTwoDigitHourOutsideLiterals) {
    EXPECT_EQ(dp::HourWithoutLeadingZero(QStringLiteral("HH:mm:ss")), QStringLiteral("H:mm:ss"));
    EXPECT_EQ(dp::HourWithoutLeadingZero(QStringLiteral("H:mm:ss")), QStringLiteral("H:mm:ss"));
    EXPECT_EQ(dp::HourWithoutLeadingZero(QStringLiteral("'HH' HH:mm")), QStringLiteral("'HH' H:mm"));
    EXPECT_EQ(dp::HourWithoutLeadingZero(QStringLiteral("hh:mm AP")), QStringLiteral("hh:mm AP"));
}

struct TLocaleRow {
    const char* name;
    const char* locale;
    int h, m, s;
    const char* text;
};

void PrintTo(const TLocaleRow& row, std::ostream* os) {
    *os << row.name;
}
class TimeOfDay : public ::testing::TestWithParam<TLocaleRow> {};

TEST_P(TimeOfDay, IsTheLocalesLongTimeWithoutTheZone) {
    const TLocaleRow& r = GetParam();
    EXPECT_EQ(dp::TimeOfDayText(QTime(r.h, r.m, r.s), QLocale(QString::fromUtf8(r.locale))),
              QString::fromUtf8(r.text));
}

INSTANTIATE_TEST_SUITE_P(Times, TimeOfDay,
                         ::testing::Values(TLocaleRow{"RussianMorning", "ru_RU", 9, 5, 7, "9:05:07"},
                                           TLocaleRow{"RussianAfternoon", "ru_RU", 14, 3, 27, "14:03:27"},
                                           TLocaleRow{"AmericanMorning", "en_US", 9, 5, 7, "9:05:07 AM"},
                                           TLocaleRow{"AmericanAfternoon", "en_US", 14, 3, 27, "2:03:27 PM"},
                                           TLocaleRow{"RussianMidnight", "ru_RU", 0, 0, 9, "0:00:09"},
                                           TLocaleRow{"Spanish", "es_ES", 9, 5, 7, "9:05:07"},
                                           TLocaleRow{"German", "de_DE", 9, 5, 7, "09:05:07"},
                                           TLocaleRow{"Chinese", "zh_CN", 14, 3, 27, "14:03:27"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
