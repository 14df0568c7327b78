#include "platform/text_conversion.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32.h"

namespace platform {

int wideToCodePage936Bytes(const char16_t* text, char* out, int outSize) {
    return WideCharToMultiByte(win32::codePage936, 0, reinterpret_cast<const wchar_t*>(text), -1,
                               out, outSize, nullptr, nullptr);
}

int wideTextLength(const char16_t* text) {
    return lstrlenW(reinterpret_cast<const wchar_t*>(text));
}

}  // namespace platform
