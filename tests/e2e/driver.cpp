// e2e_driver.exe: starts Vellimor.exe, finds its window and checks through plain Win32 calls
// what a user sees and what the program launches.
//
//   e2e_driver.exe window <Vellimor.exe> <working dir> [<screenshot.png>]
//   e2e_driver.exe schedule <Vellimor.exe> <working dir>
//   e2e_driver.exe connections <Vellimor.exe> <working dir> [<screenshot.png>]
//   e2e_driver.exe show <Vellimor.exe> <screenshot.png|.bmp>
//
// The first three run one group of checks each and exit with 0 when all passed. `show` starts
// the program, saves a picture of its window, closes it and exits with the program's status.
//
// The test prefix provides: the recording network shell as the system's netsh.exe, which logs
// to C:\netsh-log.txt; recorders planted where the program must never look for its commands
// (beside the program and in its working directory), which log to C:\planted-log.txt; and the
// router configuration library that reads its friendly names from C:\mprapi-names.txt.
#include <windows.h>

#include <commctrl.h>
#include <iphlpapi.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <numeric>
#include <sstream>

#include "remote.h"
#include "screenshot.h"

namespace e2e {
namespace {

// ---- The program's texts --------------------------------------------------------------------

const std::wstring caption = L"Vellimor";
const std::wstring startCaption = L"\u542F\u7528";                        // 启用
const std::wstring stopCaption = L"\u7981\u7528";                         // 禁用
const std::wstring disconnectPrefix = L"\u65AD\u7F51\u5269\u4F59:";       // 断网剩余:
const std::wstring reconnectPrefix = L"\u8054\u7F51\u5269\u4F59:";        // 联网剩余:
const std::wstring disconnected = L"\u5DF2\u65AD\u7F51";                  // 已断网
const std::wstring reconnected = L"\u5DF2\u8054\u7F51";                   // 已联网
const std::wstring disconnectFailed = L"\u65AD\u7F51\u5931\u8D25";        // 断网失败
const std::wstring reconnectFailed = L"\u8054\u7F51\u5931\u8D25";         // 联网失败
const std::wstring errorTitle = L"\u65F6\u95F4\u8BBE\u7F6E\u9519\u8BEF";  // 时间设置错误
// 断网时间设置不正确,不能早于当前时间
const std::wstring disconnectTimeError =
    L"\u65AD\u7F51\u65F6\u95F4\u8BBE\u7F6E\u4E0D\u6B63\u786E,\u4E0D\u80FD\u65E9\u4E8E\u5F53\u524D"
    L"\u65F6\u95F4";
// 联网时间设置不正确,不能早于当前时间
const std::wstring reconnectTimeError =
    L"\u8054\u7F51\u65F6\u95F4\u8BBE\u7F6E\u4E0D\u6B63\u786E,\u4E0D\u80FD\u65E9\u4E8E\u5F53\u524D"
    L"\u65F6\u95F4";

// Connection names the tests use: one with Chinese characters, one with spaces.
const std::wstring chineseName = L"\u672C\u5730\u8FDE\u63A5";  // 本地连接
const std::wstring spacedName = L"Local Area Connection 2";
// One with characters the command interpreter would act on outside quotes.
const std::wstring symbolName = L"Wi-Fi & LAN (2)";

// The countdown of `seconds` (below one minute) after `prefix`: 0天0小时0分<s>秒.
std::wstring countdown(const std::wstring& prefix, int seconds) {
    return prefix + L"0\u59290\u5C0F\u65F60\u5206" + std::to_wstring(seconds) + L"\u79D2";
}

const wchar_t* const netshLog = L"C:\\netsh-log.txt";
const wchar_t* const plantedLog = L"C:\\planted-log.txt";
const wchar_t* const namesFile = L"C:\\mprapi-names.txt";
const wchar_t* const connectsFile = L"C:\\mprapi-connects.txt";

// ---- The window's controls ------------------------------------------------------------------

enum Control {
    标签1,
    组合框1,
    标签2,
    日期框1,
    选择框1,
    标签3,
    日期框2,
    选择框2,
    按钮3,
    标签4,
    controlCount
};

struct ControlForm {
    const char* name;
    const wchar_t* className;
    int left, top, width, height;
    const wchar_t* text;
    bool visible;
    bool tabStop;
};

// clang-format off
const std::array<ControlForm, controlCount> form{{
    {"标签1",   L"Static",            24,  16,  80,  20, L"\u7F51\u7EDC\u8FDE\u63A5\u540D:", true,  false},  // 网络连接名:
    {"组合框1", L"ComboBox",          120, 16,  100, 20, L"",                                 true,  true},
    {"标签2",   L"Static",            24,  52,  80,  20, L"\u65AD\u7F51\u65F6\u95F4:",       true,  false},  // 断网时间:
    {"日期框1", L"SysDateTimePick32", 120, 52,  100, 20, nullptr,                             true,  true},
    {"选择框1", L"Button",            232, 52,  24,  20, L"",                                 true,  true},
    {"标签3",   L"Static",            24,  88,  80,  20, L"\u8054\u7F51\u65F6\u95F4:",       true,  false},  // 联网时间:
    {"日期框2", L"SysDateTimePick32", 120, 88,  100, 20, nullptr,                             true,  true},
    {"选择框2", L"Button",            232, 88,  24,  20, L"",                                 true,  true},
    {"按钮3",   L"Button",            58,  128, 136, 40, L"\u542F\u7528",                    true,  true},   // 启用
    {"标签4",   L"Static",            48,  176, 192, 24, L"",                                 false, false},
}};
// clang-format on

constexpr std::array<Control, 5> scheduleInputs{组合框1, 日期框1, 日期框2, 选择框1, 选择框2};

// The program with its window and controls found.
struct Session {
    std::unique_ptr<Program> program;
    HWND window = nullptr;
    std::array<HWND, controlCount> controls{};
    double startedMs = 0;  // when the process was created
    double shownMs = 0;    // when its window was found

