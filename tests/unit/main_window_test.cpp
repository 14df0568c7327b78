#include "app/main_window.h"

#include <gtest/gtest.h>

#include "substitutes.h"

using platform::CivilTime;
using platform::toCivilTime;
using substitute::control;

using MainWindowTest = Substituted;

TEST_F(MainWindowTest, ComesUpWithTheInitialState) {
    platform::Form form = createMainWindow();
    ASSERT_TRUE(form);
    const substitute::FakeForm& fake = *substitute::lastForm();
    EXPECT_EQ(fake.caption, "Vellimor");
    EXPECT_EQ(fake.outerWidth, 276);
    EXPECT_EQ(fake.outerHeight, 228);
    ASSERT_EQ(fake.controls.size(), 11u);

    EXPECT_EQ(mainWindow.标签1.text(), substitute::gbk("网络连接名:"));
    EXPECT_EQ(mainWindow.标签2.text(), substitute::gbk("断网时间:"));
    EXPECT_EQ(mainWindow.标签3.text(), substitute::gbk("联网时间:"));
    EXPECT_EQ(mainWindow.按钮3.caption(), substitute::gbk("启用"));
    EXPECT_EQ(mainWindow.标签4.text(), "");
    EXPECT_FALSE(mainWindow.标签4.visible());
    EXPECT_TRUE(mainWindow.选择框1.checked());
    EXPECT_TRUE(mainWindow.选择框2.checked());
    EXPECT_FALSE(mainWindow.日期框1.disabled());
    EXPECT_FALSE(mainWindow.日期框2.disabled());
    EXPECT_EQ(mainWindow.组合框1.itemCount(), 0);
    EXPECT_EQ(mainWindow.组合框1.selection(), -1);
    EXPECT_EQ(mainWindow.时钟1.period(), 0);
    EXPECT_EQ(control(mainWindow.日期框1.ref()).format, "HH:mm:ss");
    EXPECT_EQ(control(mainWindow.日期框2.ref()).format, "HH:mm:ss");
    // The created event's last action starts the loader.
    EXPECT_EQ(substitute::pendingThreads(), 1);
}

TEST_F(MainWindowTest, PickersStartOneAndThreeHoursAheadWithTheirDates) {
    struct Case {
        CivilTime created;
        CivilTime disconnect;
        CivilTime reconnect;
    } const cases[] = {
        {{2026, 3, 14, 14, 5, 9}, {2026, 3, 14, 15, 5, 9}, {2026, 3, 14, 17, 5, 9}},
        {{2026, 3, 14, 22, 30, 0}, {2026, 3, 14, 23, 30, 0}, {2026, 3, 15, 1, 30, 0}},
        {{2026, 3, 14, 23, 30, 0}, {2026, 3, 15, 0, 30, 0}, {2026, 3, 15, 2, 30, 0}},
        {{2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 59, 59}, {2027, 1, 1, 2, 59, 59}},
        {{2028, 2, 28, 22, 0, 0}, {2028, 2, 28, 23, 0, 0}, {2028, 2, 29, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        substitute::setNow(c.created);
        platform::Form form = createMainWindow();
        EXPECT_EQ(toCivilTime(mainWindow.日期框1.value()), c.disconnect) << c.created.hour;
        EXPECT_EQ(toCivilTime(mainWindow.日期框2.value()), c.reconnect) << c.created.hour;
    }
}

TEST_F(MainWindowTest, TickBoxesEnableTheirPickersWithoutTouchingTheValue) {
    platform::Form form = createMainWindow();
    struct Box {
        platform::CheckBox box;
        platform::DatePicker picker;
        platform::DatePicker other;
    } const boxes[] = {
        {mainWindow.选择框1, mainWindow.日期框1, mainWindow.日期框2},
        {mainWindow.选择框2, mainWindow.日期框2, mainWindow.日期框1},
    };
    for (const Box& b : boxes) {
        const platform::DateTime before = b.picker.value();
        substitute::click(b.box.ref());
        EXPECT_FALSE(b.box.checked());
        EXPECT_TRUE(b.picker.disabled());
        EXPECT_FALSE(b.other.disabled());
        substitute::click(b.box.ref());
        EXPECT_TRUE(b.box.checked());
        EXPECT_FALSE(b.picker.disabled());
        EXPECT_EQ(b.picker.value(), before);
    }
}

TEST(AddHours, MovesTheDateOnPastMidnight) {
    const platform::DateTime t = platform::toDateTime({2026, 3, 14, 23, 30, 0});
    EXPECT_EQ(toCivilTime(addHours(t, 1)), (CivilTime{2026, 3, 15, 0, 30, 0}));
    EXPECT_EQ(toCivilTime(addHours(t, 3)), (CivilTime{2026, 3, 15, 2, 30, 0}));
    EXPECT_EQ(toCivilTime(addHours(t, 48)), (CivilTime{2026, 3, 16, 23, 30, 0}));
    EXPECT_EQ(toCivilTime(addHours(t, -24)), (CivilTime{2026, 3, 13, 23, 30, 0}));
}
