#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "net/adapter_inventory.h"
#include "substitutes.h"

using StartupTest = Substituted;

TEST_F(StartupTest, RunsInOrderAndReleasesTheListAfterTheWindowCloses) {
    bool listExistedWhileRunning = false;
    substitute::setMessageLoop([&] { listExistedWhileRunning = adapterList != nullptr; }, 0);

    EXPECT_EQ(runApplication(), 0);

    EXPECT_TRUE(listExistedWhileRunning);
    EXPECT_EQ(adapterList, nullptr);
    EXPECT_EQ(substitute::events(),
              (std::vector<std::string>{"initGui", "createForm", "thread", "showCentred",
                                        "messageLoop", "formDestroyed"}));
    EXPECT_TRUE(substitute::errorBoxes().empty());
    EXPECT_TRUE(substitute::lastForm()->shown);
}

TEST_F(StartupTest, FailedWindowShowsTheErrorBoxAndEndsWithMinusOne) {
    substitute::failFormCreation(true);

    EXPECT_EQ(runApplication(), -1);

    ASSERT_EQ(substitute::errorBoxes().size(), 1u);
    EXPECT_EQ(substitute::errorBoxes()[0].text, substitute::gbk("启动窗口无法载入"));
    EXPECT_EQ(substitute::events(),
              (std::vector<std::string>{"initGui", "createForm", "errorBox"}));
    EXPECT_EQ(substitute::pendingThreads(), 0);
    // The exit action was dropped: the list it would have released is still there.
    EXPECT_NE(adapterList, nullptr);
    releaseAdapterList();
}

TEST_F(StartupTest, ClosingWhileArmedLaunchesNothingMore) {
    substitute::setMessageLoop([] {
        mainWindow.日期框1.setValue(substitute::now() + 10.0 / 86400);
        mainWindow.日期框2.setValue(substitute::now() + 20.0 / 86400);
        substitute::click(mainWindow.按钮3.ref());
    });
    EXPECT_EQ(runApplication(), 0);
    // The window is gone: a timer message still in flight reaches nothing.
    substitute::setNow(substitute::now() + 30.0 / 86400);
    substitute::elapse(mainWindow.时钟1);
    EXPECT_TRUE(substitute::launches().empty());
}
