// A stand-in for a system program: it writes down how it was started, to the file named by the
// environment variable VELLIMOR_RECORD_TO, as UTF-16 lines: its command line, its current
// directory, its own path, and the show mode it was given ("-" for none). With
// VELLIMOR_RECORD_DELAY it first waits that many milliseconds, so that a caller's waiting shows.
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

std::wstring environmentVariable(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::wstring value(needed, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), needed));
    return value;
}

std::wstring currentDirectory() {
    std::wstring directory(GetCurrentDirectoryW(0, nullptr), L'\0');
    directory.resize(GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data()));
    return directory;
}

std::wstring modulePath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::wstring target = environmentVariable(L"VELLIMOR_RECORD_TO");
    if (target.empty()) {
        return 2;
    }
    const std::wstring delay = environmentVariable(L"VELLIMOR_RECORD_DELAY");
    if (!delay.empty()) {
        Sleep(static_cast<DWORD>(std::stoul(delay)));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const bool showWindowGiven = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;

    const std::wstring record =
        std::wstring(GetCommandLineW()) + L'\n' + currentDirectory() + L'\n' + modulePath() +
        L'\n' + (showWindowGiven ? std::to_wstring(startup.wShowWindow) : L"-") + L'\n';
    // Written to a side file first and then renamed, so that a reader never sees half of it.
    const std::wstring partial = target + L".partial";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 3;
    }
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)),
                  &written, nullptr);
    CloseHandle(file);
    if (!wrote || !MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 4;
    }
    return 0;
}
