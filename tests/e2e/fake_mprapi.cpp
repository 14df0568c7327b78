// A router configuration library for the end-to-end tests, installed as the system's mprapi.dll
// in the test prefix. It answers friendly names from C:\mprapi-names.txt (UTF-8), written by
// the driver:
//
//   delay_ms=<n>                 optional; MprConfigServerConnect sleeps that long
//   <interface name>=<friendly>  one line per interface; an empty friendly name is allowed
//
// Each connection is noted in C:\mprapi-connects.txt (one line each) before the delay, so that a
// test can tell that the program is waiting for this library.
//
// Built with PLANTED_NAMES it ignores the files and calls every interface "planted <n>": the
// copy planted beside the program, which must never be the one loaded.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct Names {
    DWORD delayMs = 0;
    std::vector<std::pair<std::wstring, std::wstring>> byInterface;
};

// The handle given out by MprConfigServerConnect points here.
int connectionToken = 0;

#ifndef PLANTED_NAMES
std::wstring fromUtf8(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

Names readNames() {
    Names names;
    HANDLE file = CreateFileW(L"C:\\mprapi-names.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return names;
    }
    std::string content;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        content.append(chunk, got);
    }
    CloseHandle(file);

    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "delay_ms") {
            names.delayMs = static_cast<DWORD>(std::stoul(value));
        } else {
            names.byInterface.emplace_back(fromUtf8(key), fromUtf8(value));
        }
    }
    return names;
}

Names& loadedNames() {
    static Names names;
    return names;
}
#endif

DWORD copyName(const std::wstring& name, PWCHAR buffer, DWORD bufferBytes) {
    const size_t needed = (name.size() + 1) * sizeof(wchar_t);
    if (buffer == nullptr || needed > bufferBytes) {
        return ERROR_INSUFFICIENT_BUFFER;
    }
    CopyMemory(buffer, name.c_str(), needed);
    return NO_ERROR;
}

}  // namespace

extern "C" {

DWORD WINAPI MprConfigServerConnect(LPWSTR serverName, HANDLE* config) {
    if (config == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *config = nullptr;
    if (serverName != nullptr && serverName[0] != L'\0') {
        return ERROR_BAD_NETPATH;
    }
#ifndef PLANTED_NAMES
    HANDLE note = CreateFileW(L"C:\\mprapi-connects.txt", FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (note != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(note, "connect\r\n", 9, &written, nullptr);
        CloseHandle(note);
    }
    loadedNames() = readNames();
    if (loadedNames().delayMs > 0) {
        Sleep(loadedNames().delayMs);
    }
#endif
    *config = &connectionToken;
    return NO_ERROR;
}

DWORD WINAPI MprConfigGetFriendlyName(HANDLE config, PWCHAR guidName, PWCHAR buffer,
                                      DWORD bufferBytes) {
    if (config != &connectionToken || guidName == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
#ifdef PLANTED_NAMES
    static int planted = 0;
    return copyName(L"planted " + std::to_wstring(++planted), buffer, bufferBytes);
#else
    for (const auto& [interfaceName, friendlyName] : loadedNames().byInterface) {
        if (lstrcmpiW(interfaceName.c_str(), guidName) == 0) {
            return copyName(friendlyName, buffer, bufferBytes);
        }
    }
    return ERROR_NOT_FOUND;
#endif
}

VOID WINAPI MprConfigServerDisconnect(HANDLE) {}

}  // extern "C"