    HWND operator[](Control c) const { return controls[c]; }
};

bool sameClass(const std::wstring& actual, const wchar_t* expected) {
    return CompareStringOrdinal(actual.c_str(), -1, expected, -1, TRUE) == CSTR_EQUAL;
}

// Maps the window's children to the form's controls, in creation order. Children of other
// classes (none is expected) are reported and must not be visible.
bool findControls(Session& s) {
    size_t next = 0;
    for (HWND child : childrenOf(s.window)) {
        const std::wstring cls = className(child);
        if (next < form.size() && sameClass(cls, form[next].className)) {
            s.controls[next++] = child;
            continue;
        }
        note("extra child window of class " + utf8(cls));
        check(!IsWindowVisible(child),
              "an extra child window of class " + utf8(cls) + " is not visible");
    }
    check(next == form.size(),
          "the window has the ten controls in creation order (found " + std::to_string(next) + ")");
    return next == form.size();
}

std::string whyNoWindow(Program& program) {
    const auto status = program.waitForExit(0);
    if (!status) {
        return "none within 30 s";
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", *status);
    return "it ended with status " + std::string(code);
}

std::optional<Session> startSession(const std::wstring& exe, const std::wstring& directory) {
    Session s;
    s.startedMs = millisecondsNow();
    s.program = Program::start(exe, directory);
    if (!s.program) {
        check(false, "the program starts");
        return std::nullopt;
    }
    s.window = s.program->waitForWindow(30000);
    s.shownMs = millisecondsNow();
    if (s.window == nullptr) {
        check(false, "the program shows its window (" + whyNoWindow(*s.program) + ")");
        return std::nullopt;
    }
    if (!findControls(s)) {
        return std::nullopt;
    }
    return s;
}

void closeSession(Session& s, const std::string& when) {
    const double asked = millisecondsNow();
    const auto status = s.program->close(5000);
    const double took = millisecondsNow() - asked;
    check(status.has_value(), "WM_CLOSE ends the process " + when + " (" +
                                  std::to_string(static_cast<int>(took)) + " ms)");
    if (status) {
        check(*status == 0,
              "the exit status is 0 " + when + " (got " + std::to_string(*status) + ")");
    }
}

std::wstring text(HWND control) {
    return textOf(control).value_or(L"<no answer>");
}

// Waits until `condition` holds; whether it did within the time.
bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const double deadline = millisecondsNow() + timeoutMs;
    while (!condition()) {
        if (millisecondsNow() > deadline) {
            return false;
        }
        pause(10);
    }
    return true;
}

std::string describe(const SYSTEMTIME& t) {
    return formatLocal(localSeconds(t));
}

// ---- Stage 1: the window --------------------------------------------------------------------

void saveShot(const Session& s, const std::wstring& path) {
    if (!path.empty()) {
        pause(500);  // let the window paint
        check(saveScreenshot(s.window, path), "screenshot saved to " + utf8(path));
    }
}

void checkFrame(const Session& s) {
    check(text(s.window) == caption,
          "caption is \"Vellimor\" (got " + quoted(text(s.window)) + ")");

    RECT r{};
    GetWindowRect(s.window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    check(width == 276 && height == 228, "outer size is 276x228 (got " + std::to_string(width) +
                                             "x" + std::to_string(height) + ")");
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int left = (screenWidth - 276) / 2;
    const int top = (screenHeight - 228) / 2;
    check(r.left == left && r.top == top,
          "centred on the " + std::to_string(screenWidth) + "x" + std::to_string(screenHeight) +
              " screen at " + std::to_string(left) + "," + std::to_string(top) + " (got " +
              std::to_string(r.left) + "," + std::to_string(r.top) + ")");

    const LONG_PTR style = styleOf(s.window);
    check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) != 0 &&
              (style & WS_MINIMIZEBOX) != 0,
          "title bar with system menu, close box and minimise box");
    check((style & WS_MAXIMIZEBOX) == 0, "no maximise box");
    check((style & WS_THICKFRAME) == 0, "fixed frame: not resizable");
    check((exStyleOf(s.window) & WS_EX_TOPMOST) == 0, "not kept above other windows");
    check(IsWindowEnabled(s.window) != FALSE, "the window is enabled");
}

// Opens 组合框1 with more items than fit and measures the opened list.
void checkOpenedList(const Session& s) {
    const HWND combo = s[组合框1];
    for (int i = 1; i <= 15; ++i) {
        addItem(combo, L"item " + std::to_wstring(i));
    }
    send(combo, CB_SHOWDROPDOWN, TRUE);
    HWND list = nullptr;
    waitFor(
        [&] {
            list = s.program->visibleWindowOfClass(L"ComboLBox");
            return list != nullptr;
        },
        2000);
    check(list != nullptr, "组合框1 opens");
    if (list != nullptr) {
        RECT closed{};
        RECT opened{};
        GetWindowRect(combo, &closed);
        GetWindowRect(list, &opened);
        const int reach = opened.bottom - closed.top;
        check(std::abs(reach - 160) <= 8,
              "组合框1 opened reaches down about 160 pixels (got " + std::to_string(reach) + ")");
        check((styleOf(list) & WS_VSCROLL) != 0,
              "组合框1's opened list scrolls vertically when its items do not fit");
    }
    send(combo, CB_SHOWDROPDOWN, FALSE);
    send(combo, CB_RESETCONTENT);
}

void checkControls(const Session& s) {
    for (int i = 0; i < controlCount; ++i) {
        const ControlForm& f = form[i];
        const HWND c = s.controls[i];
        const std::string name = f.name;

        const RECT r = placeInParent(c);
        const int width = r.right - r.left;
        const int height = r.bottom - r.top;
        const std::string got = " (got " + std::to_string(r.left) + "," + std::to_string(r.top) +
                                " " + std::to_string(width) + "x" + std::to_string(height) + ")";
        if (i == 组合框1) {
            // A drop-down list's closed height follows its font and item height; the height it
            // is created with is the reach of the opened list (checked when opened).
            check(r.left == f.left && r.top == f.top && width == f.width &&
                      std::abs(height - f.height) <= 3,
                  name + " at 120,16, 100 wide, closed height about 20" + got);
        } else {
            check(r.left == f.left && r.top == f.top && width == f.width && height == f.height,
                  name + " at " + std::to_string(f.left) + "," + std::to_string(f.top) + " " +
                      std::to_string(f.width) + "x" + std::to_string(f.height) + got);
        }

        if (f.text != nullptr) {
            const std::wstring t = text(c);
            check(t == f.text, name + " reads " + quoted(f.text) + " (got " + quoted(t) + ")");
        }
        check((IsWindowVisible(c) != FALSE) == f.visible,
              name + (f.visible ? " is visible" : " is hidden"));
        check(IsWindowEnabled(c) != FALSE, name + " is enabled");
        check(((styleOf(c) & WS_TABSTOP) != 0) == f.tabStop,
              name + (f.tabStop ? " is a tab stop" : " is not a tab stop"));
    }

    for (Control label : {标签1, 标签2, 标签3, 标签4}) {
        const LONG_PTR style = styleOf(s[label]);
        check((style & SS_TYPEMASK) == SS_RIGHT && (style & SS_CENTERIMAGE) != 0,
              std::string(form[label].name) + " is right-aligned and vertically centred");
        check((style & WS_BORDER) == 0 && (exStyleOf(s[label]) & WS_EX_CLIENTEDGE) == 0 &&
                  (exStyleOf(s[label]) & WS_EX_STATICEDGE) == 0,
              std::string(form[label].name) + " has no border");
    }

    const LONG_PTR comboStyle = styleOf(s[组合框1]);
    check((comboStyle & 3) == CBS_DROPDOWNLIST, "组合框1 is a drop-down list (CBS_DROPDOWNLIST)");
    check((comboStyle & CBS_SORT) == 0, "组合框1 keeps the order of its items (no CBS_SORT)");
    check(itemCount(s[组合框1]) == 0 && selection(s[组合框1]) == -1,
          "组合框1 has no items and no selection (no connection has a name)");
    for (Control picker : {日期框1, 日期框2}) {
        const std::string name = form[picker].name;
        check((styleOf(s[picker]) & DTS_UPDOWN) == 0,
              name + " drops down a calendar (no DTS_UPDOWN)");
        check((exStyleOf(s[picker]) & WS_EX_CLIENTEDGE) != 0, name + " has a sunken edge");
    }
    for (Control box : {选择框1, 选择框2}) {
        const std::string name = form[box].name;
        check((styleOf(s[box]) & BS_TYPEMASK) == BS_AUTOCHECKBOX, name + " is BS_AUTOCHECKBOX");
        check(isChecked(s[box]), name + " is ticked");
    }
    check((styleOf(s[按钮3]) & BS_TYPEMASK) == BS_DEFPUSHBUTTON, "按钮3 is BS_DEFPUSHBUTTON");
    check((styleOf(s[按钮3]) & (BS_LEFT | BS_RIGHT)) != BS_LEFT &&
              (styleOf(s[按钮3]) & (BS_LEFT | BS_RIGHT)) != BS_RIGHT,
          "按钮3's caption is centred");
}

// The pickers hold the moment of creation plus one and three hours, date included.
void checkPickers(const Session& s, std::int64_t before, std::int64_t after) {
    for (const auto& [picker, hours] : {std::pair{日期框1, 1}, std::pair{日期框2, 3}}) {
        const std::string name = form[picker].name;
        const auto value = pickerValue(*s.program, s[picker]);
        check(value.has_value(), name + " holds a valid value");
        if (!value) {
            continue;
        }
        const std::int64_t held = localSeconds(*value);
        const std::int64_t lowest = before + hours * 3600;
        const std::int64_t highest = after + hours * 3600;
        check(held >= lowest && held <= highest && value->wMilliseconds == 0,
              name + " holds creation time + " + std::to_string(hours) + " h, whole seconds (" +
                  describe(*value) + ", expected " + formatLocal(lowest) + " .. " +
                  formatLocal(highest) + ")");
        // The picker shows its value as HH:mm:ss where the control gives its text.
        const std::wstring shown = text(s[picker]);
        if (!shown.empty()) {
            wchar_t expected[16];
            swprintf(expected, 16, L"%02u:%02u:%02u", value->wHour, value->wMinute, value->wSecond);
            check(shown == expected,
                  name + " shows " + quoted(expected) + " (got " + quoted(shown) + ")");
        }
    }
}

HWND focusOf(const Session& s) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(s.window, nullptr), &info);
    return info.hwndFocus;
}

