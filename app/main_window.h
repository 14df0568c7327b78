#pragma once
// The program's only window: its controls, their initial form, and its own handlers.
#include "platform/controls.h"
#include "platform/date_time.h"
#include "platform/form.h"

struct MainWindow {
    platform::Label 标签1;
    platform::DropDownList 组合框1;
    platform::Label 标签2;
    platform::DatePicker 日期框1;
    platform::CheckBox 选择框1;
    platform::Label 标签3;
    platform::DatePicker 日期框2;
    platform::CheckBox 选择框2;
    platform::Button 按钮3;
    platform::Timer 时钟1;
    platform::Label 标签4;
};

// The controls of the window that is open; every handler works on these.
extern MainWindow mainWindow;

// Creates the window (not yet shown), binds `mainWindow` to it and raises its created event:
// onMainWindowCreated, then the start of the connection-list loader. An empty form when the
// window cannot be created.
platform::Form createMainWindow();

platform::DateTime addHours(platform::DateTime t, int hours);

void onMainWindowCreated();
void onDisconnectBoxClicked();
void onReconnectBoxClicked();
