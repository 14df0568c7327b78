#include "platform/form.h"

#include <memory>
#include <string>
#include <utility>

#include "platform/date_time.h"
#include "platform/win32/system_time.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_state.h"

#include <commctrl.h>

namespace platform {
namespace win32 {
namespace {

constexpr wchar_t formClassName[] = L"VellimorForm";

// The whole height of a drop-down list opened, its closed box included.
constexpr int droppedListHeight = 160;

constexpr DWORD formStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

LRESULT CALLBACK formProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

ATOM registerFormClass() {
    WNDCLASSEXW formClass{};
    formClass.cbSize = sizeof formClass;
    formClass.lpfnWndProc = formProcedure;
    formClass.hInstance = GetModuleHandleW(nullptr);
    formClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    // The application icon (resource 1), large for the task switcher and small for the caption;
    // a program without one gets the system's default. Shared icons are never destroyed.
    const auto icon = [](int width, int height) {
        return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                             IMAGE_ICON, GetSystemMetrics(width),
                                             GetSystemMetrics(height), LR_SHARED));
    };
    formClass.hIcon = icon(SM_CXICON, SM_CYICON);
    formClass.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
    // The dialog colour.
    formClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    formClass.lpszClassName = formClassName;
    return RegisterClassExW(&formClass);
}

ATOM formClass() {
    static const ATOM atom = registerFormClass();
    return atom;
}

bool isFormWindow(HWND window) {
    const ATOM atom = formClass();
    return window != nullptr && atom != 0 &&
           static_cast<ATOM>(GetClassLongPtrW(window, GCW_ATOM)) == atom;
}

bool isLabel(const WindowState& state, HWND control) {
    const int index = GetDlgCtrlID(control) - controlIdBase;
    return index >= 0 && index < static_cast<int>(state.controls.size()) &&
           state.controls[static_cast<std::size_t>(index)].kind == ControlKind::Label;
}

// Gives the focus back to the control that had it, or else to the first tab stop.
void restoreFocus(HWND window, const WindowState& state) {
    HWND target = state.focus;
    if (target == nullptr || !IsWindow(target) || !IsChild(window, target) ||
        !IsWindowVisible(target) || !IsWindowEnabled(target)) {
        target = GetNextDlgTabItem(window, nullptr, FALSE);
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

const ControlState* controlOfId(const WindowState& state, WPARAM id) {
    const auto index = static_cast<std::size_t>(id) - static_cast<std::size_t>(controlIdBase);
    return index < state.controls.size() ? &state.controls[index] : nullptr;
}

void run(Handler handler) {
    if (handler != nullptr) {
        handler();
    }
}

LRESULT CALLBACK formProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_COMMAND:
            // Clicks of push buttons and check boxes, by mouse or keyboard.
            if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
                const ControlState* control = controlOfId(*state, LOWORD(wParam));
                if (control != nullptr && (control->kind == ControlKind::PushButton ||
                                           control->kind == ControlKind::CheckBox)) {
                    run(control->onEvent);
                }
            }
            return 0;
        case WM_TIMER: {
            // A tick already queued when the timer was stopped is dropped.
            const ControlState* control = controlOfId(*state, wParam);
            if (control != nullptr && control->kind == ControlKind::Timer && control->period > 0) {
                run(control->onEvent);
            }
            return 0;
        }
        case DM_GETDEFID:
            // Enter presses the push button, as in a dialog.
            if (state->defaultButtonId != 0) {
                return MAKELRESULT(state->defaultButtonId, DC_HASDEFID);
            }
            return 0;
        case WM_SETFONT:
            state->font = reinterpret_cast<HFONT>(wParam);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(state->font);
        case WM_CTLCOLORSTATIC:
            if (isLabel(*state, reinterpret_cast<HWND>(lParam))) {
                const auto dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, RGB(0, 0, 0));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focused = GetFocus();
                if (focused != nullptr && IsChild(window, focused)) {
                    state->focus = focused;
                }
            } else if (HIWORD(wParam) == 0) {
                restoreFocus(window, *state);
            }
            return 0;
        case WM_SETFOCUS:
            restoreFocus(window, *state);
            return 0;
        case WM_DESTROY:
            // Closing the window ends the program; a form destroyed by its owner does not.
            if (!state->destroyedByOwner) {
                PostQuitMessage(0);
            }
            return 0;
        case WM_NCDESTROY: {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            // Until the window has been created, createForm still owns the state.
            const std::unique_ptr<WindowState> owned(state->ownedByWindow ? state : nullptr);
            break;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD extendedStyle;
};

ControlClass controlClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            // One line, right-aligned and vertically centred.
            return {L"STATIC", SS_RIGHT | SS_CENTERIMAGE, 0};
        case ControlKind::DropDownList:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT | WS_VSCROLL, 0};
        case ControlKind::DatePicker:
            // A drop-down calendar (no spin buttons) and a sunken edge.
            return {DATETIMEPICK_CLASSW, DTS_SHORTDATEFORMAT, WS_EX_CLIENTEDGE};
        case ControlKind::CheckBox:
            return {L"BUTTON", BS_AUTOCHECKBOX, 0};
        case ControlKind::PushButton:
            return {L"BUTTON", BS_DEFPUSHBUTTON, 0};
        case ControlKind::Timer:
            break;
    }
    return {nullptr, 0, 0};
}

