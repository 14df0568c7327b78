#include "platform/win32/wide_text.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/win32/win32.h"

namespace platform::win32 {
namespace {

// The Windows conversions count in int; longer texts are cut, which no text here comes near.
int clampedLength(std::size_t length) {
    return static_cast<int>(std::min<std::size_t>(length, INT_MAX));
}

}  // namespace

std::wstring toWide(const Text& text) {
    const int length = clampedLength(std::strlen(text.c_str()));
    if (length == 0) {
        return {};
    }
    const int needed = MultiByteToWideChar(codePage936, 0, text.c_str(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    const int written =
        MultiByteToWideChar(codePage936, 0, text.c_str(), length, wide.data(), needed);
    wide.resize(static_cast<std::size_t>(std::max(written, 0)));
    return wide;
}

Text fromWide(std::wstring_view text) {
    const int length = clampedLength(text.size());
    if (length == 0) {
        return {};
    }
    const int needed =
        WideCharToMultiByte(codePage936, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    Text bytes(static_cast<std::size_t>(needed), '\0');
    const int written = WideCharToMultiByte(codePage936, 0, text.data(), length, bytes.data(),
                                            needed, nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(std::max(written, 0)));
    // A text ends at its first zero byte.
    return bytes.substr(0, bytes.find('\0'));
}

}  // namespace platform::win32