// Presses Tab in the window and returns the control that has the focus afterwards.
HWND pressTab(const Session& s) {
    const HWND before = focusOf(s);
    const HWND target = before != nullptr ? before : s.window;
    PostMessageW(target, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageW(target, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001u));
    HWND after = before;
    waitFor(
        [&] {
            after = focusOf(s);
            return after != before;
        },
        1000);
    return after;
}

std::string nameOf(const Session& s, HWND control) {
    for (int i = 0; i < controlCount; ++i) {
        if (s.controls[i] == control) {
            return form[i].name;
        }
    }
    return control == nullptr ? "nothing" : "another window";
}

// The Tab key moves the focus along the tab stops in creation order and round again.
void checkTabOrder(const Session& s) {
    const std::array<Control, 6> order{组合框1, 日期框1, 选择框1, 日期框2, 选择框2, 按钮3};
    note("the focus starts on " + nameOf(s, focusOf(s)));
    for (int presses = 0; presses < 7 && focusOf(s) != s[组合框1]; ++presses) {
        pressTab(s);
    }
    std::string visited = nameOf(s, focusOf(s));
    bool ok = focusOf(s) == s[组合框1];
    for (size_t i = 1; i <= order.size(); ++i) {
        const HWND next = pressTab(s);
        visited += " -> " + nameOf(s, next);
        ok = ok && next == s[order[i % order.size()]];
    }
    check(ok,
          "Tab moves the focus 组合框1 -> 日期框1 -> 选择框1 -> 日期框2 -> 选择框2 -> 按钮3 -> "
          "组合框1 (got " +
              visited + ")");
}

