#include "schedule/tick.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/date_time.h"
#include "schedule/arming.h"
#include "window_fixture.h"

namespace {

using platform::DateTime;
using substitute::gbk;

class ScheduleTick : public WithMainWindow {
  protected:
    // One connection selected; the test's clock starts now.
    void windowOpened() override {
        mainWindow.组合框1.addItem(gbk("以太网"));
        mainWindow.组合框1.setSelection(0);
        start_ = substitute::now();
    }

    DateTime at(int secondsFromStart) const { return start_ + secondsFromStart / 86400.0; }

    // The picker value for which secondsUntil reads `d` at the start time.
    DateTime readingAtStart(int d) const { return at(d >= 0 ? d : d - 1); }

    // Arms the schedule as the user does, at the start time.
    void arm(bool disconnectChecked, bool reconnectChecked, int disconnectAt, int reconnectAt) {
        if (!disconnectChecked) {
            substitute::click(mainWindow.选择框1.ref());
        }
        if (!reconnectChecked) {
            substitute::click(mainWindow.选择框2.ref());
        }
        mainWindow.日期框1.setValue(at(disconnectAt));
        mainWindow.日期框2.setValue(at(reconnectAt));
        substitute::setNow(start_);
        substitute::click(mainWindow.按钮3.ref());
        ASSERT_EQ(mainWindow.按钮3.caption(), gbk("禁用"));
    }

    void tickAt(int secondsFromStart) const {
        substitute::setNow(at(secondsFromStart));
        substitute::elapse(mainWindow.时钟1);
    }

    // The last word of every launched command line: "disabled" or "enabled".
    static std::vector<std::string> commands() {
        std::vector<std::string> words;
        for (const auto& launch : substitute::launches()) {
            words.push_back(launch.commandLine.substr(launch.commandLine.rfind(' ') + 1));
        }
        return words;
    }

    static bool armed() {
        return mainWindow.时钟1.period() == 300 && mainWindow.按钮3.caption() == gbk("禁用") &&
               mainWindow.日期框1.disabled();
    }

    // The state after the tick that ends the schedule: idle, inputs unlocked, label kept.
    static void expectEnded() {
        EXPECT_EQ(mainWindow.时钟1.period(), 0);
        EXPECT_EQ(mainWindow.按钮3.caption(), gbk("启用"));
        EXPECT_EQ(disconnectPending, 0);
        EXPECT_EQ(connectPending, 0);
        for (const platform::Control& input :
             {platform::Control(mainWindow.组合框1), platform::Control(mainWindow.日期框1),
              platform::Control(mainWindow.日期框2), platform::Control(mainWindow.选择框1),
              platform::Control(mainWindow.选择框2)}) {
            EXPECT_FALSE(input.disabled());
        }
        EXPECT_TRUE(mainWindow.标签4.visible());
    }

