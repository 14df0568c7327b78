#include "platform/controls.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/date_time.h"
#include "test_form.h"

#include <commctrl.h>

using namespace testing_form;
using platform::CivilTime;
using platform::Text;

namespace {

// Code page 936 texts and what Windows must show for them.
struct TextCase {
    Text bytes;
    std::wstring shown;
};

const TextCase textCases[] = {
    {"\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3\xC3\xFB:", L"网络连接名:"},
    {"\xB6\xCF\xCD\xF8\xCA\xA3\xD3\xE0:0\xCC\xEC"
     "1\xD0\xA1\xCA\xB1"
     "2\xB7\xD6"
     "3\xC3\xEB",
     L"断网剩余:0天1小时2分3秒"},
    {"\xD2\xD1\xB6\xCF\xCD\xF8", L"已断网"},
    {"plain ASCII 123", L"plain ASCII 123"},
    {"", L""},
};

// 本地连接 2, 无线网络连接, 以太网
const Text itemTexts[] = {"\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3 2",
                          "\xCE\xDE\xCF\xDF\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3",
                          "\xD2\xD4\xCC\xAB\xCD\xF8"};

}  // namespace

TEST_F(FormTest, LabelTextsAndButtonCaptionsCrossAsTheirUtf16AndReadBackByteExact) {
    platform::Label label(ref(statusLabel));
    platform::Button button(ref(startButton));
    for (const TextCase& c : textCases) {
        SCOPED_TRACE(c.bytes);
        label.setText(c.bytes);
        EXPECT_EQ(windowText(controlWindow(statusLabel)), c.shown);
        EXPECT_EQ(label.text(), c.bytes);
        button.setCaption(c.bytes);
        EXPECT_EQ(windowText(controlWindow(startButton)), c.shown);
        EXPECT_EQ(button.caption(), c.bytes);
    }
    label.setText(Text("ab\0cd", 5));
    EXPECT_EQ(label.text(), "ab") << "a text ends at its first zero byte";
}

TEST_F(FormTest, ControlsStartWithTheTextsOfTheirTable) {
    EXPECT_EQ(windowText(controlWindow(connectionLabel)), L"网络连接名:");
    EXPECT_EQ(platform::Label(ref(connectionLabel)).text(), controls[connectionLabel].text);
    EXPECT_EQ(platform::Button(ref(startButton)).caption(), "\xC6\xF4\xD3\xC3");  // 启用
    EXPECT_EQ(platform::Label(ref(statusLabel)).text(), "");
}

TEST_F(FormTest, VisibleAndDisabledFollowTheirWrites) {
    form_.showCentred();
    for (Index index : {connectionLabel, connectionList, disconnectPicker, disconnectBox,
                        startButton, statusLabel}) {
        SCOPED_TRACE(index);
        platform::Control control(ref(index));
        HWND window = controlWindow(index);
        const bool shownAtStart = controls[index].visible;
        EXPECT_EQ(control.visible(), shownAtStart);

        control.setVisible(!shownAtStart);
        EXPECT_EQ(control.visible(), !shownAtStart);
        EXPECT_EQ(IsWindowVisible(window) != FALSE, !shownAtStart);
        control.setVisible(shownAtStart);
        EXPECT_EQ(control.visible(), shownAtStart);

        EXPECT_FALSE(control.disabled());
        control.setDisabled(true);
        EXPECT_TRUE(control.disabled());
        EXPECT_FALSE(IsWindowEnabled(window));
        control.setDisabled(false);
        EXPECT_FALSE(control.disabled());
        EXPECT_TRUE(IsWindowEnabled(window));
    }
}

TEST_F(FormTest, VisibleIsTheControlsOwnStateWhileTheWindowIsHidden) {
    EXPECT_TRUE(platform::Control(ref(connectionLabel)).visible());
    EXPECT_FALSE(platform::Control(ref(statusLabel)).visible());
}

TEST_F(FormTest, CheckBoxesStartTickedAndReadTheirTick) {
    platform::CheckBox box(ref(disconnectBox));
    EXPECT_TRUE(box.checked());
    EXPECT_TRUE(platform::CheckBox(ref(reconnectBox)).checked());
    SendMessageW(controlWindow(disconnectBox), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_FALSE(box.checked());
    SendMessageW(controlWindow(disconnectBox), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(box.checked());
}

TEST_F(FormTest, DropDownListSelectionIsClampedToItsItems) {
    platform::DropDownList list(ref(connectionList));
    HWND box = controlWindow(connectionList);
    struct Case {
        int items;
        int written;
        int selected;
    } const cases[] = {
        {0, 0, -1}, {0, 5, -1}, {0, -1, -1}, {3, 0, 0},   {3, 2, 2},
        {3, 3, 2},  {3, 99, 2}, {3, -1, -1}, {3, -7, -1}, {1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.items << " items, " << c.written << " written");
        list.clear();
        for (int i = 0; i < c.items; ++i) {
            list.addItem(itemTexts[i]);
        }
        list.setSelection(1 % (c.items + 1));  // some other state first
        list.setSelection(c.written);
        EXPECT_EQ(list.selection(), c.selected);
        EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), c.selected);
    }
}