void checkBoxClicks(const Session& s) {
    for (const auto& [box, picker] : {std::pair{选择框1, 日期框1}, std::pair{选择框2, 日期框2}}) {
        const std::string name = std::string(form[box].name) + "/" + form[picker].name;
        const auto before = pickerValue(*s.program, s[picker]);
        click(s[box]);
        check(!isChecked(s[box]) && !IsWindowEnabled(s[picker]),
              name + ": unticking disables the picker");
        check(IsWindowEnabled(s[picker == 日期框1 ? 日期框2 : 日期框1]) != FALSE,
              name + ": the other picker stays enabled");
        click(s[box]);
        check(isChecked(s[box]) && IsWindowEnabled(s[picker]),
              name + ": ticking enables the picker again");
        const auto after = pickerValue(*s.program, s[picker]);
        check(before && after && localSeconds(*before) == localSeconds(*after),
              name + ": the picker's value is unchanged");
    }
}

int runWindowCase(const std::wstring& exe, const std::wstring& directory,
                  const std::wstring& screenshot) {
    const std::int64_t before = localSecondsNow();
    auto session = startSession(exe, directory);
    const std::int64_t after = localSecondsNow();
    if (!session) {
        return 1;
    }
    Session& s = *session;
    saveShot(s, screenshot);
    note("window shown " + std::to_string(static_cast<int>(s.shownMs - s.startedMs)) +
         " ms after the start");
    checkFrame(s);
    checkControls(s);
    checkPickers(s, before, after);
    checkTabOrder(s);
    checkOpenedList(s);
    checkBoxClicks(s);
    closeSession(s, "after the window checks");
    return failureCount() == 0 ? 0 : 1;
}

// ---- The recorded launches ------------------------------------------------------------------

struct Launch {
    std::int64_t started = 0;    // when the network shell started (UTC)
    std::int64_t launched = 0;   // when the program created the command interpreter (UTC)
    std::wstring commandLine;    // the network shell's own
    std::wstring parentCommand;  // the command interpreter's: what the program launched
};

std::vector<Launch> readLog(const wchar_t* path) {
    std::vector<Launch> launches;
    std::string content;
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return launches;
    }
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        content.append(chunk, got);
    }
    CloseHandle(h);

    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::string> fields;
        for (size_t start = 0;;) {
            const size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos) {
                break;
            }
            start = tab + 1;
        }
        if (fields.size() != 4) {
            continue;
        }
        launches.push_back(
            {std::stoll(fields[0]), std::stoll(fields[1]), wide(fields[2]), wide(fields[3])});
    }
    return launches;
}

// The log once it holds `count` launches, or after the time runs out: the command interpreter
// and the network shell take a moment to start.
std::vector<Launch> waitForLaunches(size_t count, DWORD timeoutMs) {
    std::vector<Launch> log;
    waitFor(
        [&] {
            log = readLog(netshLog);
            return log.size() >= count;
        },
        timeoutMs);
    return log;
}

std::wstring expectedCommand(const std::wstring& name, bool disable) {
    return L"cmd /c netsh interface set interface \"" + name + L"\" " +
           (disable ? L"disabled" : L"enabled");
}

// Lateness of the launches after their target second, in milliseconds.
struct Figures {
    std::vector<double> launch;  // the command interpreter's creation by the program
    std::vector<double> shell;   // the network shell's start
    std::vector<double> label;   // the outcome text's appearance
};
Figures figures;

void reportFigures() {
    for (const auto& [what, values] :
         {std::pair<std::string, const std::vector<double>&>{"command launched", figures.launch},
          std::pair<std::string, const std::vector<double>&>{"outcome text shown", figures.label},
          std::pair<std::string, const std::vector<double>&>{"network shell started",
                                                             figures.shell}}) {
        if (values.empty()) {
            continue;
        }
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const double mean =
            std::accumulate(sorted.begin(), sorted.end(), 0.0) / static_cast<double>(sorted.size());
        const auto over400 =
            std::count_if(sorted.begin(), sorted.end(), [](double v) { return v > 400; });
        char line[256];
        std::snprintf(line, sizeof line,
                      "lateness after the target second, %s: n=%zu min=%.0f median=%.0f mean=%.0f "
                      "max=%.0f ms, %lld over 400 ms",
                      what.c_str(), sorted.size(), sorted.front(), sorted[sorted.size() / 2], mean,
                      sorted.back(), static_cast<long long>(over400));
        note(line);
    }
}

// ---- Stage 2: the schedule ------------------------------------------------------------------

void setBox(const Session& s, Control box, bool ticked) {
    if (isChecked(s[box]) != ticked) {
        click(s[box]);
    }
}

// Waits for the local clock's next second and returns it: a schedule set up right then has
// most of a second before the program's clock moves on.
std::int64_t nextSecond() {
    const std::int64_t now = localSecondsNow();
    while (localSecondsNow() == now) {
        pause(1);
    }
    return now + 1;
}

void setPickers(const Session& s, std::int64_t disconnectAt, std::int64_t reconnectAt) {
    const bool ok = setPickerValue(*s.program, s[日期框1], localTime(disconnectAt)) &&
                    setPickerValue(*s.program, s[日期框2], localTime(reconnectAt));
    if (!ok) {
        check(false, "the pickers accept new values");
    }
}

bool inputsDisabled(const Session& s, bool disabled) {
    return std::all_of(scheduleInputs.begin(), scheduleInputs.end(),
                       [&](Control c) { return (IsWindowEnabled(s[c]) == FALSE) == disabled; });
}

