#include "platform/thread.h"

#include <atomic>
#include <memory>

#include <gtest/gtest.h>

#include <windows.h>

TEST(StartDetachedThread, RunsTheBodyOnANewThreadAndReleasesIt) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(done, nullptr);
    std::atomic<DWORD> bodyThread{0};
    auto held = std::make_shared<int>(0);
    ASSERT_TRUE(platform::startDetachedThread([&bodyThread, done, held] {
        bodyThread = GetCurrentThreadId();
        SetEvent(done);
    }));
    ASSERT_EQ(WaitForSingleObject(done, 10000), WAIT_OBJECT_0);
    CloseHandle(done);
    EXPECT_NE(bodyThread.load(), 0u);
    EXPECT_NE(bodyThread.load(), GetCurrentThreadId());

    // The body, and what it holds, is released once it has run.
    for (int attempt = 0; attempt < 1000 && held.use_count() > 1; ++attempt) {
        Sleep(10);
    }
    EXPECT_EQ(held.use_count(), 1);
}

TEST(StartDetachedThread, RefusesAnEmptyBody) {
    EXPECT_FALSE(platform::startDetachedThread(std::function<void()>{}));
}
