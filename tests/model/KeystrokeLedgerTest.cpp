#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <limits>

#include "TestFiles.h"
#include "model/KeystrokeLedger.h"
#include "model/TimeZoneTestSupport.h"

using namespace model;
using model::testing::TimeZoneOverride;
using platform::calendar::dateFromLocal;

namespace {

constexpr int kSunday = 1;
constexpr int kMonday = 2;

// A calendar of the test's own for LC_TIME, made with localedef: only its week matters.
class WeekLocale {
public:
    WeekLocale(int firstWeekday, const std::string& weekStartDay) {
        testfiles::writeFile(folder_ / "week.src", "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\nLC_TIME\nweek 7;" +
                                                       weekStartDay + ";4\nfirst_weekday " +
                                                       std::to_string(firstWeekday) + "\nEND LC_TIME\n");
        // Quoted: the temporary folder's path may hold spaces.
        const auto quoted = [](const std::filesystem::path& path) {
            std::string text = "'";
            for (const char c : path.string()) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
            return text + "'";
        };
        const std::string make = "localedef -c -f ANSI_X3.4-1968 -i " + quoted(folder_ / "week.src") + " " +
                                 quoted(folder_ / "week") + " >/dev/null 2>&1";
        (void)std::system(make.c_str());  // missing categories make it warn; the test below sees the result
        if (const char* old = std::getenv("LOCPATH")) savedPath_ = old;
        ::setenv("LOCPATH", folder_.path().c_str(), 1);
        savedLocale_ = std::setlocale(LC_TIME, nullptr);
        made_ = std::setlocale(LC_TIME, "week") != nullptr;
    }
    ~WeekLocale() {
        std::setlocale(LC_TIME, savedLocale_.c_str());
        if (savedPath_)
            ::setenv("LOCPATH", savedPath_->c_str(), 1);
        else
            ::unsetenv("LOCPATH");
    }
    bool made() const { return made_; }

private:
    testfiles::TemporaryFolder folder_{"tuftle-locale"};
    std::optional<std::string> savedPath_;
    std::string savedLocale_;
    bool made_ = false;
};

}  // namespace

TEST(KeystrokeLedger, pressesEitherSideOfLocalMidnight_goToTheirOwnDays) {
    TimeZoneOverride zone(model::testing::kEastern);
    KeystrokeLedger ledger;
    ledger.record(dateFromLocal(2026, 3, 6, 23, 59, 59));
    ledger.record(dateFromLocal(2026, 3, 7, 0, 0, 0));
    ledger.record(dateFromLocal(2026, 3, 7, 0, 0, 1));
    EXPECT_EQ(ledger.dailyCounts, (std::map<std::string, int64_t>{{"2026-03-06", 1}, {"2026-03-07", 2}}));
    EXPECT_EQ(ledger.allTimeCount, 3);
    EXPECT_EQ(ledger.count(dateFromLocal(2026, 3, 7, 18)), 2);
    EXPECT_EQ(ledger.count(dateFromLocal(2026, 3, 8, 0)), 0);
}

TEST(KeystrokeLedger, daylightSavingDays_areOneDayEachInCountsAndHistory) {
    TimeZoneOverride zone(model::testing::kEastern);
    KeystrokeLedger ledger;
    // 2026-03-08 has 23 hours, 2026-11-01 has 25.
    for (auto at : {dateFromLocal(2026, 3, 8, 0, 30), dateFromLocal(2026, 3, 8, 23, 30),
                    dateFromLocal(2026, 11, 1, 0, 30), dateFromLocal(2026, 11, 1, 23, 30)})
        ledger.record(at);
    EXPECT_EQ(ledger.dailyCounts, (std::map<std::string, int64_t>{{"2026-03-08", 2}, {"2026-11-01", 2}}));

    const auto spring = ledger.recentDays(3, dateFromLocal(2026, 3, 9, 12));
    ASSERT_EQ(spring.size(), 3u);
    EXPECT_EQ(spring[0], (DailyKeyCount{dateFromLocal(2026, 3, 7), 0}));
    EXPECT_EQ(spring[1], (DailyKeyCount{dateFromLocal(2026, 3, 8), 2}));
    EXPECT_EQ(spring[2], (DailyKeyCount{dateFromLocal(2026, 3, 9), 0}));
    EXPECT_EQ(spring[2].date.timeIntervalSince(spring[1].date), 23 * 3600);

    const auto autumn = ledger.recentDays(2, dateFromLocal(2026, 11, 2, 0, 10));
    ASSERT_EQ(autumn.size(), 2u);
    EXPECT_EQ(autumn[0].count, 2);
    EXPECT_EQ(autumn[1].date.timeIntervalSince(autumn[0].date), 25 * 3600);
}