// The state after arming: 按钮3 reads 禁用, the five inputs are locked, 标签4 is shown.
bool waitArmed(const Session& s, const std::string& what) {
    const bool armed = waitFor([&] { return text(s[按钮3]) == stopCaption; }, 2000);
    check(armed, what + ": 按钮3 reads \"禁用\" once armed");
    if (armed) {
        check(inputsDisabled(s, true), what + ": the five inputs are disabled while armed");
        check(IsWindowEnabled(s[按钮3]) != FALSE, what + ": 按钮3 stays enabled");
        check(IsWindowVisible(s[标签4]) != FALSE, what + ": 标签4 is shown while armed");
    }
    return armed;
}

void checkIdle(const Session& s, const std::string& what, bool labelShown) {
    check(text(s[按钮3]) == startCaption, what + ": 按钮3 reads \"启用\"");
    check(inputsDisabled(s, false), what + ": the five inputs are enabled");
    check((IsWindowVisible(s[标签4]) != FALSE) == labelShown,
          what + (labelShown ? ": 标签4 stays shown" : ": 标签4 is hidden"));
}

// The message box a click on 按钮3 opens, read from its window and closed with OK.
struct Box {
    bool shown = false;
    std::wstring title;
    std::wstring message;
    bool ownerless = false;
    bool icon = false;
    int buttons = 0;
    bool windowDisabled = false;  // the main window refused input while the box was up
};

