#pragma once
// A picture of a window as it appears on the screen, saved as PNG (or BMP when the path ends
// in ".bmp").
#include <windows.h>

#include <string>

namespace e2e {

bool saveScreenshot(HWND window, const std::wstring& path);

}  // namespace e2e
