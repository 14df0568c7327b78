#pragma once
// A top-level window built from a table of controls.
#include <span>

#include "platform/controls.h"

namespace platform {

enum class ControlKind { Label, DropDownList, DatePicker, CheckBox, PushButton, Timer };

using Handler = void (*)();

struct ControlSpec {
    ControlKind kind;
    int left;
    int top;
    int width;
    int height;
    const char* text;  // code page 936
    bool visible;
    bool tabStop;
    Handler onEvent;  // click for buttons and check boxes, period elapsed for timers
};

struct FormSpec {
    const char* caption;  // code page 936
    int outerWidth;
    int outerHeight;
    std::span<const ControlSpec> controls;
};

// Owns the window; destroying the form destroys the window if it still exists. Closing the
// window by the user posts the quit request with status 0.
class Form {
  public:
    Form() = default;
    explicit Form(void* handle) : handle_(handle) {}
    Form(Form&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Form& operator=(Form&& other) noexcept;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    ~Form();

    explicit operator bool() const { return handle_ != nullptr; }

    // The control created from controls[index] of the description.
    ControlRef control(int index) const;

    // Shows the window centred on the primary screen.
    void showCentred();

  private:
    void* handle_ = nullptr;
};

// Prepares the GUI support (common controls). Called once, first.
void initGui();

// An empty form when the window cannot be created.
Form createForm(const FormSpec& description);

// Runs until the quit request and returns its status.
int runMessageLoop();

// Error box: no owner, task-modal, stop icon, one OK button. Returns when it is closed.
void showErrorBox(const Text& text, const Text& title);

}  // namespace platform