Box answerMessageBox(const Session& s) {
    Box box;
    HWND dialog = nullptr;
    box.shown = waitFor(
        [&] {
            const auto found = s.program->dialogs();
            dialog = found.empty() ? nullptr : found.front();
            return dialog != nullptr;
        },
        3000);
    if (!box.shown) {
        return box;
    }
    pause(100);  // let it finish initialising
    box.title = text(dialog);
    box.ownerless = GetWindow(dialog, GW_OWNER) == nullptr;
    box.windowDisabled = IsWindowEnabled(s.window) == FALSE;
    HWND ok = nullptr;
    for (HWND child : childrenOf(dialog)) {
        const std::wstring cls = className(child);
        if (sameClass(cls, L"Static")) {
            if ((styleOf(child) & SS_TYPEMASK) == SS_ICON) {
                box.icon = box.icon || send(child, STM_GETICON).value_or(0) != 0;
            } else if (const std::wstring t = text(child); !t.empty()) {
                box.message = t;
            }
        } else if (sameClass(cls, L"Button") && IsWindowVisible(child)) {
            ++box.buttons;
            if (GetDlgCtrlID(child) == IDOK) {
                ok = child;
            }
        }
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    waitFor([&] { return !IsWindow(dialog); }, 3000);
    return box;
}

void prepareConnectionList(const Session& s, const std::vector<std::wstring>& names) {
    // The program fills the list itself when its inventory finds connections; the names it
    // may lack are added the way a loader would.
    waitFor([&] { return itemCount(s[组合框1]) > 0; }, 2000);
    pause(200);
    for (const std::wstring& name : names) {
        if (send(s[组合框1], CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(name.c_str()))
                .value_or(CB_ERR) == CB_ERR) {
            addItem(s[组合框1], name);
        }
    }
}

void select(const Session& s, const std::wstring& name) {
    const auto index = send(s[组合框1], CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(name.c_str()));
    send(s[组合框1], CB_SETCURSEL, static_cast<WPARAM>(index.value_or(CB_ERR)));
}

void runValidationCases(const Session& s) {
    struct Case {
        const char* what;
        int disconnectOffset;
        bool disconnectTicked;
        int reconnectOffset;
        bool reconnectTicked;
        const std::wstring* message;  // nullptr: arming succeeds
    };
    const std::array<Case, 7> cases{{
        {"disconnect time = now", 0, true, 3600, true, &disconnectTimeError},
        {"disconnect time 1 s ahead", 1, true, 3600, true, nullptr},
        {"disconnect time 1 s ago", -1, true, 3600, true, &disconnectTimeError},
        {"reconnect time = now", 3600, true, 0, true, &reconnectTimeError},
        {"both times an hour ago", -3600, true, -3600, true, &disconnectTimeError},
        {"unticked disconnect an hour ago", -3600, false, 3600, true, nullptr},
        {"reconnect before disconnect", 7200, true, 3600, true, nullptr},
    }};
    const size_t launchesBefore = readLog(netshLog).size();
    for (const Case& c : cases) {
        const std::string what = c.what;
        setBox(s, 选择框1, c.disconnectTicked);
        setBox(s, 选择框2, c.reconnectTicked);
        // One second ahead holds only if the clock does not move on before the click.
        const std::int64_t now = c.disconnectOffset == 1 ? nextSecond() : localSecondsNow();
        setPickers(s, now + c.disconnectOffset, now + c.reconnectOffset);
        const std::wstring labelBefore = text(s[标签4]);
        postClick(s[按钮3]);
        if (c.message != nullptr) {
            const Box box = answerMessageBox(s);
            check(box.shown, what + ": a message box is shown");
            if (!box.shown) {
                continue;
            }
            check(box.title == errorTitle,
                  what + ": titled \"时间设置错误\" (got " + quoted(box.title) + ")");
            check(box.message == *c.message,
                  what + ": says " + quoted(*c.message) + " (got " + quoted(box.message) + ")");
            check(box.ownerless && box.windowDisabled,
                  what + ": the box has no owner and is modal for the program's window");
            check(box.icon && box.buttons == 1, what + ": stop icon and a single OK button");
            pause(300);
            check(s.program->dialogs().empty(), what + ": no second message follows");
            checkIdle(s, what + ", after OK", false);
            check(text(s[标签4]) == labelBefore, what + ": 标签4's text is unchanged");
        } else {
            if (waitArmed(s, what)) {
                check(s.program->dialogs().empty(), what + ": no message");
                click(s[按钮3]);
                checkIdle(s, what + ", disarmed", false);
                check(IsWindowEnabled(s[日期框1]) && IsWindowEnabled(s[日期框2]),
                      what + ": disarming enables both pickers, whatever their boxes show");
            }
        }
    }
    setBox(s, 选择框1, true);
    setBox(s, 选择框2, true);
    check(readLog(netshLog).size() == launchesBefore,
          "refused and disarmed schedules launch nothing");
}

struct Change {
    std::int64_t utc;
    std::wstring label;
};

// Watches 标签4 and 按钮3 until the schedule ends (or the time runs out); the label's texts in
// the order they appeared.
std::vector<Change> watchSchedule(const Session& s, DWORD timeoutMs, bool& ended) {
    std::vector<Change> changes;
    std::wstring last = text(s[标签4]);
    const double deadline = millisecondsNow() + timeoutMs;
    ended = false;
    while (millisecondsNow() < deadline) {
        const std::wstring now = text(s[标签4]);
        const std::int64_t at = utcNow();
        if (now != last) {
            changes.push_back({at, now});
            last = now;
        }
        if (text(s[按钮3]) == startCaption) {
            ended = true;
            // The label may have changed between the two reads.
            if (const std::wstring final = text(s[标签4]); final != last) {
                changes.push_back({utcNow(), final});
            }
            break;
        }
        pause(5);
    }
    return changes;
}

struct Step {
    const std::wstring* prefix;   // a countdown with this prefix, or
    const std::wstring* outcome;  // this outcome text
};

// Checks that the label went through the steps in order: each countdown shown at least once
// with whole seconds from `maxSeconds` down to at least 1, each outcome at least once.
void checkSequence(const std::string& what, const std::vector<Change>& changes,
                   const std::wstring& textBefore, const std::vector<Step>& steps, int maxSeconds) {
    size_t i = 0;
    // Arming leaves the previous text until the first tick writes the label.
    if (i < changes.size() && changes[i].label == textBefore) {
        ++i;
    }
    std::string seen;
    for (const Change& c : changes) {
        seen += quoted(c.label) + " ";
    }
    bool ok = true;
    for (const Step& step : steps) {
        if (step.prefix != nullptr) {
            int previous = maxSeconds + 1;
            size_t shown = 0;
            while (i < changes.size() && changes[i].label.starts_with(*step.prefix)) {
                bool matched = false;
                for (int n = 1; n < previous; ++n) {
                    if (changes[i].label == countdown(*step.prefix, n)) {
                        matched = true;
                        previous = n;
                    }
                }
                ok = ok && matched;
                ++shown;
                ++i;
            }
            ok = ok && shown > 0;
        } else {
            ok = ok && i < changes.size() && changes[i].label == *step.outcome;
            ++i;
        }
    }
    ok = ok && i == changes.size();
    check(ok, what + ": 标签4 shows in turn " + seen);
}

// The moment a label text first appeared.
std::optional<std::int64_t> shownAt(const std::vector<Change>& changes, const std::wstring& label) {
    for (const Change& c : changes) {
        if (c.label == label) {
            return c.utc;
        }
    }
    return std::nullopt;
}

void recordLateness(const std::string& what, std::int64_t targetSecond,
                    const std::optional<Launch>& launch, std::optional<std::int64_t> labelAt) {
    const std::int64_t target = utcOfLocalSecond(targetSecond);
    if (launch) {
        const double late = static_cast<double>(launch->launched - target) / 10000.0;
        figures.launch.push_back(late);
        figures.shell.push_back(static_cast<double>(launch->started - target) / 10000.0);
        check(late >= 0, what + ": launched not before its second (" +
                             std::to_string(static_cast<int>(late)) + " ms after)");
        check(late < 1500, what + ": launched within 1.5 s of its second");
    }
    if (labelAt) {
        figures.label.push_back(static_cast<double>(*labelAt - target) / 10000.0);
    }
}

// Arms a schedule for `name` whose first action (the disconnect or the reconnect) comes 2 s
// ahead and the other `gapSeconds` after it, and follows it to its end: the label's texts, the
// final state, and the two command lines launched.
void runSchedule(const Session& s, const std::string& what, const std::wstring& name,
                 bool disconnectFirst, int gapSeconds = 2) {
    select(s, name);
    setBox(s, 选择框1, true);
    setBox(s, 选择框2, true);
    const size_t before = readLog(netshLog).size();
    const std::wstring textBefore = text(s[标签4]);
    const std::int64_t now = nextSecond();
    const std::int64_t firstAt = now + 2;
    const std::int64_t secondAt = firstAt + gapSeconds;
    const std::int64_t disconnectAt = disconnectFirst ? firstAt : secondAt;
    const std::int64_t reconnectAt = disconnectFirst ? secondAt : firstAt;
    setPickers(s, disconnectAt, reconnectAt);
    click(s[按钮3]);
    if (!waitArmed(s, what)) {
        return;
    }
    bool ended = false;
    const auto changes = watchSchedule(s, 8000, ended);
    check(ended, what + ": the schedule ends by itself after the last action");

    const std::vector<Step> steps = disconnectFirst
                                        ? std::vector<Step>{{&disconnectPrefix, nullptr},
                                                            {nullptr, &disconnected},
                                                            {&reconnectPrefix, nullptr},
                                                            {nullptr, &reconnected}}
                                        : std::vector<Step>{{&reconnectPrefix, nullptr},
                                                            {nullptr, &reconnected},
                                                            {&disconnectPrefix, nullptr},
                                                            {nullptr, &disconnected}};
    checkSequence(what, changes, textBefore, steps, 4);
    checkIdle(s, what + ", ended", true);
    check(text(s[标签4]) == (disconnectFirst ? reconnected : disconnected),
          what + ": 标签4 keeps the last outcome");

    const auto log = waitForLaunches(before + 2, 5000);
    std::vector<Launch> launches(
        log.begin() + static_cast<std::ptrdiff_t>(std::min(before, log.size())), log.end());
    check(launches.size() == 2,
          what + ": two launches (got " + std::to_string(launches.size()) + ")");
    for (size_t i = 0; i < launches.size() && i < 2; ++i) {
        const bool disable = (i == 0) == disconnectFirst;
        const std::wstring expected = expectedCommand(name, disable);
        check(launches[i].parentCommand == expected, what + ": launch " + std::to_string(i + 1) +
                                                         " is " + quoted(expected) + " (got " +
                                                         quoted(launches[i].parentCommand) + ")");
        note("the network shell's command line: " + quoted(launches[i].commandLine));
        const std::wstring tail =
            L" interface set interface \"" + name + L"\" " + (disable ? L"disabled" : L"enabled");
        check(launches[i].commandLine.ends_with(tail),
              what + ": the network shell gets the name whole");
        recordLateness(what + (disable ? ", disconnect" : ", reconnect"),
                       disable ? disconnectAt : reconnectAt, launches[i],
                       shownAt(changes, disable ? disconnected : reconnected));
    }
}

void runEmptyListSchedule(const Session& s) {
    const std::string what = "empty connection list";
    send(s[组合框1], CB_RESETCONTENT);
    setBox(s, 选择框1, true);
    setBox(s, 选择框2, true);
    const size_t before = readLog(netshLog).size();
    const std::wstring textBefore = text(s[标签4]);
    const std::int64_t disconnectAt = nextSecond() + 2;
    setPickers(s, disconnectAt, disconnectAt + 2);
    click(s[按钮3]);
    if (!waitArmed(s, what)) {
        return;
    }
    bool ended = false;
    const auto changes = watchSchedule(s, 8000, ended);
    check(ended, what + ": the schedule ends after the reconnect");
    checkSequence(what, changes, textBefore,
                  {{&disconnectPrefix, nullptr},
                   {nullptr, &disconnectFailed},
                   {&reconnectPrefix, nullptr},
                   {nullptr, &reconnectFailed}},
                  2);
    check(waitForLaunches(before + 1, 2000).size() == before, what + ": nothing is launched");
    checkIdle(s, what + ", ended", true);
}

// ---- Stage 3: connections -------------------------------------------------------------------

struct Inventory {
    std::vector<std::pair<std::wstring, std::wstring>> friendlyNames;  // interface name -> name
    std::vector<std::wstring> expectedList;  // the non-empty names in adapter order
};

// Gives the system's interfaces friendly names (a Chinese one, an empty one, one with spaces,
// then numbered ones) and writes them where the router configuration library reads them.
Inventory writeFriendlyNames(DWORD delayMs) {
    Inventory inventory;
    ULONG size = 0;
    std::vector<std::uint8_t> table;
    if (GetInterfaceInfo(nullptr, &size) == ERROR_INSUFFICIENT_BUFFER) {
        table.resize(size);
        if (GetInterfaceInfo(reinterpret_cast<IP_INTERFACE_INFO*>(table.data()), &size) !=
            NO_ERROR) {
            table.clear();
        }
    }
    if (!table.empty()) {
        const auto* info = reinterpret_cast<const IP_INTERFACE_INFO*>(table.data());
        for (LONG i = 0; i < info->NumAdapters; ++i) {
            std::wstring friendly = i == 0   ? chineseName
                                    : i == 1 ? std::wstring()
                                    : i == 2 ? spacedName
                                             : L"Connection " + std::to_wstring(i + 1);
            inventory.friendlyNames.emplace_back(info->Adapter[i].Name, friendly);
        }
    }

    std::string content = "delay_ms=" + std::to_string(delayMs) + "\r\n";
    for (const auto& [interfaceName, friendly] : inventory.friendlyNames) {
        content += utf8(interfaceName) + "=" + utf8(friendly) + "\r\n";
    }
    HANDLE file = CreateFileW(namesFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);

    // The adapters in the system's order, each tied to its interface by the GUID in braces.
    size = 0;
    std::vector<std::uint8_t> adapters;
    if (GetAdaptersInfo(nullptr, &size) == ERROR_BUFFER_OVERFLOW) {
        adapters.resize(size);
        if (GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(adapters.data()), &size) !=
            NO_ERROR) {
            adapters.clear();
        }
    }
    for (auto* a = adapters.empty() ? nullptr : reinterpret_cast<IP_ADAPTER_INFO*>(adapters.data());
         a != nullptr; a = a->Next) {
        const std::wstring guid = wide(a->AdapterName);
        for (const auto& [interfaceName, friendly] : inventory.friendlyNames) {
            const size_t brace = interfaceName.find(L'{');
            if (brace != std::wstring::npos && interfaceName.substr(brace) == guid) {
                if (!friendly.empty()) {
                    inventory.expectedList.push_back(friendly);
                }
                break;
            }
        }
    }
    std::string list;
    for (const auto& [interfaceName, friendly] : inventory.friendlyNames) {
        list += utf8(interfaceName) + " = " + quoted(friendly) + "; ";
    }
    note("interfaces: " + list);
    return inventory;
}