TEST_F(FormTest, DropDownListKeepsItsItemsInOrderByteExact) {
    platform::DropDownList list(ref(connectionList));
    EXPECT_EQ(list.itemCount(), 0);
    EXPECT_EQ(list.selection(), -1);
    // Added out of alphabetical order: the list does not sort.
    const Text added[] = {"zeta", itemTexts[0], "alpha", itemTexts[1], ""};
    for (int i = 0; i < static_cast<int>(std::size(added)); ++i) {
        EXPECT_EQ(list.addItem(added[i]), i);
    }
    ASSERT_EQ(list.itemCount(), static_cast<int>(std::size(added)));
    for (int i = 0; i < static_cast<int>(std::size(added)); ++i) {
        EXPECT_EQ(list.itemText(i), added[i]) << i;
    }
    wchar_t shown[32] = {};
    SendMessageW(controlWindow(connectionList), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, L"本地连接 2");

    for (int outside : {-1, -100, list.itemCount(), list.itemCount() + 5}) {
        EXPECT_EQ(list.itemText(outside), "") << outside;
    }

    list.setSelection(2);
    list.clear();
    EXPECT_EQ(list.itemCount(), 0);
    EXPECT_EQ(list.selection(), -1);
    EXPECT_EQ(list.itemText(0), "");
}

TEST_F(FormTest, DropDownListRequestsFromAnotherThreadAreCarriedOutByTheWindowsThread) {
    platform::DropDownList list(ref(connectionList));
    list.addItem("old");
    const DWORD windowThread = GetCurrentThreadId();
    std::vector<Text> readBack;
    int selected = -2;
    std::thread loader([&] {
        list.clear();
        for (const Text& item : itemTexts) {
            list.addItem(item);
        }
        list.setSelection(0);
        for (int i = 0; i < list.itemCount(); ++i) {
            readBack.push_back(list.itemText(i));
        }
        selected = list.selection();
        PostThreadMessageW(windowThread, WM_QUIT, eventsSeen, 0);
    });
    // The loader's requests wait for this loop to carry them out.
    const int status = runMessageLoopFor(10000);
    loader.join();
    EXPECT_EQ(status, eventsSeen);
    EXPECT_EQ(readBack, std::vector<Text>(std::begin(itemTexts), std::end(itemTexts)));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(list.itemCount(), 3);
}

TEST_F(FormTest, ControlsOfADestroyedWindowAnswerEmptyAndIgnoreWrites) {
    platform::Label label(ref(connectionLabel));
    platform::DropDownList list(ref(connectionList));
    platform::DatePicker picker(ref(disconnectPicker));
    platform::CheckBox box(ref(disconnectBox));
    platform::Timer timer(ref(scheduleTimer));
    list.addItem("x");
    timer.setPeriod(300);
    form_ = platform::Form{};

    EXPECT_EQ(label.text(), "");
    label.setText("y");
    EXPECT_FALSE(label.visible());
    EXPECT_FALSE(label.disabled());
    EXPECT_FALSE(box.checked());
    EXPECT_EQ(list.itemCount(), 0);
    EXPECT_EQ(list.selection(), -1);
    EXPECT_EQ(list.itemText(0), "");
    list.setSelection(0);
    list.clear();
    EXPECT_EQ(picker.value(), 0.0);
    picker.setValue(platform::toDateTime({2026, 3, 14, 14, 5, 9}));
    picker.setFormat("HH:mm:ss");
    EXPECT_EQ(timer.period(), 0);
    timer.setPeriod(300);
    EXPECT_EQ(timer.period(), 0);

    // From another thread, as the loader would: no waiting on a window that is gone.
    int added = 0;
    std::thread loader([&] { added = list.addItem("z"); });
    loader.join();
    EXPECT_EQ(added, -1);
}

TEST_F(FormTest, PickersStartAtTheCurrentLocalTimeToTheSecond) {
    const platform::DateTime before = platform::localNow();
    const platform::Form fresh = platform::createForm(description);
    const platform::DateTime after = platform::localNow();
    for (Index index : {disconnectPicker, reconnectPicker}) {
        const platform::DateTime value = platform::DatePicker(fresh.control(index)).value();
        EXPECT_GE(value, before);
        EXPECT_LE(value, after);
        EXPECT_EQ(value, platform::roundToSecond(value));
    }
}

