#include "platform/process.h"

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32.h"

namespace platform {
namespace {

std::wstring systemDirectory() {
    const UINT needed = GetSystemDirectoryW(nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::wstring directory(needed, L'\0');
    const UINT length = GetSystemDirectoryW(directory.data(), needed);
    if (length == 0 || length >= needed) {
        return {};
    }
    directory.resize(length);
    return directory;
}

// A bare file name: nothing that could lead out of the system directory.
bool isFileName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

}  // namespace

bool runCommandLine(const Text& program, const Text& commandLine, bool waitForExit, ShowMode show) {
    const std::wstring fileName = win32::toWide(program);
    const std::wstring directory = systemDirectory();
    if (!isFileName(fileName) || directory.empty()) {
        return false;
    }
    // The full path, so that the program is never looked up along the search path.
    const std::wstring application = directory + L'\\' + fileName;
    // CreateProcessW may write into the command line, so it gets a buffer of its own.
    std::wstring line = win32::toWide(commandLine);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show == ShowMode::Hidden ? SW_HIDE : SW_SHOWNORMAL);
    PROCESS_INFORMATION created{};
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &created)) {
        return false;
    }
    const win32::UniqueHandle process(created.hProcess);
    const win32::UniqueHandle thread(created.hThread);
    if (waitForExit) {
        WaitForSingleObject(process.get(), INFINITE);
    } else {
        WaitForInputIdle(process.get(), 1000);
    }
    return true;
}

void restrictDllSearchToSystem32() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace platform