void checkPlantedNeverRan() {
    const auto planted = readLog(plantedLog);
    std::string which;
    for (const Launch& l : planted) {
        which += quoted(l.commandLine) + " ";
    }
    check(planted.empty(),
          "no program planted beside Vellimor.exe or in its working directory "
          "ran " +
              which);
}

int runScheduleCase(const std::wstring& exe, const std::wstring& directory) {
    writeFriendlyNames(0);
    auto session = startSession(exe, directory);
    if (!session) {
        return 1;
    }
    Session& s = *session;
    const std::vector<std::wstring> names{chineseName, spacedName, symbolName};
    prepareConnectionList(s, names);

    runValidationCases(s);
    runSchedule(s, "Chinese name, disconnect first", chineseName, true);
    runSchedule(s, "name with spaces, reconnect first", spacedName, false);
    runSchedule(s, "Chinese name, again", chineseName, true);
    // One second apart: the second action fires on the tick after the first's second.
    runSchedule(s, "name with & and parentheses, one second apart", symbolName, true, 1);
    runEmptyListSchedule(s);

    // Closing while armed ends the program at once; nothing more is launched.
    prepareConnectionList(s, names);
    select(s, chineseName);
    const std::int64_t soon = nextSecond() + 2;
    setPickers(s, soon, soon + 2);
    click(s[按钮3]);
    waitArmed(s, "armed at close");
    const size_t before = readLog(netshLog).size();
    closeSession(s, "while a schedule is armed");
    pause(static_cast<DWORD>(std::max<std::int64_t>(0, (soon + 1 - localSecondsNow()) * 1000)));
    check(readLog(netshLog).size() == before, "closed while armed: nothing launched afterwards");

    checkPlantedNeverRan();
    reportFigures();
    return failureCount() == 0 ? 0 : 1;
}

