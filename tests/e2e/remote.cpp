#include "remote.h"

#include <commctrl.h>

#include <cstdio>
#include <utility>

namespace e2e {

namespace {

int failures = 0;

void writeLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

constexpr UINT answerTimeoutMs = 5000;

// Memory inside the program, for the messages whose pointers the system does not marshal.
class RemoteMemory {
  public:
    RemoteMemory(HANDLE process, size_t size)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    explicit operator bool() const { return address_ != nullptr; }
    LPARAM address() const { return reinterpret_cast<LPARAM>(address_); }
    bool write(const void* data, size_t size) const {
        return WriteProcessMemory(process_, address_, data, size, nullptr) != FALSE;
    }
    bool read(void* data, size_t size) const {
        return ReadProcessMemory(process_, address_, data, size, nullptr) != FALSE;
    }

  private:
    HANDLE process_;
    void* address_;
};

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
    bool dialogsOnly;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    const bool dialog = className(window) == L"#32770";
    if (dialog == search->dialogsOnly) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> topLevelWindows(DWORD processId, bool dialogsOnly) {
    WindowSearch search{processId, {}, dialogsOnly};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// ---- Results --------------------------------------------------------------------------------

void check(bool ok, const std::string& what) {
    writeLine((ok ? "ok    " : "FAIL  ") + what);
    if (!ok) {
        ++failures;
    }
}

void note(const std::string& line) {
    writeLine("      " + line);
}

int failureCount() {
    return failures;
}

std::string utf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring wide(std::string_view utf8Text) {
    if (utf8Text.empty()) {
        return {};
    }
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(),
                                         static_cast<int>(utf8Text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()), out.data(),
                        size);
    return out;
}

std::string quoted(std::wstring_view text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c < 0x20) {
            wchar_t code[8];
            swprintf(code, 8, L"\\x%02X", static_cast<unsigned>(c));
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return "\"" + utf8(escaped) + "\"";
}

// ---- Handles and time -----------------------------------------------------------------------

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        if (h_ != nullptr) {
            CloseHandle(h_);
        }
        h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
}

Handle::~Handle() {
    if (h_ != nullptr) {
        CloseHandle(h_);
    }
}

namespace {

std::int64_t fileTimeValue(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                     t.dwLowDateTime);
}

FILETIME fileTimeOf(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    return FILETIME{static_cast<DWORD>(bits & 0xFFFFFFFFu), static_cast<DWORD>(bits >> 32)};
}

constexpr std::int64_t ticksPerSecond = 10'000'000;

}  // namespace

std::int64_t utcNow() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return fileTimeValue(now);
}

std::int64_t localSeconds(const SYSTEMTIME& local) {
    SYSTEMTIME whole = local;
    whole.wMilliseconds = 0;
    FILETIME t{};
    SystemTimeToFileTime(&whole, &t);
    return fileTimeValue(t) / ticksPerSecond;
}

std::int64_t localSecondsNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return localSeconds(now);
}

SYSTEMTIME localTime(std::int64_t seconds) {
    const FILETIME t = fileTimeOf(seconds * ticksPerSecond);
    SYSTEMTIME out{};
    FileTimeToSystemTime(&t, &out);
    return out;
}

std::int64_t utcOfLocalSecond(std::int64_t seconds) {
    const SYSTEMTIME local = localTime(seconds);
    SYSTEMTIME utc{};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME t{};
    SystemTimeToFileTime(&utc, &t);
    return fileTimeValue(t);
}

std::string formatLocal(std::int64_t seconds) {
    const SYSTEMTIME t = localTime(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

double millisecondsNow() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void pause(DWORD milliseconds) {
    Sleep(milliseconds);
}

// ---- The program under test -----------------------------------------------------------------

Program::Program(PROCESS_INFORMATION info)
    : process_(info.hProcess), thread_(info.hThread), id_(info.dwProcessId) {}

std::unique_ptr<Program> Program::start(const std::wstring& exe,
                                        const std::wstring& workingDirectory) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                        &info)) {
        note("CreateProcessW failed with error " + std::to_string(GetLastError()));
        return nullptr;
    }
    return std::unique_ptr<Program>(new Program(info));
}

