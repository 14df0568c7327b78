#include "platform/date_time.h"

#include <cmath>
#include <cstdint>

namespace platform {
namespace {

constexpr std::int64_t secondsPerDay = 86400;

// Days from 1970-01-01 in the proleptic Gregorian calendar (H. Hinnant's civil algorithms).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CivilTime civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    CivilTime t;
    t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    return t;
}

const std::int64_t epochDays = daysFromCivil(1899, 12, 30);

}  // namespace

DateTime toDateTime(const CivilTime& t) {
    const std::int64_t days =
        daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) -
        epochDays;
    const std::int64_t seconds = t.hour * 3600 + t.minute * 60 + t.second;
    return static_cast<double>(days) + static_cast<double>(seconds) / secondsPerDay;
}

DateTime roundToSecond(DateTime t) {
    return static_cast<double>(std::llround(t * secondsPerDay)) / secondsPerDay;
}

CivilTime toCivilTime(DateTime t) {
    const std::int64_t total = std::llround(t * secondsPerDay);
    std::int64_t days = total / secondsPerDay;
    std::int64_t rest = total % secondsPerDay;
    if (rest < 0) {
        rest += secondsPerDay;
        --days;
    }
    CivilTime c = civilFromDays(days + epochDays);
    c.hour = static_cast<int>(rest / 3600);
    c.minute = static_cast<int>(rest % 3600 / 60);
    c.second = static_cast<int>(rest % 60);
    return c;
}

}  // namespace platform
