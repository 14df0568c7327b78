#include "schedule/arming.h"

#include <cmath>
#include <limits>

#include "app/main_window.h"
#include "platform/form.h"
#include "schedule/texts.h"

int disconnectPending = 0;
int connectPending = 0;

namespace {

constexpr int tickPeriodMs = 300;
constexpr double secondsPerDay = 86400.0;

// The time of a checked action must lie at least one second ahead.
bool isAhead(std::int32_t seconds) {
    return seconds >= 1;
}

void arm() {
    lockSchedule(1);
    mainWindow.按钮3.setCaption(schedule_texts::stopCaption);
    mainWindow.标签4.setVisible(true);
    mainWindow.时钟1.setPeriod(tickPeriodMs);
}

void disarm() {
    lockSchedule(0);
    mainWindow.按钮3.setCaption(schedule_texts::startCaption);
    mainWindow.标签4.setVisible(false);
    mainWindow.时钟1.setPeriod(0);
}

}  // namespace

void onStartStopClicked() {
    const platform::Text caption = mainWindow.按钮3.caption();
    if (caption == schedule_texts::startCaption) {
        // One clock reading for both times, so that a second boundary cannot fall between them.
        const platform::DateTime now = platform::localNow();
        const std::int32_t d1 = secondsUntil(mainWindow.日期框1.value(), now);
        const std::int32_t d2 = secondsUntil(mainWindow.日期框2.value(), now);
        if (!isAhead(d1) && mainWindow.选择框1.checked()) {
            platform::showErrorBox(schedule_texts::disconnectTimeError,
                                   schedule_texts::timeErrorTitle);
            return;
        }
        if (!isAhead(d2) && mainWindow.选择框2.checked()) {
            platform::showErrorBox(schedule_texts::reconnectTimeError,
                                   schedule_texts::timeErrorTitle);
            return;
        }
        arm();
    } else if (caption == schedule_texts::stopCaption) {
        disarm();
    }
}

void lockSchedule(int locked) {
    const bool disabled = locked != 0;
    mainWindow.组合框1.setDisabled(disabled);
    mainWindow.日期框1.setDisabled(disabled);
    mainWindow.日期框2.setDisabled(disabled);
    mainWindow.选择框1.setDisabled(disabled);
    mainWindow.选择框2.setDisabled(disabled);
    disconnectPending = locked;
    connectPending = locked;
}

std::int32_t secondsUntil(platform::DateTime t, platform::DateTime now) {
    // Both values carry whole seconds, so the difference is a whole number of seconds up to
    // the representation error of a day fraction, which grows with the date (far from 1899 it
    // reaches several microseconds). Rounding removes it; a small bias before truncation would
    // not.
    double seconds = std::round((t - now) * secondsPerDay);
    if (std::isnan(seconds)) {
        return 0;
    }
    // A time one second behind still reads 0, so an action fires on the first tick at or after
    // its second.
    if (seconds < 0) {
        seconds += 1;
    }
    // Converting a value outside the 32-bit range would be undefined: saturate first.
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    if (seconds >= highest) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (seconds <= lowest) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(seconds);
}

std::int32_t secondsUntil(platform::DateTime t) {
    return secondsUntil(t, platform::localNow());
}
