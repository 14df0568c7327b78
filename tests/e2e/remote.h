#pragma once
// Driving another process's window from outside with plain Win32 calls: starting the program,
// finding its window and reading or changing its controls the way a user (or an accessibility
// tool) would. Messages that carry no pointer, or whose pointer the system marshals (texts,
// list items), are sent directly; picker values live in memory allocated inside the program.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace e2e {

// ---- Results --------------------------------------------------------------------------------

// Prints one result line; a failed check makes the driver's exit status non-zero.
void check(bool ok, const std::string& what);
void note(const std::string& line);
int failureCount();

std::string utf8(std::wstring_view text);
std::wstring wide(std::string_view utf8Text);
// A text for a report line: UTF-8, with the control characters escaped.
std::string quoted(std::wstring_view text);

// ---- Handles and time -----------------------------------------------------------------------

class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle();
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    HANDLE h_ = nullptr;
};

// UTC in 100 ns units since 1601.
std::int64_t utcNow();
// Local time in whole seconds since 1601 (the program's clock has whole seconds).
std::int64_t localSecondsNow();
std::int64_t localSeconds(const SYSTEMTIME& local);
SYSTEMTIME localTime(std::int64_t seconds);
// UTC (100 ns units) of the start of a local second.
std::int64_t utcOfLocalSecond(std::int64_t seconds);
std::string formatLocal(std::int64_t seconds);
// A monotonic clock in milliseconds.
double millisecondsNow();
void pause(DWORD milliseconds);

// ---- The program under test -----------------------------------------------------------------

class Program {
  public:
    // Starts `exe` in `workingDirectory`; nullptr when it cannot be started.
    static std::unique_ptr<Program> start(const std::wstring& exe,
                                          const std::wstring& workingDirectory);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    // Ends the program if a case left it running.
    ~Program();

    // Waits for the program's visible top-level window; nullptr after the timeout.
    HWND waitForWindow(DWORD timeoutMs);
    HWND window() const { return window_; }
    HANDLE process() const { return process_.get(); }
    bool running() const;
    // Waits for the process to end; its exit status, or nothing after the timeout.
    std::optional<DWORD> waitForExit(DWORD timeoutMs);
    // Asks the window to close (WM_CLOSE) and waits for the process to end.
    std::optional<DWORD> close(DWORD timeoutMs);

    // The program's visible message boxes (dialogs of class #32770).
    std::vector<HWND> dialogs() const;
    // One of the program's visible top-level windows of the class; nullptr when none.
    HWND visibleWindowOfClass(const std::wstring& name) const;

  private:
    Program(PROCESS_INFORMATION info);
    Handle process_;
    Handle thread_;
    DWORD id_ = 0;
    HWND window_ = nullptr;
};

// ---- Controls -------------------------------------------------------------------------------

std::wstring className(HWND window);
std::optional<std::wstring> textOf(HWND window);
LONG_PTR styleOf(HWND window);
LONG_PTR exStyleOf(HWND window);
// The control's place and size relative to its parent's client area.
RECT placeInParent(HWND control);
// The direct children of a window, in their order (creation order for controls).
std::vector<HWND> childrenOf(HWND parent);

// Sends a message that carries no pointer, or one the system marshals; nothing when the
// program did not answer within 5 s.
std::optional<LRESULT> send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

bool isChecked(HWND box);
// A click as from the mouse, carried out by the program before this returns.
void click(HWND button);
// The same without waiting, for a click whose handler opens a modal message box.
void postClick(HWND button);

std::optional<SYSTEMTIME> pickerValue(const Program& program, HWND picker);
bool setPickerValue(const Program& program, HWND picker, const SYSTEMTIME& value);

int itemCount(HWND list);
int selection(HWND list);
std::vector<std::wstring> items(HWND list);
int addItem(HWND list, const std::wstring& text);

}  // namespace e2e
