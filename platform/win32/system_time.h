#pragma once
// A picker's value crosses as a SYSTEMTIME, to the whole second.
#include "platform/date_time.h"
#include "platform/win32/win32.h"

namespace platform::win32 {

// The years a SYSTEMTIME can hold.
inline bool fitsSystemTime(const CivilTime& time) {
    return time.year >= 1601 && time.year <= 30827;
}

inline SYSTEMTIME toSystemTime(const CivilTime& time) {
    // 30 December 1899, day 0, was a Saturday (6).
    const auto day = static_cast<long long>(toDateTime({time.year, time.month, time.day}));
    SYSTEMTIME systemTime{};
    systemTime.wDayOfWeek = static_cast<WORD>(((day + 6) % 7 + 7) % 7);
    systemTime.wYear = static_cast<WORD>(time.year);
    systemTime.wMonth = static_cast<WORD>(time.month);
    systemTime.wDay = static_cast<WORD>(time.day);
    systemTime.wHour = static_cast<WORD>(time.hour);
    systemTime.wMinute = static_cast<WORD>(time.minute);
    systemTime.wSecond = static_cast<WORD>(time.second);
    return systemTime;
}

// The milliseconds are dropped.
inline DateTime fromSystemTime(const SYSTEMTIME& time) {
    return toDateTime({time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond});
}

}  // namespace platform::win32
