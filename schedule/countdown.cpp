#include "schedule/countdown.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "schedule/texts.h"

namespace {

constexpr std::size_t none = std::string_view::npos;

// A placeholder found in the template and the number that replaces it.
struct Placeholder {
    std::size_t at = none;
    std::int32_t value = 0;
};

// Appends `value` in decimal, with a minus sign when negative. The magnitude is taken in 64
// bits, where even the lowest 32-bit value can be negated.
void appendDecimal(platform::Text& out, std::int32_t value, bool padToTwoDigits) {
    std::array<char, 12> buffer{};
    char* const end = buffer.data() + buffer.size();
    char* first = end;
    std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        *--first = '-';
    }
    const auto length = static_cast<std::size_t>(end - first);
    if (padToTwoDigits) {
        out += padLeftZeros(platform::Text(first, length), 2);
    } else {
        out.append(first, length);
    }
}

}  // namespace

platform::Text countdownText(std::int32_t seconds, const platform::Text& templateText,
                             bool useTemplate, bool padToTwoDigits) {
    // A text ends at its first zero byte.
    const char* pattern = templateText.c_str();
    std::size_t size = std::strlen(pattern);
    if (!useTemplate || size == 0) {
        pattern = schedule_texts::defaultCountdownTemplate;
        size = sizeof(schedule_texts::defaultCountdownTemplate) - 1;
    }

    // Integer division truncates toward zero and the remainder keeps the dividend's sign, so no
    // component is positive for a negative input; days are never folded into the hours.
    const std::int32_t dayRest = seconds % 86400;
    const std::int32_t hourRest = dayRest % 3600;
    std::array<Placeholder, 4> found{{
        {none, seconds / 86400},
        {none, dayRest / 3600},
        {none, hourRest / 60},
        {none, hourRest % 60},
    }};

    // Only the last d, h, m and s count. The scan steps over a two-byte character whole, so its
    // second byte is never taken for a letter; a lead byte at the very end steps past the end
    // and ends the scan there.
    Placeholder* const letters = found.data();
    for (std::size_t i = 0; i < size;) {
        const char c = pattern[i];
        switch (c) {
            case 'd':
                letters[0].at = i;
                break;
            case 'h':
                letters[1].at = i;
                break;
            case 'm':
                letters[2].at = i;
                break;
            case 's':
                letters[3].at = i;
                break;
            default:
                break;
        }
        i += static_cast<unsigned char>(c) >= 0x80 ? 2 : 1;
    }

    // The numbers are ASCII, so replacing the letters one by one or all at once in the order
    // of their places gives the same text.
    std::array<const Placeholder*, 4> ordered{};
    const Placeholder** const inOrder = ordered.data();
    std::size_t count = 0;
    for (const Placeholder& p : found) {
        if (p.at == none) {
            continue;
        }
        std::size_t slot = count++;
        for (; slot > 0 && inOrder[slot - 1]->at > p.at; --slot) {
            inOrder[slot] = inOrder[slot - 1];
        }
        inOrder[slot] = &p;
    }

    platform::Text text;
    text.reserve(size + count * 11);
    std::size_t copied = 0;
    for (std::size_t k = 0; k < count; ++k) {
        text.append(pattern + copied, inOrder[k]->at - copied);
        appendDecimal(text, inOrder[k]->value, padToTwoDigits);
        copied = inOrder[k]->at + 1;
    }
    text.append(pattern + copied, size - copied);
    return text;
}

platform::Text padLeftZeros(const platform::Text& text, int width) {
    const auto length = static_cast<std::ptrdiff_t>(text.size());
    if (width <= length) {
        return text;
    }
    return platform::Text(static_cast<std::size_t>(width - length), '0') + text;
}
