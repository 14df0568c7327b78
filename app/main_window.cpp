#include "app/main_window.h"

#include <array>

#include "net/connection_list.h"
#include "schedule/arming.h"
#include "schedule/tick.h"

MainWindow mainWindow;

namespace {

using platform::ControlKind;
using platform::ControlSpec;

// Texts in code page 936.
constexpr char caption[] = "Vellimor";
constexpr char connectionLabel[] = "\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3\xC3\xFB:";  // 网络连接名:
constexpr char disconnectLabel[] = "\xB6\xCF\xCD\xF8\xCA\xB1\xBC\xE4:";          // 断网时间:
constexpr char reconnectLabel[] = "\xC1\xAA\xCD\xF8\xCA\xB1\xBC\xE4:";           // 联网时间:
constexpr char startCaption[] = "\xC6\xF4\xD3\xC3";                              // 启用
constexpr char pickerFormat[] = "HH:mm:ss";

// The window's controls, in creation order (which is also the Tab order). Places are in pixels
// from the client area's top-left corner.
// clang-format off
constexpr std::array<ControlSpec, 11> controls{{
    // kind                      left top width height text          shown  tab    event
    {ControlKind::Label,         24,  16,  80,  20, connectionLabel, true,  false, nullptr},                 // 标签1
    {ControlKind::DropDownList,  120, 16,  100, 20, "",              true,  true,  nullptr},                 // 组合框1
    {ControlKind::Label,         24,  52,  80,  20, disconnectLabel, true,  false, nullptr},                 // 标签2
    {ControlKind::DatePicker,    120, 52,  100, 20, "",              true,  true,  nullptr},                 // 日期框1
    {ControlKind::CheckBox,      232, 52,  24,  20, "",              true,  true,  onDisconnectBoxClicked},  // 选择框1
    {ControlKind::Label,         24,  88,  80,  20, reconnectLabel,  true,  false, nullptr},                 // 标签3
    {ControlKind::DatePicker,    120, 88,  100, 20, "",              true,  true,  nullptr},                 // 日期框2
    {ControlKind::CheckBox,      232, 88,  24,  20, "",              true,  true,  onReconnectBoxClicked},   // 选择框2
    {ControlKind::PushButton,    58,  128, 136, 40, startCaption,    true,  true,  onStartStopClicked},      // 按钮3
    {ControlKind::Timer,         208, 136, 26,  26, "",              false, false, onScheduleTick},          // 时钟1
    {ControlKind::Label,         48,  176, 192, 24, "",              false, false, nullptr},                 // 标签4
}};
// clang-format on

constexpr platform::FormSpec mainWindowSpec{caption, 276, 228, controls};

MainWindow bind(const platform::Form& form) {
    return MainWindow{
        platform::Label{form.control(0)},      platform::DropDownList{form.control(1)},
        platform::Label{form.control(2)},      platform::DatePicker{form.control(3)},
        platform::CheckBox{form.control(4)},   platform::Label{form.control(5)},
        platform::DatePicker{form.control(6)}, platform::CheckBox{form.control(7)},
        platform::Button{form.control(8)},     platform::Timer{form.control(9)},
        platform::Label{form.control(10)},
    };
}

}  // namespace

platform::Form createMainWindow() {
    platform::Form form = platform::createForm(mainWindowSpec);
    if (!form) {
        return form;
    }
    mainWindow = bind(form);
    onMainWindowCreated();
    startConnectionListLoader();
    return form;
}

platform::DateTime addHours(platform::DateTime t, int hours) {
    return t + hours / 24.0;
}

void onMainWindowCreated() {
    mainWindow.日期框1.setFormat(pickerFormat);
    mainWindow.日期框2.setFormat(pickerFormat);
    mainWindow.日期框1.setValue(addHours(mainWindow.日期框1.value(), 1));
    mainWindow.日期框2.setValue(addHours(mainWindow.日期框2.value(), 3));
}

void onDisconnectBoxClicked() {
    mainWindow.日期框1.setDisabled(!mainWindow.选择框1.checked());
}

void onReconnectBoxClicked() {
    mainWindow.日期框2.setDisabled(!mainWindow.选择框2.checked());
}
