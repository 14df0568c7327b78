#pragma once
// In-memory substitutes of the platform layer. Every platform function that the logic calls is
// defined here for the native tests; this header lets a test set them up and observe them.
// Call substitute::reset() before each test (the Substituted fixture does).
#include <functional>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "platform/controls.h"
#include "platform/date_time.h"
#include "platform/form.h"
#include "platform/process.h"
#include "platform/text.h"

namespace substitute {

struct FakeControl {
    platform::ControlKind kind = platform::ControlKind::Label;
    bool visible = true;
    bool disabled = false;
    platform::Text text;  // label text or button caption
    bool checked = false;
    std::vector<platform::Text> items;
    int selection = -1;
    platform::CivilTime value;
    platform::Text format;
    int period = 0;
    int periodWrites = 0;  // how often the period was written
    platform::Handler onEvent = nullptr;
};

// A window created through platform::createForm. Kept alive until reset(), so that a control
// reference held past the window's end behaves like one to a destroyed window: no effect.
struct FakeForm {
    std::recursive_mutex mutex;  // a request is carried out whole, as on the window's thread
    platform::Text caption;
    int outerWidth = 0;
    int outerHeight = 0;
    std::vector<FakeControl> controls;
    bool shown = false;
    bool destroyed = false;
};

// All substitute state back to its start: no forms, clock at 2026-03-14 14:05:09, launches
// succeed, form creation succeeds, threads deferred.
void reset();

// --- window ---
// The form most recently created, or null.
FakeForm* lastForm();
// Makes the next createForm calls fail (return an empty form).
void failFormCreation(bool fail);
// What a click does: toggles a check box's tick, then runs the control's handler.
void click(platform::ControlRef ref);
// Runs a timer's handler once, as when its period has elapsed.
void elapse(platform::Timer timer);
FakeControl& control(platform::ControlRef ref);
// The status the next runMessageLoop returns, and something to do inside it (as the user).
void setMessageLoop(std::function<void()> whileRunning, int status = 0);

// --- clock ---
void setNow(platform::DateTime now);
void setNow(const platform::CivilTime& now);
platform::DateTime now();

// --- process launch ---
struct Launch {
    platform::Text program;
    platform::Text commandLine;
    bool waitForExit;
    platform::ShowMode show;
};
std::vector<Launch> launches();
void failLaunches(bool fail);

// --- error boxes ---
struct ErrorBox {
    platform::Text text;
    platform::Text title;
};
std::vector<ErrorBox> errorBoxes();

// --- threads ---
// By default a started thread is only recorded; the test decides when it runs.
void failThreadStart(bool fail);
int pendingThreads();
// Runs the recorded threads to their end, on real threads, and joins them.
void runPendingThreads();
// Starts the recorded threads on real threads without waiting; joinThreads() waits.
void startPendingThreads();
void joinThreads();

// --- text ---
// UTF-8 to code page 936, for writing expected texts in tests.
platform::Text gbk(const char* utf8);

// Resets the IP Helper, router configuration and text conversion substitutes (network.h).
void resetNetwork();

// Order of events seen by the substitutes ("createForm", "showCentred", "messageLoop",
// "errorBox", "thread", "formDestroyed"), for tests of start-up order.
std::vector<std::string> events();
void recordEvent(const std::string& event);

}  // namespace substitute

// A fixture that resets the substitutes around each test.
class Substituted : public ::testing::Test {
  protected:
    void SetUp() override { substitute::reset(); }
    void TearDown() override {
        substitute::joinThreads();
        substitute::reset();
    }
};
