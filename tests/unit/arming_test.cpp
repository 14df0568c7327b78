#include "schedule/arming.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "app/main_window.h"
#include "platform/date_time.h"
#include "window_fixture.h"

namespace {

using platform::CivilTime;
using platform::DateTime;
using substitute::gbk;

constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

DateTime plusSeconds(DateTime t, double seconds) {
    return t + seconds / 86400.0;
}

TEST(SecondsUntil, CountsWholeSecondsAndSaturates) {
    const DateTime now = platform::toDateTime({2026, 3, 14, 14, 5, 9});
    struct Case {
        double offset;  // seconds from now to t
        std::int32_t expected;
    } const cases[] = {
        {5, 5},
        {0, 0},
        {-1, 0},  // one second behind still reads 0
        {-2, -1},
        {86400, 86400},
        {-86400, -86399},
        {2147483647.0, int32Max},
        {2147483648.0, int32Max},
        {-2147483648.0, -2147483647},
        {-2147483649.0, int32Min},
        {100.0 * 365 * 86400, int32Max},  // decades ahead never wrap
        {-100.0 * 365 * 86400, int32Min},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(secondsUntil(plusSeconds(now, c.offset), now), c.expected) << c.offset;
    }
    EXPECT_EQ(secondsUntil(std::nan(""), now), 0);
}

// Far from 1899 a day fraction carries an error of several microseconds; a whole-second
// difference must still come out exact.
TEST(SecondsUntil, StaysExactAtTheEndsOfTheCalendar) {
    for (const int year : {1601, 9999}) {
        // The second `s` of 1 June of that year; negative values fall on 31 May.
        const auto at = [year](int s) {
            const int day = s < 0 ? 31 : 1;
            const int month = s < 0 ? 5 : 6;
            s = (s + 86400) % 86400;
            return platform::toDateTime({year, month, day, s / 3600, s / 60 % 60, s % 60});
        };
        for (int s = 0; s < 86400 - 10; s += 37) {
            for (const auto& [k, expected] : {std::pair{5, 5}, {0, 0}, {-1, 0}, {-2, -1}}) {
                ASSERT_EQ(secondsUntil(at(s + k), at(s)), expected) << year << " " << s << " " << k;
            }
        }
    }
}

class Arming : public WithMainWindow {
  protected:
    static void setTimes(double disconnectOffset, double reconnectOffset) {
        mainWindow.日期框1.setValue(plusSeconds(substitute::now(), disconnectOffset));
        mainWindow.日期框2.setValue(plusSeconds(substitute::now(), reconnectOffset));
    }

    static void click() { substitute::click(mainWindow.按钮3.ref()); }
};

// Everything a click on 按钮3 may change.
struct Snapshot {
    platform::Text caption;
    int period;
    int periodWrites;
    int disconnect;
    int connect;
    std::array<bool, 5> inputsDisabled;
    bool labelVisible;
    platform::Text labelText;

    friend bool operator==(const Snapshot&, const Snapshot&) = default;

