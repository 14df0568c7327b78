#include "test_form.h"

#include "platform/win32/window_state.h"

namespace testing_form {
namespace {

int quitIndex = -1;
int quitCount = 0;
int quitStatus = 0;

template <int I>
void countEvent() {
    ++eventCounts[I];
    if (I == quitIndex && eventCounts[I] == quitCount) {
        PostQuitMessage(quitStatus);
    }
}

void CALLBACK quitOnTimeout(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(timedOut);
}

using platform::ControlKind;

// Code page 936 texts.
constexpr char caption[] = "Vellimor \xB2\xE2\xCA\xD4";                         // Vellimor 测试
constexpr char connectionText[] = "\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3\xC3\xFB:";  // 网络连接名:
constexpr char disconnectText[] = "\xB6\xCF\xCD\xF8\xCA\xB1\xBC\xE4:";          // 断网时间:
constexpr char reconnectText[] = "\xC1\xAA\xCD\xF8\xCA\xB1\xBC\xE4:";           // 联网时间:
constexpr char startText[] = "\xC6\xF4\xD3\xC3";                                // 启用

}  // namespace

std::array<int, controlCount> eventCounts{};

// clang-format off
const std::array<platform::ControlSpec, controlCount> controls{{
    {ControlKind::Label,        24,  16,  80,  20, connectionText, true,  false, nullptr},
    {ControlKind::DropDownList, 120, 16,  100, 20, "",             true,  true,  nullptr},
    {ControlKind::Label,        24,  52,  80,  20, disconnectText, true,  false, nullptr},
    {ControlKind::DatePicker,   120, 52,  100, 20, "",             true,  true,  nullptr},
    {ControlKind::CheckBox,     232, 52,  24,  20, "",             true,  true,  countEvent<disconnectBox>},
    {ControlKind::Label,        24,  88,  80,  20, reconnectText,  true,  false, nullptr},
    {ControlKind::DatePicker,   120, 88,  100, 20, "",             true,  true,  nullptr},
    {ControlKind::CheckBox,     232, 88,  24,  20, "",             true,  true,  countEvent<reconnectBox>},
    {ControlKind::PushButton,   58,  128, 136, 40, startText,      true,  true,  countEvent<startButton>},
    {ControlKind::Timer,        208, 136, 26,  26, "",             false, false, countEvent<scheduleTimer>},
    {ControlKind::Label,        48,  176, 192, 24, "",             false, false, nullptr},
}};
// clang-format on

const platform::FormSpec description{caption, 276, 228, controls};

void quitAfterEvents(Index index, int count, int status) {
    quitIndex = index;
    quitCount = count;
    quitStatus = status;
}

void resetEvents() {
    eventCounts.fill(0);
    quitIndex = -1;
}

int runMessageLoopFor(unsigned milliseconds) {
    const UINT_PTR timer = SetTimer(nullptr, 0, milliseconds, quitOnTimeout);
    const int status = platform::runMessageLoop();
    KillTimer(nullptr, timer);
    return status;
}

void drainMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void FormTest::SetUp() {
    static const bool initialised = [] {
        platform::initGui();
        return true;
    }();
    static_cast<void>(initialised);
    resetEvents();
    form_ = platform::createForm(description);
    ASSERT_TRUE(form_);
}

void FormTest::TearDown() {
    form_ = platform::Form{};
    drainMessages();
}

HWND controlWindowOf(const platform::Form& form, int index) {
    return GetDlgItem(static_cast<HWND>(form.control(index).form),
                      platform::win32::controlIdBase + index);
}

HWND FormTest::controlWindow(Index index) const {
    return controlWindowOf(form_, index);
}

}  // namespace testing_form
