#pragma once
// A test over the main window freshly created on the substitutes, as at start.
#include "app/main_window.h"
#include "schedule/arming.h"
#include "substitutes.h"

class WithMainWindow : public Substituted {
  protected:
    void SetUp() override {
        Substituted::SetUp();
        openWindow();
    }
    void TearDown() override {
        window_ = platform::Form{};  // before the substitutes drop the form it refers to
        Substituted::TearDown();
    }

    // Closes the window and opens a fresh one over fresh substitutes, as at start.
    void openWindow() {
        window_ = platform::Form{};
        substitute::reset();
        window_ = createMainWindow();
        ASSERT_TRUE(window_);
        // The flags outlive a window; a new run of the program starts them at 0.
        disconnectPending = 0;
        connectPending = 0;
        windowOpened();
    }

    // What a test needs in every fresh window.
    virtual void windowOpened() {}

    platform::Form window_;
};
