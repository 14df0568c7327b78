#include "platform/controls.h"

#include <algorithm>
#include <string>

#include "platform/win32/system_time.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_state.h"

#include <commctrl.h>

// Every property goes through the control's window and so through its owning thread: a request
// from another thread (the connection-list loader) is sent to the window's thread, and the
// caller waits until it has been carried out. A control whose window is gone answers as an
// empty one and ignores writes.

namespace platform {
namespace {

using win32::controlIdBase;

HWND formWindow(ControlRef ref) {
    return static_cast<HWND>(ref.form);
}

HWND controlWindow(ControlRef ref) {
    if (ref.form == nullptr || ref.id < 0) {
        return nullptr;
    }
    return GetDlgItem(formWindow(ref), controlIdBase + ref.id);
}

Text windowText(HWND window) {
    if (window == nullptr) {
        return {};
    }
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::clamp(copied, 0, length)));
    return win32::fromWide(text);
}

void setWindowText(HWND window, const Text& text) {
    if (window != nullptr) {
        SetWindowTextW(window, win32::toWide(text).c_str());
    }
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT orElse) {
    return window != nullptr ? SendMessageW(window, message, wParam, lParam) : orElse;
}

int itemCountOf(HWND box) {
    const LRESULT count = send(box, CB_GETCOUNT, 0, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;
}

}  // namespace

bool Control::visible() const {
    HWND window = controlWindow(ref_);
    // The control's own state, whether or not its window is shown yet.
    return window != nullptr && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::setVisible(bool visible) {
    if (HWND window = controlWindow(ref_); window != nullptr) {
        ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
    }
}

bool Control::disabled() const {
    HWND window = controlWindow(ref_);
    return window != nullptr && !IsWindowEnabled(window);
}

void Control::setDisabled(bool disabled) {
    if (HWND window = controlWindow(ref_); window != nullptr) {
        EnableWindow(window, disabled ? FALSE : TRUE);
    }
}

Text Label::text() const {
    return windowText(controlWindow(ref_));
}

void Label::setText(const Text& text) {
    setWindowText(controlWindow(ref_), text);
}

Text Button::caption() const {
    return windowText(controlWindow(ref_));
}

void Button::setCaption(const Text& caption) {
    setWindowText(controlWindow(ref_), caption);
}

bool CheckBox::checked() const {
    return send(controlWindow(ref_), BM_GETCHECK, 0, 0, BST_UNCHECKED) == BST_CHECKED;
}

int DropDownList::selection() const {
    const LRESULT selected = send(controlWindow(ref_), CB_GETCURSEL, 0, 0, CB_ERR);
    return selected >= 0 ? static_cast<int>(selected) : -1;
}

void DropDownList::setSelection(int index) {
    HWND box = controlWindow(ref_);
    if (box == nullptr) {
        return;
    }
    // -1 clears the selection.
    const int selected = std::max(-1, std::min(index, itemCountOf(box) - 1));
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int DropDownList::itemCount() const {
    return itemCountOf(controlWindow(ref_));
}

Text DropDownList::itemText(int index) const {
    HWND box = controlWindow(ref_);
    if (box == nullptr || index < 0 || index >= itemCountOf(box)) {
        return {};
    }
    const auto item = static_cast<WPARAM>(index);
    const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, item, 0);
    if (length < 0) {
        return {};  // gone in the meantime
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(box, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
    if (copied < 0) {
        return {};
    }
    text.resize(static_cast<std::size_t>(std::min(copied, length)));
    return win32::fromWide(text);
}

void DropDownList::clear() {
    send(controlWindow(ref_), CB_RESETCONTENT, 0, 0, 0);
}

int DropDownList::addItem(const Text& text) {
    HWND box = controlWindow(ref_);
    if (box == nullptr) {
        return -1;
    }
    const std::wstring item = win32::toWide(text);
    const LRESULT index =
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    return index >= 0 ? static_cast<int>(index) : -1;  // CB_ERR, CB_ERRSPACE
}

DateTime DatePicker::value() const {
    SYSTEMTIME value{};
    if (send(controlWindow(ref_), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value),
             GDT_ERROR) != GDT_VALID) {
        return DateTime{};
    }
    return win32::fromSystemTime(value);
}

void DatePicker::setValue(DateTime value) {
    HWND picker = controlWindow(ref_);
    const CivilTime time = toCivilTime(value);
    if (picker == nullptr || !win32::fitsSystemTime(time)) {
        return;
    }
    SYSTEMTIME systemTime = win32::toSystemTime(time);
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&systemTime));
}

void DatePicker::setFormat(const Text& format) {
    HWND picker = controlWindow(ref_);
    if (picker == nullptr) {
        return;
    }
    // An empty pattern (the same as none) gives the picker's own format back.
    const std::wstring pattern = win32::toWide(format);
    SendMessageW(picker, DTM_SETFORMATW, 0,
                 reinterpret_cast<LPARAM>(pattern.empty() ? nullptr : pattern.c_str()));
}

// The timer belongs to the form's window; its period is kept in the window's state. Only the
// window's own thread may start or stop it.
int Timer::period() const {
    const win32::ControlState* timer = win32::controlState(formWindow(ref_), ref_.id);
    return timer != nullptr && timer->kind == ControlKind::Timer ? timer->period : 0;
}

void Timer::setPeriod(int milliseconds) {
    win32::ControlState* timer = win32::controlState(formWindow(ref_), ref_.id);
    if (timer == nullptr || timer->kind != ControlKind::Timer) {
        return;
    }
    const auto id = static_cast<UINT_PTR>(controlIdBase + ref_.id);
    // Setting a running timer again restarts it with the new period.
    if (milliseconds > 0 &&
        SetTimer(formWindow(ref_), id, static_cast<UINT>(milliseconds), nullptr) != 0) {
        timer->period = milliseconds;
    } else {
        KillTimer(formWindow(ref_), id);
        timer->period = 0;
    }
}

}  // namespace platform
