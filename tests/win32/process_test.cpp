#include "platform/process.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

std::wstring systemDirectory() {
    std::wstring directory(MAX_PATH, L'\0');
    directory.resize(GetSystemDirectoryW(directory.data(), MAX_PATH));
    return directory;
}

std::wstring testDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\'));
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// 记录器.exe: the recorder, installed in the system directory under a Chinese name.
constexpr char recorderName[] = "\xBC\xC7\xC2\xBC\xC6\xF7.exe";
constexpr wchar_t recorderWideName[] = L"记录器.exe";

// The recorder's lines: command line, current directory, own path, show mode.
class RunCommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        installed_ = systemDirectory() + L'\\' + recorderWideName;
        ASSERT_TRUE(CopyFileW((testDirectory() + L"\\command_recorder.exe").c_str(),
                              installed_.c_str(), FALSE));
        wchar_t temporary[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temporary);
        record_ = std::wstring(temporary) + L"vellimor_record_" +
                  std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(record_.c_str());
        SetEnvironmentVariableW(L"VELLIMOR_RECORD_TO", record_.c_str());
    }

    void TearDown() override {
        SetEnvironmentVariableW(L"VELLIMOR_RECORD_TO", nullptr);
        SetEnvironmentVariableW(L"VELLIMOR_RECORD_DELAY", nullptr);
        DeleteFileW(installed_.c_str());
        DeleteFileW(record_.c_str());
    }

    std::vector<std::wstring> recordedLines() const {
        std::vector<std::wstring> lines;
        HANDLE file = CreateFileW(record_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return lines;
        }
        std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
        DWORD read = 0;
        ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read,
                 nullptr);
        CloseHandle(file);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find(L'\n', start)) != std::wstring::npos;
             start = end + 1) {
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }

    // For a process that was not waited for.
    bool recordAppears() const {
        for (int attempt = 0; attempt < 1000 && !fileExists(record_); ++attempt) {
            Sleep(10);
        }
        return fileExists(record_);
    }

    std::wstring installed_;
    std::wstring record_;
};

}  // namespace

TEST_F(RunCommandLine, StartsTheProgramOfTheSystemDirectoryThereWithItsCommandLineIntact) {
    // Long enough that a caller that did not wait would find no record yet.
    SetEnvironmentVariableW(L"VELLIMOR_RECORD_DELAY", L"500");
    const platform::Text commandLine =
        "cmd /c netsh interface set interface \"\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3 2\" disabled";
    ASSERT_TRUE(
        platform::runCommandLine(recorderName, commandLine, true, platform::ShowMode::Hidden));
    const std::vector<std::wstring> lines = recordedLines();
    ASSERT_EQ(lines.size(), 4u) << "the call waits for the program to end";
    EXPECT_EQ(lines[0], L"cmd /c netsh interface set interface \"本地连接 2\" disabled");
    EXPECT_EQ(lines[1], systemDirectory());
    EXPECT_EQ(lines[2], installed_);
    EXPECT_EQ(lines[3], std::to_wstring(SW_HIDE));
}

TEST_F(RunCommandLine, WithoutWaitingTheProgramRunsOnItsOwnInTheGivenShowMode) {
    ASSERT_TRUE(platform::runCommandLine(recorderName, "recorder shown", false,
                                         platform::ShowMode::Normal));
    ASSERT_TRUE(recordAppears());
    const std::vector<std::wstring> lines = recordedLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"recorder shown");
    EXPECT_EQ(lines[3], std::to_wstring(SW_SHOWNORMAL));
}

TEST_F(RunCommandLine, FailsForAProgramThatIsNotInTheSystemDirectory) {
    // The recorder lies beside the tests and in the current directory under its own name, but
    // not in the system directory: neither place is searched.
    const std::wstring beside = testDirectory();
    SetCurrentDirectoryW(beside.c_str());
    ASSERT_TRUE(fileExists(beside + L"\\command_recorder.exe"));
    const platform::Text refused[] = {
        "command_recorder.exe",
        "command_recorder",
        "missing.exe",
        "",
        // Names that would lead out of the system directory.
        "..\\system32\\\xBC\xC7\xC2\xBC\xC6\xF7.exe",
        "C:\\windows\\system32\\\xBC\xC7\xC2\xBC\xC6\xF7.exe",
        "sub/..",
        "..",
    };
    for (const platform::Text& program : refused) {
        EXPECT_FALSE(platform::runCommandLine(program, "x", true, platform::ShowMode::Hidden))
            << program;
    }
    EXPECT_FALSE(fileExists(record_)) << "nothing was started";
}
