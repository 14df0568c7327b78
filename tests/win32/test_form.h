#pragma once
// A window shaped like the program's own, with every kind of control, for the platform tests.
#include <array>
#include <string>

#include <gtest/gtest.h>

#include "platform/controls.h"
#include "platform/form.h"

#include <windows.h>

namespace testing_form {

// Indexes into the table.
enum Index : int {
    connectionLabel,
    connectionList,
    disconnectLabel,
    disconnectPicker,
    disconnectBox,
    reconnectLabel,
    reconnectPicker,
    reconnectBox,
    startButton,
    scheduleTimer,
    statusLabel,
    controlCount
};

extern const std::array<platform::ControlSpec, controlCount> controls;
extern const platform::FormSpec description;

// How often each control's event ran since the last reset.
extern std::array<int, controlCount> eventCounts;
// Ends the message loop with `status` once a control's event has run `count` times.
void quitAfterEvents(Index index, int count, int status);
void resetEvents();

// Statuses with which the message loops of the tests end.
inline constexpr int timedOut = 901;
inline constexpr int eventsSeen = 902;

// Runs platform::runMessageLoop for at most `milliseconds`; its status, or timedOut.
int runMessageLoopFor(unsigned milliseconds);

// Removes every queued message, a quit request included.
void drainMessages();

std::wstring windowText(HWND window);

// The window of the control made from controls[index] of the form's table.
HWND controlWindowOf(const platform::Form& form, int index);

// A fresh form of the table, not shown, with its controls bound.
class FormTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    HWND window() const { return static_cast<HWND>(form_.control(0).form); }
    HWND controlWindow(Index index) const;
    platform::ControlRef ref(Index index) const { return form_.control(index); }

    platform::Form form_;
};

}  // namespace testing_form