// The list is created with the height it has opened; its closed box then takes the height of
// the table, as far as its selection field can be made to give it. The closed box follows the
// field's height one for one, but what the field becomes for a requested height differs between
// systems, so the request is corrected once by what came of the first.
void fitClosedHeight(HWND box, int height) {
    const auto closedHeight = [box] {
        RECT closed{};
        GetWindowRect(box, &closed);
        return static_cast<LRESULT>(closed.bottom - closed.top);
    };
    LRESULT requested = SendMessageW(box, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (requested == CB_ERR) {
        return;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const LRESULT closed = closedHeight();
        if (closed == height) {
            return;
        }
        requested += height - closed;
        if (requested <= 0 ||
            SendMessageW(box, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), requested) == CB_ERR) {
            return;
        }
    }
}

bool createControl(HWND form, const ControlSpec& description, int index, HFONT font) {
    const ControlClass kind = controlClass(description.kind);
    if (kind.name == nullptr) {
        return true;  // a timer has no window
    }
    // Every control starts its own group, so that the arrow keys never move the focus to a
    // neighbour (a label, say); Tab and Shift+Tab move it along the tab stops.
    const DWORD style = WS_CHILD | WS_GROUP | kind.style | (description.visible ? WS_VISIBLE : 0) |
                        (description.tabStop ? WS_TABSTOP : 0);
    const int height =
        description.kind == ControlKind::DropDownList ? droppedListHeight : description.height;
    const std::wstring text = toWide(description.text != nullptr ? description.text : "");
    HWND control =
        CreateWindowExW(kind.extendedStyle, kind.name, text.c_str(), style, description.left,
                        description.top, description.width, height, form,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlIdBase + index)),
                        GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
        return false;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    switch (description.kind) {
        case ControlKind::DropDownList:
            fitClosedHeight(control, description.height);
            break;
        case ControlKind::DatePicker: {
            // The current local time, to the whole second.
            SYSTEMTIME value = toSystemTime(toCivilTime(localNow()));
            SendMessageW(control, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
            break;
        }
        case ControlKind::CheckBox:
            // The table has no tick state: every check box starts ticked.
            SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
            break;
        default:
            break;
    }
    return true;
}

}  // namespace

WindowState* windowState(HWND form) {
    if (!isFormWindow(form)) {
        return nullptr;
    }
    return reinterpret_cast<WindowState*>(GetWindowLongPtrW(form, GWLP_USERDATA));
}

ControlState* controlState(HWND form, int index) {
    WindowState* state = windowState(form);
    if (state == nullptr || index < 0 || index >= static_cast<int>(state->controls.size())) {
        return nullptr;
    }
    return &state->controls[static_cast<std::size_t>(index)];
}

}  // namespace win32

Form& Form::operator=(Form&& other) noexcept {
    if (this != &other) {
        Form dying(std::move(*this));
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

Form::~Form() {
    auto* window = static_cast<HWND>(handle_);
    if (window == nullptr || !IsWindow(window)) {
        return;
    }
    if (win32::WindowState* state = win32::windowState(window); state != nullptr) {
        state->destroyedByOwner = true;
    }
    DestroyWindow(window);
}

ControlRef Form::control(int index) const {
    return ControlRef{handle_, index};
}

void Form::showCentred() {
    auto* window = static_cast<HWND>(handle_);
    if (window == nullptr) {
        return;
    }
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

void initGui() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
}

Form createForm(const FormSpec& description) {
    const ATOM atom = win32::formClass();
    if (atom == 0) {
        return Form{};
    }
    auto state = std::make_unique<win32::WindowState>();
    for (std::size_t i = 0; i < description.controls.size(); ++i) {
        const ControlSpec& control = description.controls[i];
        state->controls.push_back({control.kind, control.onEvent, 0});
        if (control.kind == ControlKind::PushButton && state->defaultButtonId == 0) {
            state->defaultButtonId = win32::controlIdBase + static_cast<int>(i);
        }
    }
    const std::wstring caption =
        win32::toWide(description.caption != nullptr ? description.caption : "");
    HWND window =
        CreateWindowExW(0, win32::formClassName, caption.c_str(), win32::formStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, description.outerWidth, description.outerHeight, nullptr,
                        nullptr, GetModuleHandleW(nullptr), state.get());
    if (window == nullptr) {
        return Form{};
    }
    state->ownedByWindow = true;
    static_cast<void>(state.release());
    // From here the form destroys the window on every path, the state with it.
    Form form(window);

    const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (std::size_t i = 0; i < description.controls.size(); ++i) {
        if (!win32::createControl(window, description.controls[i], static_cast<int>(i), font)) {
            return Form{};
        }
    }
    return form;
}

int runMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return -1;
        }
        // Keyboard navigation as in a dialog: Tab, Shift+Tab, Enter for the push button.
        HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root != nullptr && win32::isFormWindow(root) && IsDialogMessageW(root, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void showErrorBox(const Text& text, const Text& title) {
    MessageBoxW(nullptr, win32::toWide(text).c_str(), win32::toWide(title).c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace platform
