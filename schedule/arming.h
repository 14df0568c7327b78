#pragma once
#include <cstdint>

#include "platform/date_time.h"

// 1 while the action may still fire in the current arming.
extern int disconnectPending;
extern int connectPending;

void onStartStopClicked();

// Disables (1) or enables (0) the five schedule inputs, then sets both pending flags to `locked`.
void lockSchedule(int locked);

// Whole seconds from `now` to `t`, positive when `t` lies ahead; one second behind reads 0.
// Saturates to the 32-bit range.
std::int32_t secondsUntil(platform::DateTime t, platform::DateTime now);
// The same against the local clock.
std::int32_t secondsUntil(platform::DateTime t);
