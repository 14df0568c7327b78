#pragma once
// Texts cross into Windows through the wide (UTF-16) functions only, converted explicitly from
// and to code page 936, so that they read the same whatever the system's ANSI code page is.
#include <string>
#include <string_view>

#include "platform/text.h"

namespace platform::win32 {

inline constexpr unsigned codePage936 = 936;

// The byte text up to its first zero byte, as UTF-16.
std::wstring toWide(const Text& text);

// UTF-16 text as code page 936; characters that code page 936 lacks become the code page's
// default character.
Text fromWide(std::wstring_view text);

}  // namespace platform::win32
