// bare_window.exe and controls_window.exe: the baselines of the whole-process benchmarks.
//
// bare_window.exe does the least a window program does: registers a class, creates one empty
// window with Vellimor's frame and outer size, shows it centred and runs the message loop until
// the window is closed. Its start-up time and memory are what any such program costs.
//
// controls_window.exe (built with VELLIMOR_BENCH_CONTROLS) is the same program with Vellimor's
// ten control windows in it, created as Vellimor creates them: the same classes, styles, places,
// texts and font, the common controls 6 manifest and their initialisation, and nothing else (no
// values, no handlers, no loader). What it costs over the bare window is what those controls cost
// on the system at hand; what Vellimor.exe costs over it is the program's own share.
#include <windows.h>

#ifdef VELLIMOR_BENCH_CONTROLS
#include <commctrl.h>
#endif

namespace {

// The frame and the outer size of Vellimor's main window.
constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int outerWidth = 276;
constexpr int outerHeight = 228;

#ifdef VELLIMOR_BENCH_CONTROLS
struct ChildWindow {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
    int left, top, width, height;
    const wchar_t* text;
};

constexpr DWORD child = WS_CHILD | WS_GROUP | WS_VISIBLE;
constexpr DWORD label = child | SS_RIGHT | SS_CENTERIMAGE;
constexpr DWORD picker = child | WS_TABSTOP | DTS_SHORTDATEFORMAT;
constexpr DWORD checkBox = child | WS_TABSTOP | BS_AUTOCHECKBOX;

// Vellimor's window, control by control (its timer has no window, and its status label is
// hidden at start). The drop-down list is created with its opened height.
// clang-format off
constexpr ChildWindow children[] = {
    {L"STATIC",            label, 0,                24,  16,  80,  20,  L"\u7F51\u7EDC\u8FDE\u63A5\u540D:"},
    {L"COMBOBOX",          child | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT | WS_VSCROLL,
                                  0,                120, 16,  100, 160, L""},
    {L"STATIC",            label, 0,                24,  52,  80,  20,  L"\u65AD\u7F51\u65F6\u95F4:"},
    {DATETIMEPICK_CLASSW,  picker, WS_EX_CLIENTEDGE, 120, 52,  100, 20,  L""},
    {L"BUTTON",            checkBox, 0,             232, 52,  24,  20,  L""},
    {L"STATIC",            label, 0,                24,  88,  80,  20,  L"\u8054\u7F51\u65F6\u95F4:"},
    {DATETIMEPICK_CLASSW,  picker, WS_EX_CLIENTEDGE, 120, 88,  100, 20,  L""},
    {L"BUTTON",            checkBox, 0,             232, 88,  24,  20,  L""},
    {L"BUTTON",            child | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                  0,                58,  128, 136, 40,  L"\u542F\u7528"},
    {L"STATIC",            (label & ~WS_VISIBLE), 0, 48, 176, 192, 24,  L""},
};
// clang-format on
#endif

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
#ifdef VELLIMOR_BENCH_CONTROLS
    INITCOMMONCONTROLSEX commonControls{};
    commonControls.dwSize = sizeof commonControls;
    commonControls.dwICC = ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&commonControls);
#endif
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = L"BareWindow";
    if (RegisterClassExW(&windowClass) == 0) {
        return -1;
    }
    const int left = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Bare window", style, left, top,
                                  outerWidth, outerHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return -1;
    }
#ifdef VELLIMOR_BENCH_CONTROLS
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    int id = 100;
    for (const ChildWindow& c : children) {
        HWND control = CreateWindowExW(
            c.extendedStyle, c.className, c.text, c.style, c.left, c.top, c.width, c.height, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
        if (control == nullptr) {
            return -1;
        }
        SendMessageW(control, WM_SETFONT, font, FALSE);
    }
#endif
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
