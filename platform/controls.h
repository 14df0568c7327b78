#pragma once
// The control properties through which all logic reads and changes the window. The wrappers
// are non-owning values (a form and a control id), cheap to copy and safe to keep after the
// window is gone: every operation on a destroyed window simply has no effect.
//
// Each realisation of the platform (Win32, or the substitutes used by the tests) defines these
// member functions.
#include "platform/date_time.h"
#include "platform/text.h"

namespace platform {

struct ControlRef {
    void* form = nullptr;  // the form that owns the control
    int id = 0;            // the control's id inside that form
};

class Control {
  public:
    Control() = default;
    explicit Control(ControlRef ref) : ref_(ref) {}

    bool visible() const;
    void setVisible(bool visible);
    bool disabled() const;
    void setDisabled(bool disabled);

    ControlRef ref() const { return ref_; }

  protected:
    ControlRef ref_;
};

class Label : public Control {
  public:
    using Control::Control;
    Text text() const;
    void setText(const Text& text);
};

class Button : public Control {
  public:
    using Control::Control;
    Text caption() const;
    void setCaption(const Text& caption);
};

class CheckBox : public Control {
  public:
    using Control::Control;
    bool checked() const;
};

// An unsorted drop-down list. Safe to use from another thread: each request is carried out on
// the window's thread, and the caller waits for it.
class DropDownList : public Control {
  public:
    using Control::Control;
    // -1 when no item is selected.
    int selection() const;
    // Selects max(-1, min(index, itemCount() - 1)).
    void setSelection(int index);
    int itemCount() const;
    // The empty text when the index is out of range.
    Text itemText(int index) const;
    void clear();
    // The new item's index, or -1 when it could not be added.
    int addItem(const Text& text);
};

class DatePicker : public Control {
  public:
    using Control::Control;
    // To the whole second.
    DateTime value() const;
    // Rounded to the nearest second.
    void setValue(DateTime value);
    void setFormat(const Text& format);
};

// A window timer; never drawn.
class Timer {
  public:
    Timer() = default;
    explicit Timer(ControlRef ref) : ref_(ref) {}
    // The period last written; 0 at start.
    int period() const;
    // 0 stops the timer; a positive period stops it and starts it anew.
    void setPeriod(int milliseconds);

    ControlRef ref() const { return ref_; }

  private:
    ControlRef ref_;
};

}  // namespace platform
