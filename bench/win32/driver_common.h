#pragma once
// What the whole-process drivers share: their output lines, paths, and finding and arming
// Vellimor's controls in its window from outside.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

#include "remote.h"

namespace bench {

inline void line(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

inline int fail(const std::string& why) {
    line("error %s", why.c_str());
    return 1;
}

inline std::wstring directoryOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

inline std::wstring fullPath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
}

inline bool isClass(HWND window, const wchar_t* name) {
    return CompareStringOrdinal(e2e::className(window).c_str(), -1, name, -1, TRUE) == CSTR_EQUAL;
}

// Vellimor's controls by class and creation order.
struct Controls {
    HWND 组合框1 = nullptr;
    HWND 日期框1 = nullptr;
    HWND 日期框2 = nullptr;
    HWND 按钮3 = nullptr;
    HWND 标签4 = nullptr;
};

inline Controls findControls(HWND window) {
    Controls found;
    int pickers = 0, buttons = 0, labels = 0;
    for (HWND child : e2e::childrenOf(window)) {
        if (isClass(child, WC_COMBOBOXW)) {
            found.组合框1 = child;
        } else if (isClass(child, DATETIMEPICK_CLASSW)) {
            if (++pickers == 1) {
                found.日期框1 = child;
            } else {
                found.日期框2 = child;
            }
        } else if (isClass(child, L"Button") && ++buttons == 3) {
            found.按钮3 = child;
        } else if (isClass(child, L"Static") && ++labels == 4) {
            found.标签4 = child;
        }
    }
    return found;
}

inline const std::wstring armedCaption = L"\u7981\u7528";                 // 禁用
inline const std::wstring countdownPrefix = L"\u65AD\u7F51\u5269\u4F59";  // 断网剩余

// Finds Vellimor's controls in its window, sets both times a day and two days ahead (nothing is
// switched while a driver watches) and presses 按钮3. Empty when the schedule armed, or else why
// not; the controls found are left in `controls`.
inline std::string armFarAhead(const e2e::Program& program, HWND window, Controls& controls) {
    controls = findControls(window);
    if (!controls.日期框1 || !controls.日期框2 || !controls.按钮3 || !controls.标签4) {
        return "Vellimor's controls were not found";
    }
    constexpr std::int64_t day = 86400;
    const std::int64_t now = e2e::localSecondsNow();
    if (!e2e::setPickerValue(program, controls.日期框1, e2e::localTime(now + day)) ||
        !e2e::setPickerValue(program, controls.日期框2, e2e::localTime(now + 2 * day))) {
        return "the pickers could not be set";
    }
    e2e::click(controls.按钮3);
    if (e2e::textOf(controls.按钮3).value_or(L"") != armedCaption ||
        !IsWindowVisible(controls.标签4)) {
        return "the schedule did not arm";
    }
    return {};
}

}  // namespace bench