TEST(KeystrokeLedger, timeZoneChange_sendsTheNextPressToTheDayOfTheNewZone) {
    TimeZoneOverride zone(model::testing::kUtc);
    const platform::Date evening = dateFromLocal(2026, 3, 7, 23, 30);  // 08:30 next day in Tokyo
    KeystrokeLedger ledger;
    ledger.record(evening);
    zone.switchTo(model::testing::kTokyo);
    ledger.record(evening.addingTimeInterval(60));
    EXPECT_EQ(ledger.dailyCounts, (std::map<std::string, int64_t>{{"2026-03-07", 1}, {"2026-03-08", 1}}));
    EXPECT_EQ(ledger.count(evening), 1);
}

TEST(KeystrokeLedger, weekCount_coversItsSevenDaysOnly) {
    TimeZoneOverride zone(model::testing::kEastern);
    // 2026-03-01 is a Sunday; summer time starts on Sunday the 8th.
    KeystrokeLedger ledger{{{"2026-02-28", 1000},
                            {"2026-03-01", 1},
                            {"2026-03-02", 10},
                            {"2026-03-07", 100},
                            {"2026-03-08", 5000},
                            {"2026-03-09", 70000},
                            {"not a day", 9}},
                           0};
    const platform::Date wednesday = dateFromLocal(2026, 3, 4, 12);
    EXPECT_EQ(ledger.weekCount(wednesday, kSunday), 111) << "Sunday 1st to Saturday 7th";
    EXPECT_EQ(ledger.weekCount(wednesday, kMonday), 5110) << "Monday 2nd to Sunday 8th";
    EXPECT_EQ(ledger.weekCount(dateFromLocal(2026, 3, 8, 23, 59), kMonday), 5110) << "last minute of the week";
    EXPECT_EQ(ledger.weekCount(dateFromLocal(2026, 3, 8, 0, 0), kSunday), 75000);
    EXPECT_EQ(KeystrokeLedger{}.weekCount(wednesday), 0);
}

TEST(KeystrokeLedger, weekCount_startsOnTheLocalesFirstWeekday) {
    TimeZoneOverride zone(model::testing::kUtc);
    // Sunday the 1st, Monday the 2nd, Sunday the 8th.
    const KeystrokeLedger ledger{{{"2026-03-01", 1}, {"2026-03-02", 10}, {"2026-03-08", 100}}, 111};
    struct Case {
        const char* calendar;
        int firstWeekday;
        const char* weekStartDay;
        int64_t onSaturday, onSunday;
    };
    for (const Case& c : {Case{"Sunday first", 1, "19971130", 11, 100}, Case{"Monday first", 2, "19971130", 110, 110},
                          Case{"Monday first by its week's start", 1, "19971201", 110, 110}}) {
        WeekLocale locale(c.firstWeekday, c.weekStartDay);
        ASSERT_TRUE(locale.made()) << "localedef and its charmaps (scripts/install-deps)";
        EXPECT_EQ(ledger.weekCount(dateFromLocal(2026, 3, 7, 23, 59)), c.onSaturday) << c.calendar;
        EXPECT_EQ(ledger.weekCount(dateFromLocal(2026, 3, 8, 0, 0)), c.onSunday) << c.calendar;
    }
}

TEST(KeystrokeLedger, recentDays_areOldestFirstWithZeroForDaysWithoutPresses) {
    TimeZoneOverride zone(model::testing::kUtc);
    KeystrokeLedger ledger{{{"2026-03-05", 3}, {"2026-03-07", 4}, {"2026-03-08", 8}}, 15};
    const auto days = ledger.recentDays(4, dateFromLocal(2026, 3, 7, 15));
    EXPECT_EQ(days, (std::vector<DailyKeyCount>{{dateFromLocal(2026, 3, 4), 0},
                                                {dateFromLocal(2026, 3, 5), 3},
                                                {dateFromLocal(2026, 3, 6), 0},
                                                {dateFromLocal(2026, 3, 7), 4}}));
    EXPECT_EQ(ledger.recentDays(1, dateFromLocal(2026, 3, 8, 1)).at(0).count, 8);
    EXPECT_TRUE(ledger.recentDays(0, dateFromLocal(2026, 3, 8)).empty());
    EXPECT_TRUE(ledger.recentDays(-3, dateFromLocal(2026, 3, 8)).empty());
}

TEST(KeystrokeLedger, totalsNeverGoBelowZeroOrOverflow) {
    KeystrokeLedger ledger{{{"2026-03-07", 250}, {"2026-03-06", 5}}, 200};
    EXPECT_EQ(ledger.removeDay("2026-03-07"), 250);
    EXPECT_EQ(ledger, (KeystrokeLedger{{{"2026-03-06", 5}}, 0}));
    EXPECT_EQ(ledger.removeDay("2026-03-07"), 0);
    EXPECT_EQ(ledger.allTimeCount, 0);

    // A stored file can hold anything.
    const int64_t most = std::numeric_limits<int64_t>::max();
    KeystrokeLedger full{{{"2026-03-07", most}}, most};
    full.recordDay("2026-03-07");
    EXPECT_EQ(full, (KeystrokeLedger{{{"2026-03-07", most}}, most}));
}
