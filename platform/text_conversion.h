#pragma once
// UTF-16 to code page 936, with the system's own conversion (WideCharToMultiByte, code page
// 936 always, no flags, no default character).

namespace platform {

// Converts the zero-terminated `text` including its terminator. With `outSize` 0 returns the
// bytes needed; otherwise the bytes written (0 on failure).
int wideToCodePage936Bytes(const char16_t* text, char* out, int outSize);

// Number of UTF-16 units before the first zero unit.
int wideTextLength(const char16_t* text);

}  // namespace platform
