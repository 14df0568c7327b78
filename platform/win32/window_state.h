#pragma once
// What a form's window knows of its controls, shared by the form and the control properties.
#include <vector>

#include "platform/form.h"
#include "platform/win32/win32.h"

namespace platform::win32 {

// A control's id is its index in the form's table plus this base, clear of the ids (IDOK,
// IDCANCEL, ...) that the dialog keyboard handling sends on its own.
inline constexpr int controlIdBase = 1000;

struct ControlState {
    ControlKind kind = ControlKind::Label;
    Handler onEvent = nullptr;
    int period = 0;  // timers only: the period last written, 0 while stopped
};

// Reached through the window's GWLP_USERDATA. Belongs to the window once it has been created,
// and is freed with it.
struct WindowState {
    std::vector<ControlState> controls;
    int defaultButtonId = 0;  // 0 when the form has no push button
    HWND focus = nullptr;     // the control to give the focus back to when reactivated
    HFONT font = nullptr;     // the window's font, which its controls share
    bool ownedByWindow = false;
    bool destroyedByOwner = false;  // destroyed by its Form rather than closed by the user
};

// The state of a form's window; null when `form` is not, or no longer, a form's window.
WindowState* windowState(HWND form);

// The control at `index` of the form's table, or null when there is none (or no window).
ControlState* controlState(HWND form, int index);

}  // namespace platform::win32