TEST_F(FormTest, PickerValueIsWrittenRoundedToTheNearestSecond) {
    platform::DatePicker picker(ref(disconnectPicker));
    constexpr double second = 1.0 / 86400;
    const auto at = [](CivilTime t) { return platform::toDateTime(t); };
    struct Case {
        platform::DateTime written;
        CivilTime held;
    } const cases[] = {
        {at({2026, 3, 14, 14, 5, 9}), {2026, 3, 14, 14, 5, 9}},
        {at({2026, 3, 14, 14, 5, 9}) + 0.4 * second, {2026, 3, 14, 14, 5, 9}},
        {at({2026, 3, 14, 14, 5, 9}) + 0.6 * second, {2026, 3, 14, 14, 5, 10}},
        {at({2026, 3, 14, 14, 5, 9}) - 0.4 * second, {2026, 3, 14, 14, 5, 9}},
        // Past midnight, into a new year, onto a leap day.
        {at({2026, 3, 14, 23, 59, 59}) + 0.7 * second, {2026, 3, 15, 0, 0, 0}},
        {at({2026, 12, 31, 23, 59, 59}) + 0.6 * second, {2027, 1, 1, 0, 0, 0}},
        {at({2028, 2, 28, 22, 30, 0}) + 3.0 / 24, {2028, 2, 29, 1, 30, 0}},
        // Far years.
        {at({9999, 12, 31, 0, 0, 0}), {9999, 12, 31, 0, 0, 0}},
        {at({9999, 12, 30, 23, 59, 59}), {9999, 12, 30, 23, 59, 59}},
        {at({1752, 9, 14, 0, 0, 0}), {1752, 9, 14, 0, 0, 0}},
        {at({1900, 1, 1, 0, 0, 0}), {1900, 1, 1, 0, 0, 0}},
        {at({1800, 6, 30, 12, 0, 1}), {1800, 6, 30, 12, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.held.year << "-" << c.held.month << "-" << c.held.day << " "
                     << c.held.hour << ":" << c.held.minute << ":" << c.held.second);
        picker.setValue(c.written);
        EXPECT_EQ(platform::toCivilTime(picker.value()), c.held);
        EXPECT_EQ(picker.value(), platform::toDateTime(c.held)) << "whole seconds";
        SYSTEMTIME shown{};
        ASSERT_EQ(SendMessageW(controlWindow(disconnectPicker), DTM_GETSYSTEMTIME, 0,
                               reinterpret_cast<LPARAM>(&shown)),
                  GDT_VALID);
        EXPECT_EQ(shown.wYear, c.held.year);
        EXPECT_EQ(shown.wDay, c.held.day);
        EXPECT_EQ(shown.wSecond, c.held.second);
    }
}

TEST_F(FormTest, PickerKeepsItsValueWhenWrittenOneItCannotHold) {
    platform::DatePicker picker(ref(disconnectPicker));
    const platform::DateTime held = platform::toDateTime({2026, 3, 14, 14, 5, 9});
    picker.setValue(held);
    // Year 70000 would wrap around to 4464 in a system time's 16 bits.
    for (int year : {1500, 70000}) {
        picker.setValue(platform::toDateTime({year, 6, 1, 12, 0, 0}));
        EXPECT_EQ(picker.value(), held) << year;
    }
}

TEST_F(FormTest, PickerShowsItsValueInItsFormat) {
    platform::DatePicker picker(ref(reconnectPicker));
    picker.setValue(platform::toDateTime({2026, 3, 14, 17, 5, 9}));
    struct Case {
        Text format;
        std::wstring shown;
    } const cases[] = {
        {"HH:mm:ss", L"17:05:09"},
        {"yyyy-MM-dd HH:mm", L"2026-03-14 17:05"},
        {"HH'\xB5\xE3'mm", L"17点05"},  // 点
    };
    for (const Case& c : cases) {
        picker.setFormat(c.format);
        EXPECT_EQ(windowText(controlWindow(reconnectPicker)), c.shown) << c.format;
    }
}

TEST_F(FormTest, TimerPeriodReadsBackTheLastWrite) {
    platform::Timer timer(ref(scheduleTimer));
    EXPECT_EQ(timer.period(), 0) << "stopped at start";
    struct Case {
        int written;
        int read;
    } const cases[] = {{300, 300}, {0, 0}, {50, 50}, {-5, 0}, {1000, 1000}, {0, 0}};
    for (const Case& c : cases) {
        timer.setPeriod(c.written);
        EXPECT_EQ(timer.period(), c.read) << c.written;
    }
    // A control that is no timer has no period.
    platform::Timer notATimer(ref(startButton));
    notATimer.setPeriod(300);
    EXPECT_EQ(notATimer.period(), 0);
}