    static Snapshot take() {
        return {mainWindow.按钮3.caption(),
                mainWindow.时钟1.period(),
                substitute::control(mainWindow.时钟1.ref()).periodWrites,
                disconnectPending,
                connectPending,
                {mainWindow.组合框1.disabled(), mainWindow.日期框1.disabled(),
                 mainWindow.日期框2.disabled(), mainWindow.选择框1.disabled(),
                 mainWindow.选择框2.disabled()},
                mainWindow.标签4.visible(),
                mainWindow.标签4.text()};
    }
};

TEST_F(Arming, SecondsUntilReadsTheClockAndSaturatesAtThePickersLimits) {
    substitute::setNow({2026, 3, 14, 22, 0, 0});
    mainWindow.日期框1.setValue(platform::toDateTime({2026, 3, 14, 7, 0, 0}));
    EXPECT_EQ(secondsUntil(mainWindow.日期框1.value()), -(15 * 3600 - 1));
    mainWindow.日期框1.setValue(platform::toDateTime({9999, 12, 31, 23, 59, 59}));
    EXPECT_EQ(secondsUntil(mainWindow.日期框1.value()), int32Max);
    mainWindow.日期框1.setValue(platform::toDateTime({1601, 1, 1, 0, 0, 0}));
    EXPECT_EQ(secondsUntil(mainWindow.日期框1.value()), int32Min);
}

TEST_F(Arming, ValidatesOnlyCheckedTimesAndShowsAtMostOneMessage) {
    const char* const disconnectError = "断网时间设置不正确,不能早于当前时间";
    const char* const reconnectError = "联网时间设置不正确,不能早于当前时间";
    struct Case {
        const char* what;
        bool disconnectChecked;
        bool reconnectChecked;
        double disconnectOffset;
        double reconnectOffset;
        const char* message;  // null: arms
    } const cases[] = {
        {"disconnect at the current second", true, true, 0, 3600, disconnectError},
        {"disconnect one second behind", true, true, -1, 3600, disconnectError},
        {"disconnect one second ahead", true, true, 1, 3600, nullptr},
        {"reconnect at the current second", true, true, 3600, 0, reconnectError},
        {"reconnect one second behind", true, true, 3600, -1, reconnectError},
        {"reconnect one second ahead, before the disconnect", true, true, 3600, 1, nullptr},
        {"both behind", true, true, -60, -30, disconnectError},
        {"unchecked disconnect behind", false, true, -3600, 3600, nullptr},
        {"unchecked reconnect behind", true, false, 3600, -3600, nullptr},
        {"neither checked, both behind", false, false, -3600, -60, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openWindow();
        mainWindow.标签4.setText(gbk("已联网"));
        if (!c.disconnectChecked) {
            substitute::click(mainWindow.选择框1.ref());
        }
        if (!c.reconnectChecked) {
            substitute::click(mainWindow.选择框2.ref());
        }
        setTimes(c.disconnectOffset, c.reconnectOffset);
        const Snapshot before = Snapshot::take();

        click();

        const auto boxes = substitute::errorBoxes();
        if (c.message != nullptr) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, gbk(c.message));
            EXPECT_EQ(boxes[0].title, gbk("时间设置错误"));
            EXPECT_EQ(Snapshot::take(), before);
        } else {
            EXPECT_TRUE(boxes.empty());
            const Snapshot after = Snapshot::take();
            EXPECT_EQ(after.caption, gbk("禁用"));
            EXPECT_EQ(after.period, 300);
            EXPECT_EQ(after.disconnect, 1);
            EXPECT_EQ(after.connect, 1);
            EXPECT_EQ(after.inputsDisabled, (std::array<bool, 5>{true, true, true, true, true}));
            EXPECT_TRUE(after.labelVisible);
            EXPECT_EQ(after.labelText, gbk("已联网"));  // until the first tick writes it
        }
    }
}

TEST_F(Arming, DisarmingUnlocksEveryInputHidesTheLabelAndLaunchesNothing) {
    substitute::click(mainWindow.选择框2.ref());
    ASSERT_TRUE(mainWindow.日期框2.disabled());
    click();
    ASSERT_EQ(mainWindow.按钮3.caption(), gbk("禁用"));

    click();

    const Snapshot after = Snapshot::take();
    EXPECT_EQ(after.caption, gbk("启用"));
    EXPECT_EQ(after.period, 0);
    EXPECT_EQ(after.disconnect, 0);
    EXPECT_EQ(after.connect, 0);
    // The picker of the unticked box is enabled too, whatever its box shows.
    EXPECT_EQ(after.inputsDisabled, (std::array<bool, 5>{}));
    EXPECT_FALSE(after.labelVisible);
    EXPECT_TRUE(substitute::launches().empty());
    EXPECT_TRUE(substitute::errorBoxes().empty());
}

TEST_F(Arming, AClickOnAnyOtherCaptionDoesNothing) {
    mainWindow.按钮3.setCaption(gbk("启用 "));
    const Snapshot before = Snapshot::take();
    click();
    EXPECT_EQ(Snapshot::take(), before);
}

}  // namespace