Program::~Program() {
    if (running()) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool Program::running() const {
    return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

HWND Program::waitForWindow(DWORD timeoutMs) {
    const double deadline = millisecondsNow() + timeoutMs;
    while (millisecondsNow() < deadline && running()) {
        for (HWND candidate : topLevelWindows(id_, false)) {
            if (GetWindow(candidate, GW_OWNER) == nullptr &&
                (styleOf(candidate) & WS_CAPTION) == WS_CAPTION) {
                window_ = candidate;
                return window_;
            }
        }
        pause(20);
    }
    return nullptr;
}

std::optional<DWORD> Program::waitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD status = 0;
    GetExitCodeProcess(process_.get(), &status);
    return status;
}

std::optional<DWORD> Program::close(DWORD timeoutMs) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    return waitForExit(timeoutMs);
}

std::vector<HWND> Program::dialogs() const {
    return topLevelWindows(id_, true);
}

HWND Program::visibleWindowOfClass(const std::wstring& name) const {
    for (HWND window : topLevelWindows(id_, false)) {
        if (CompareStringOrdinal(className(window).c_str(), -1, name.c_str(), -1, TRUE) ==
            CSTR_EQUAL) {
            return window;
        }
    }
    return nullptr;
}

// ---- Controls -------------------------------------------------------------------------------

std::wstring className(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

std::optional<LRESULT> send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, answerTimeoutMs,
                            &result) == 0) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

std::optional<std::wstring> textOf(HWND window) {
    // One message, not a length then the text: the program may change the text in between.
    for (size_t capacity = 256;; capacity *= 4) {
        std::wstring text(capacity, L'\0');
        const auto copied =
            send(window, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text.data()));
        if (!copied) {
            return std::nullopt;
        }
        if (static_cast<size_t>(*copied) + 1 < capacity) {
            text.resize(static_cast<size_t>(*copied));
            return text;
        }
    }
}

LONG_PTR styleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

LONG_PTR exStyleOf(HWND window) {
    return GetWindowLongPtrW(window, GWL_EXSTYLE);
}

RECT placeInParent(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

bool isChecked(HWND box) {
    return send(box, BM_GETCHECK).value_or(-1) == BST_CHECKED;
}

void click(HWND button) {
    send(button, BM_CLICK);
}

void postClick(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

std::optional<SYSTEMTIME> pickerValue(const Program& program, HWND picker) {
    RemoteMemory memory(program.process(), sizeof(SYSTEMTIME));
    if (!memory) {
        return std::nullopt;
    }
    if (send(picker, DTM_GETSYSTEMTIME, 0, memory.address()).value_or(GDT_ERROR) != GDT_VALID) {
        return std::nullopt;
    }
    SYSTEMTIME value{};
    if (!memory.read(&value, sizeof value)) {
        return std::nullopt;
    }
    return value;
}

bool setPickerValue(const Program& program, HWND picker, const SYSTEMTIME& value) {
    RemoteMemory memory(program.process(), sizeof(SYSTEMTIME));
    return memory && memory.write(&value, sizeof value) &&
           send(picker, DTM_SETSYSTEMTIME, GDT_VALID, memory.address()).value_or(0) != 0;
}

int itemCount(HWND list) {
    return static_cast<int>(send(list, CB_GETCOUNT).value_or(-1));
}

int selection(HWND list) {
    return static_cast<int>(send(list, CB_GETCURSEL).value_or(-2));
}

std::vector<std::wstring> items(HWND list) {
    std::vector<std::wstring> texts;
    const int count = itemCount(list);
    for (int i = 0; i < count; ++i) {
        const auto length = send(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
        if (!length || *length < 0) {
            texts.emplace_back(L"<unreadable>");
            continue;
        }
        std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
        const auto copied =
            send(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied && *copied >= 0 ? static_cast<size_t>(*copied) : 0);
        texts.push_back(text);
    }
    return texts;
}

int addItem(HWND list, const std::wstring& text) {
    return static_cast<int>(
        send(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())).value_or(CB_ERR));
}

}  // namespace e2e