int runConnectionsCase(const std::wstring& exe, const std::wstring& directory,
                       const std::wstring& screenshot) {
    const Inventory inventory = writeFriendlyNames(0);
    check(!inventory.expectedList.empty(), "the system reports network adapters to name");
    {
        auto session = startSession(exe, directory);
        if (!session) {
            return 1;
        }
        Session& s = *session;
        const std::vector<std::wstring>& expected = inventory.expectedList;
        waitFor(
            [&] {
                return itemCount(s[组合框1]) >= static_cast<int>(expected.size()) &&
                       selection(s[组合框1]) == 0;
            },
            10000);
        pause(300);  // nothing more arrives
        const auto listed = items(s[组合框1]);
        std::string got;
        for (const auto& item : listed) {
            got += quoted(item) + " ";
        }
        std::string want;
        for (const auto& item : expected) {
            want += quoted(item) + " ";
        }
        check(listed == expected,
              "组合框1 lists the non-empty friendly names in inventory order: " + want + "(got " +
                  got + ")");
        check(selection(s[组合框1]) == 0, "the first connection is selected");
        saveShot(s, screenshot);
        if (!expected.empty()) {
            runSchedule(s, "the loaded first connection", expected.front(), true);
        }
        closeSession(s, "after loading");
    }
    {
        // A slow router configuration service: the window does not wait for the list.
        writeFriendlyNames(8000);
        DeleteFileW(connectsFile);
        auto session = startSession(exe, directory);
        if (!session) {
            return 1;
        }
        Session& s = *session;
        const double shown = s.shownMs - s.startedMs;
        check(shown < 5000, "with a slow inventory the window is shown at once (" +
                                std::to_string(static_cast<int>(shown)) + " ms)");
        const double asked = millisecondsNow();
        DWORD_PTR ignored = 0;
        const bool answered =
            SendMessageTimeoutW(s.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored) != 0;
        const double took = millisecondsNow() - asked;
        check(answered && took < 500, "the window answers while the list loads (" +
                                          std::to_string(static_cast<int>(took)) + " ms)");
        click(s[选择框1]);
        check(!isChecked(s[选择框1]) && !IsWindowEnabled(s[日期框1]),
              "the window handles a click while the list loads");
        const bool waiting = waitFor(
            [] { return GetFileAttributesW(connectsFile) != INVALID_FILE_ATTRIBUTES; }, 3000);
        check(waiting && itemCount(s[组合框1]) == 0,
              "the loader waits for the router configuration service, the list still empty");
        closeSession(s, "while the list is loading");
    }
    checkPlantedNeverRan();
    reportFigures();
    return failureCount() == 0 ? 0 : 1;
}

// ---- show -----------------------------------------------------------------------------------

int runShow(const std::wstring& exe, const std::wstring& picture) {
    std::wstring directory = exe;
    const size_t slash = directory.find_last_of(L"\\/");
    directory = slash == std::wstring::npos ? L"." : directory.substr(0, slash);
    auto program = Program::start(exe, directory);
    if (!program) {
        return 1;
    }
    HWND window = program->waitForWindow(30000);
    if (window == nullptr) {
        note("the program shows no window: " + whyNoWindow(*program));
        return 1;
    }
    pause(1000);  // the list loads and the window paints
    if (!saveScreenshot(window, picture)) {
        note("the screenshot could not be saved to " + utf8(picture));
    } else {
        note("screenshot saved to " + utf8(picture));
    }
    const auto status = program->close(10000);
    if (!status) {
        note("the program did not end after WM_CLOSE");
        return 1;
    }
    return static_cast<int>(*status);
}

// Paths may come from a Unix shell: relative, with forward slashes.
std::wstring fullPath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
}

}  // namespace
}  // namespace e2e

int main() {
    using namespace e2e;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv, argv + argc);
    LocalFree(argv);
    if (args.size() < 4) {
        std::fputs(
            "usage: e2e_driver.exe window|schedule|connections <Vellimor.exe> <dir> [png]\n"
            "       e2e_driver.exe show <Vellimor.exe> <png-or-bmp>\n",
            stderr);
        return 2;
    }
    const std::wstring& mode = args[1];
    const std::wstring exe = fullPath(args[2]);
    const std::wstring third = fullPath(args[3]);
    wchar_t expected[16] = L"";
    if (GetEnvironmentVariableW(L"E2E_EXPECT_ANSI_CODE_PAGE", expected, 16) > 0) {
        check(std::to_wstring(GetACP()) == expected, "the system's ANSI code page is " +
                                                         utf8(expected) + " (got " +
                                                         std::to_string(GetACP()) + ")");
    }
    if (mode == L"show") {
        return runShow(exe, third);
    }
    if (mode == L"window") {
        return runWindowCase(exe, third, args.size() > 4 ? fullPath(args[4]) : L"");
    }
    if (mode == L"schedule") {
        return runScheduleCase(exe, third);
    }
    if (mode == L"connections") {
        return runConnectionsCase(exe, third, args.size() > 4 ? fullPath(args[4]) : L"");
    }
    std::fputs("unknown mode\n", stderr);
    return 2;
}
