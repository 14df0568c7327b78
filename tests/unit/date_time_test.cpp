#include "platform/date_time.h"

#include <gtest/gtest.h>

using platform::CivilTime;
using platform::DateTime;

TEST(DateTime, CivilTimesMapToOleDates) {
    struct Case {
        CivilTime civil;
        DateTime expected;
    } const cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0},
        {{1899, 12, 31, 12, 0, 0}, 1.5},
        {{1900, 1, 1, 6, 0, 0}, 2.25},
        {{2000, 1, 1, 0, 0, 0}, 36526.0},
        {{2024, 2, 29, 18, 0, 0}, 45351.75},
        {{1899, 12, 29, 18, 0, 0}, -0.25},  // linear before the epoch
        {{9999, 12, 31, 0, 0, 0}, 2958465.0},
        {{1601, 1, 1, 0, 0, 0}, -109205.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(platform::toDateTime(c.civil), c.expected) << c.civil.year;
        EXPECT_EQ(platform::toCivilTime(c.expected), c.civil) << c.expected;
    }
}

TEST(DateTime, RoundTripsEverySecondOfADayAndRoundsToTheNearestSecond) {
    for (int s = 0; s < 86400; s += 7) {
        const CivilTime t{2026, 12, 11, s / 3600, s % 3600 / 60, s % 60};
        ASSERT_EQ(platform::toCivilTime(platform::toDateTime(t)), t) << s;
    }
    const DateTime base = platform::toDateTime({2026, 12, 11, 23, 59, 59});
    EXPECT_EQ(platform::toCivilTime(base + 0.4 / 86400), (CivilTime{2026, 12, 11, 23, 59, 59}));
    EXPECT_EQ(platform::toCivilTime(base + 0.6 / 86400), (CivilTime{2026, 12, 12, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(platform::roundToSecond(base + 0.6 / 86400), base + 1.0 / 86400);
    EXPECT_EQ(platform::toCivilTime(-0.25 - 0.6 / 86400), (CivilTime{1899, 12, 29, 17, 59, 59}));
}
