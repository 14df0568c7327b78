// bare_window.exe: the baseline of the whole-process benchmarks. It does the least a window
// program does: registers a class, creates one empty window with Vellimor's frame and outer size,
// shows it centred and runs the message loop until the window is closed. Its start-up time and
// memory are what any such program costs; what Vellimor.exe adds is measured against it.
#include <windows.h>

namespace {

// The frame and the outer size of Vellimor's main window.
constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int outerWidth = 276;
constexpr int outerHeight = 228;

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
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
