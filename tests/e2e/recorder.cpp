// A program that stands in for the network shell (or, planted where it must never run, for the
// command interpreter). Each run appends one line to its log file, C:\netsh-log.txt (or
// C:\planted-log.txt when built with PLANTED_RECORDER):
//
//   <start>\t<parent's creation>\t<own command line>\t<parent's command line>\r\n
//
// in UTF-8, times in UTC 100 ns units. The parent is the command interpreter that started the
// network shell: its creation is the moment the program under test launched it, and its
// command line is exactly the one the program launched.
#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <string>

namespace {

#ifdef PLANTED_RECORDER
constexpr wchar_t logPath[] = L"C:\\planted-log.txt";
#else
constexpr wchar_t logPath[] = L"C:\\netsh-log.txt";
#endif

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h_ != nullptr) {
            CloseHandle(h_);
        }
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

  private:
    HANDLE h_;
};

std::string toUtf8(const std::wstring& text) {
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

DWORD parentProcessId() {
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return 0;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self) {
            return entry.th32ParentProcessID;
        }
    }
    return 0;
}

std::uint64_t value(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

struct Parent {
    std::uint64_t created = 0;
    std::wstring commandLine;
};

// The command line of another process, read from its process parameters.
std::wstring commandLineOf(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  &length) != 0) {
        return L"<no process information>";
    }
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters,
                           nullptr)) {
        return L"<unreadable>";
    }
    std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!text.empty() && !ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(),
                                            parameters.CommandLine.Length, nullptr)) {
        return L"<unreadable>";
    }
    return text;
}

Parent parent() {
    Parent p;
    Handle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, parentProcessId()));
    if (!process) {
        p.commandLine = L"<no parent>";
        return p;
    }
    FILETIME created{};
    FILETIME ended{};
    FILETIME kernel{};
    FILETIME user{};
    if (GetProcessTimes(process.get(), &created, &ended, &kernel, &user)) {
        p.created = value(created);
    }
    p.commandLine = commandLineOf(process.get());
    return p;
}

}  // namespace

int main() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const Parent launcher = parent();
    const std::string line = std::to_string(value(now)) + "\t" + std::to_string(launcher.created) +
                             "\t" + toUtf8(GetCommandLineW()) + "\t" +
                             toUtf8(launcher.commandLine) + "\r\n";

    // Appends survive a concurrent reader; the log is opened for each line.
    Handle log(CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) {
        return 1;
    }
    DWORD written = 0;
    WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return 0;
}
