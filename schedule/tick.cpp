#include "schedule/tick.h"

#include <cstdint>

#include "app/main_window.h"
#include "net/switching.h"
#include "platform/date_time.h"
#include "schedule/arming.h"
#include "schedule/countdown.h"
#include "schedule/texts.h"

namespace {

// One of the two scheduled actions as one tick sees it.
struct Action {
    std::int32_t secondsLeft;
    bool checked;
    int& pending;
    const char* countdownPrefix;
    const char* doneText;
    const char* failedText;
    bool (*command)(const platform::Text& name);
};

void showCountdown(const Action& action) {
    platform::Text text(action.countdownPrefix);
    text += countdownText(action.secondsLeft, platform::Text(), false, false);
    mainWindow.标签4.setText(text);
}

// The flag is cleared first, so that the action fires at most once per arming whatever the
// launch does; a launch that did not happen is not retried.
void fire(const Action& action) {
    action.pending = 0;
    const bool launched = action.command(selectedConnectionName());
    mainWindow.标签4.setText(launched ? action.doneText : action.failedText);
}

void endSchedule() {
    mainWindow.时钟1.setPeriod(0);
    mainWindow.按钮3.setCaption(schedule_texts::startCaption);
    lockSchedule(0);
}

// The four steps for the action that comes first and the one that follows; the first step
// whose test holds acts, and the tick is over.
void runSteps(const Action& first, const Action& second) {
    if (first.secondsLeft >= 1 && first.checked) {
        showCountdown(first);
    } else if (first.secondsLeft <= 0 && first.pending == 1 && first.checked) {
        fire(first);
        // Nothing checked is left to do when the other action is excluded or has fired already.
        if (!second.checked || second.pending == 0) {
            endSchedule();
        }
    } else if (second.secondsLeft >= 1 && second.checked) {
        showCountdown(second);
    } else if (second.secondsLeft <= 0 && second.pending == 1 && second.checked) {
        fire(second);
        endSchedule();
    }
}

}  // namespace

void onScheduleTick() {
    // One clock reading for both times, so that a second boundary cannot fall between them.
    const platform::DateTime now = platform::localNow();
    const Action disconnect{secondsUntil(mainWindow.日期框1.value(), now),
                            mainWindow.选择框1.checked(),
                            disconnectPending,
                            schedule_texts::disconnectCountdown,
                            schedule_texts::disconnected,
                            schedule_texts::disconnectFailed,
                            disableConnection};
    const Action reconnect{secondsUntil(mainWindow.日期框2.value(), now),
                           mainWindow.选择框2.checked(),
                           connectPending,
                           schedule_texts::reconnectCountdown,
                           schedule_texts::reconnected,
                           schedule_texts::reconnectFailed,
                           enableConnection};
    if (disconnect.secondsLeft < reconnect.secondsLeft) {
        runSteps(disconnect, reconnect);
    } else {
        runSteps(reconnect, disconnect);
    }
}
