#include "platform/date_time.h"

#include <cmath>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

platform::DateTime systemLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return platform::toDateTime(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

}  // namespace

TEST(LocalNow, IsTheLocalClockToTheWholeSecond) {
    const platform::DateTime before = systemLocalTime();
    const platform::DateTime now = platform::localNow();
    const platform::DateTime after = systemLocalTime();
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
    const double seconds = now * 86400;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-3) << "no fraction of a second";
}
