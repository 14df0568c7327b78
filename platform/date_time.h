#pragma once
// A point in local time as an OLE Automation date: days since 1899-12-30 00:00, the fraction
// being the time of day. The scale is kept linear before 1899 too, so that differences and
// added hours stay exact across the whole range a picker can hold (1601 to 9999).
#include <cstdint>

namespace platform {

using DateTime = double;

struct CivilTime {
    int year = 1899;
    int month = 12;  // 1..12
    int day = 30;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

DateTime toDateTime(const CivilTime& t);

// Rounds to the nearest whole second first.
CivilTime toCivilTime(DateTime t);

DateTime roundToSecond(DateTime t);

// The local clock, to the whole second. Realised by the platform.
DateTime localNow();

}  // namespace platform