    DateTime start_ = 0;
};

std::vector<platform::Text> gbkAll(const std::vector<const char*>& texts) {
    std::vector<platform::Text> out;
    for (const char* t : texts) {
        out.push_back(gbk(t));
    }
    return out;
}

// The whole-second clock at every tick of a timer started at the start time, for `seconds`.
std::vector<int> realTicks(int seconds) {
    std::vector<int> clock;
    for (int ms = 300; ms <= seconds * 1000; ms += 300) {
        clock.push_back(ms / 1000);
    }
    return clock;
}

TEST_F(ScheduleTick, EachOrderTakesTheFirstOfItsFourStepsThatHolds) {
    struct Case {
        int d1;
        int d2;
        bool box1;
        bool box2;
        int pending1;
        int pending2;
        const char* label;  // null: unchanged
        const char* command;
        bool ends;
        int pending1After;
        int pending2After;
    } const cases[] = {
        // disconnect first (d1 < d2)
        {3725, 3726, true, true, 1, 1, "断网剩余:0天1小时2分5秒", "", false, 1, 1},
        {0, 10, true, true, 1, 1, "已断网", "disabled", false, 0, 1},
        {0, 10, true, false, 1, 1, "已断网", "disabled", true, 0, 0},
        {0, 10, true, true, 1, 0, "已断网", "disabled", true, 0, 0},
        {0, 10, true, true, 0, 1, "联网剩余:0天0小时0分10秒", "", false, 0, 1},
        {5, 10, false, true, 1, 1, "联网剩余:0天0小时0分10秒", "", false, 1, 1},
        {-1, 0, true, true, 0, 1, "已联网", "enabled", true, 0, 0},
        {-1, 0, true, true, 0, 0, nullptr, "", false, 0, 0},
        // reconnect first (d1 >= d2)
        {100000, 90061, true, true, 1, 1, "联网剩余:1天1小时1分1秒", "", false, 1, 1},
        {10, 0, true, true, 1, 1, "已联网", "enabled", false, 1, 0},
        {10, 0, false, true, 1, 1, "已联网", "enabled", true, 0, 0},
        {10, 0, true, true, 0, 1, "已联网", "enabled", true, 0, 0},
        {0, 0, true, true, 1, 1, "已联网", "enabled", false, 1, 0},
        {0, 0, true, true, 1, 0, "已断网", "disabled", true, 0, 0},
        {10, 0, true, true, 1, 0, "断网剩余:0天0小时0分10秒", "", false, 1, 0},
        {3725, 3725, true, false, 1, 1, "断网剩余:0天1小时2分5秒", "", false, 1, 1},
        {0, 0, false, false, 1, 1, nullptr, "", false, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "d1=" << c.d1 << " d2=" << c.d2 << " boxes=" << c.box1
                                        << c.box2 << " flags=" << c.pending1 << c.pending2);
        openWindow();
        arm(c.box1, c.box2, 3600, 7200);
        mainWindow.日期框1.setValue(readingAtStart(c.d1));
        mainWindow.日期框2.setValue(readingAtStart(c.d2));
        disconnectPending = c.pending1;
        connectPending = c.pending2;
        const platform::Text before = gbk("之前");
        mainWindow.标签4.setText(before);

        tickAt(0);

        EXPECT_EQ(mainWindow.标签4.text(), c.label != nullptr ? gbk(c.label) : before);
        const auto launched = commands();
        EXPECT_EQ(launched, *c.command != '\0' ? std::vector<std::string>{c.command}
                                               : std::vector<std::string>{});
        EXPECT_EQ(!armed(), c.ends);
        EXPECT_EQ(disconnectPending, c.pending1After);
        EXPECT_EQ(connectPending, c.pending2After);
    }
}

TEST_F(ScheduleTick, OutcomesByCase) {
    struct Case {
        const char* what;
        bool box1;
        bool box2;
        int disconnectAt;
        int reconnectAt;
        std::vector<int> clock;           // seconds from arming, at each tick
        std::vector<const char*> labels;  // 标签4's texts in turn, repeats folded
        std::vector<std::string> commands;
        bool ends;
    } const cases[] = {
        {"disconnect two seconds before the reconnect",
         true,
         true,
         2,
         4,
         realTicks(6),
         {"断网剩余:0天0小时0分2秒", "断网剩余:0天0小时0分1秒", "已断网", "联网剩余:0天0小时0分2秒",
          "联网剩余:0天0小时0分1秒", "已联网"},
         {"disabled", "enabled"},
         true},
        {"reconnect before the disconnect",
         true,
         true,
         4,
         2,
         realTicks(6),
         {"联网剩余:0天0小时0分2秒", "联网剩余:0天0小时0分1秒", "已联网", "断网剩余:0天0小时0分2秒",
          "断网剩余:0天0小时0分1秒", "已断网"},
         {"enabled", "disabled"},
         true},
        {"equal times",
         true,
         true,
         2,
         2,
         realTicks(6),
         {"联网剩余:0天0小时0分2秒", "联网剩余:0天0小时0分1秒", "已联网", "已断网"},
         {"enabled", "disabled"},
         true},
        // Once the reconnect has fired no checked action is left, so the schedule ends there.
        {"disconnect one second before the reconnect",
         true,
         true,
         2,
         3,
         realTicks(6),
         {"断网剩余:0天0小时0分2秒", "断网剩余:0天0小时0分1秒", "已断网", "联网剩余:0天0小时0分1秒",
          "已联网"},
         {"disabled", "enabled"},
         true},
        {"only the disconnect, the reconnect behind",
         true,
         false,
         2,
         -5,
         realTicks(6),
         {"断网剩余:0天0小时0分2秒", "断网剩余:0天0小时0分1秒", "已断网"},
         {"disabled"},
         true},
        {"only the reconnect, after the disconnect time",
         false,
         true,
         1,
         3,
         realTicks(6),
         {"联网剩余:0天0小时0分3秒", "联网剩余:0天0小时0分2秒", "联网剩余:0天0小时0分1秒",
          "已联网"},
         {"enabled"},
         true},
        {"neither", false, false, 2, 4, realTicks(6), {}, {}, false},
        {"both long past after a sleep",
         true,
         true,
         3600,
         7200,
         {0, 9000, 9000, 9000},
         {"断网剩余:0天1小时0分0秒", "已断网", "已联网"},
         {"disabled", "enabled"},
         true},
        {"clock moved back after a firing",
         true,
         true,
         2,
         3600,
         {0, 1, 2, -60, 2},
         {"断网剩余:0天0小时0分2秒", "断网剩余:0天0小时0分1秒", "已断网", "断网剩余:0天0小时1分2秒",
          "联网剩余:0天0小时59分58秒"},
         {"disabled"},
         false},
        {"clock moved forward by hours",
         true,
         true,
         3600,
         7200,
         {0, 5400, 5400, 16200},
         {"断网剩余:0天1小时0分0秒", "已断网", "联网剩余:0天0小时30分0秒", "已联网"},
         {"disabled", "enabled"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openWindow();
        arm(c.box1, c.box2, c.disconnectAt, c.reconnectAt);
        std::vector<platform::Text> labels;
        platform::Text shown = mainWindow.标签4.text();
        for (const int second : c.clock) {
            tickAt(second);
            if (mainWindow.标签4.text() != shown) {
                shown = mainWindow.标签4.text();
                labels.push_back(shown);
            }
        }
        EXPECT_EQ(labels, gbkAll(c.labels));
        EXPECT_EQ(commands(), c.commands);
        if (c.ends) {
            expectEnded();
        } else {
            EXPECT_TRUE(armed());
        }
    }
}

TEST_F(ScheduleTick, ALaunchThatDidNotHappenShowsTheFailureAndIsNotRetried) {
    struct Case {
        const char* what;
        std::function<void()> fail;
        std::function<void()> recover;
    } const cases[] = {
        {"nothing selected", [] { mainWindow.组合框1.setSelection(-1); },
         [] { mainWindow.组合框1.setSelection(0); }},
        {"the process cannot be created", [] { substitute::failLaunches(true); },
         [] { substitute::failLaunches(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openWindow();
        arm(true, true, 2, 4);

        c.fail();
        tickAt(2);
        EXPECT_EQ(mainWindow.标签4.text(), gbk("断网失败"));
        EXPECT_EQ(disconnectPending, 0);
        EXPECT_TRUE(armed());

        c.recover();
        tickAt(2);
        EXPECT_EQ(mainWindow.标签4.text(), gbk("联网剩余:0天0小时0分2秒"));
        EXPECT_TRUE(substitute::launches().empty());

        c.fail();
        tickAt(4);
        EXPECT_EQ(mainWindow.标签4.text(), gbk("联网失败"));
        expectEnded();
        EXPECT_TRUE(substitute::launches().empty());
    }
}

TEST_F(ScheduleTick, ArmingAgainAfterTheEndRestoresBothActionsAndKeepsTheOutcomeUntilATick) {
    arm(true, true, 1, 2);
    tickAt(1);
    tickAt(2);
    ASSERT_FALSE(armed());
    ASSERT_EQ(mainWindow.标签4.text(), gbk("已联网"));

    mainWindow.日期框1.setValue(at(5));
    mainWindow.日期框2.setValue(at(7));
    substitute::click(mainWindow.按钮3.ref());
    EXPECT_TRUE(armed());
    EXPECT_EQ(disconnectPending, 1);
    EXPECT_EQ(connectPending, 1);
    EXPECT_EQ(mainWindow.标签4.text(), gbk("已联网"));

    tickAt(5);
    tickAt(7);
    EXPECT_EQ(commands(), (std::vector<std::string>{"disabled", "enabled", "disabled", "enabled"}));
}

}  // namespace
