// The countdown text for any seconds and any template bytes, padded or not, compared with the
// rule worked step by step: split in floating point, then the last d, h, m and s of the text
// replaced one letter after the other, scanning a character of code page 936 as one.
//
// Input: the seconds (4 bytes), flags (1 byte: bit 0 use the template, bit 1 pad to two
// digits), a width for padLeftZeros (1 signed byte), then the template's bytes.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "schedule/countdown.h"

namespace {

const std::string defaultTemplate =
    "d\xCC\xEC"
    "h\xD0\xA1\xCA\xB1"
    "m\xB7\xD6"
    "s\xC3\xEB";  // d天h小时m分s秒

std::int32_t truncated(double x) {
    return static_cast<std::int32_t>(std::trunc(x));
}

std::string number(std::int32_t value, bool pad) {
    const std::string text = std::to_string(value);
    return pad && text.size() < 2 ? "0" + text : text;
}

// Replaces the last `letter` of `text`, found by scanning one character at a time.
void replaceLast(std::string& text, char letter, const std::string& by) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < text.size();
         i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1) {
        if (text[i] == letter) {
            last = i;
        }
    }
    if (last != std::string::npos) {
        text.replace(last, 1, by);
    }
}

std::string expectedText(std::int32_t seconds, std::string pattern, bool useTemplate, bool pad) {
    pattern.resize(pattern.find('\0') == std::string::npos ? pattern.size() : pattern.find('\0'));
    if (!useTemplate || pattern.empty()) {
        pattern = defaultTemplate;
    }
    const double x = seconds;
    const std::int32_t days = truncated(x / 86400);
    const double r1 = std::fmod(x, 86400);
    const std::int32_t hours = truncated(r1 / 3600);
    const double r2 = std::fmod(r1, 3600);
    const std::int32_t minutes = truncated(r2 / 60);
    const std::int32_t rest = truncated(std::fmod(r2, 60));
    fuzz::check(std::abs(hours) < 24 && std::abs(minutes) < 60 && std::abs(rest) < 60,
                "components below their bounds");
    fuzz::check(seconds >= 0 || (days <= 0 && hours <= 0 && minutes <= 0 && rest <= 0),
                "no component positive for a negative input");
    replaceLast(pattern, 'd', number(days, pad));
    replaceLast(pattern, 'h', number(hours, pad));
    replaceLast(pattern, 'm', number(minutes, pad));
    replaceLast(pattern, 's', number(rest, pad));
    return pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Reader in(data, size);
    const auto seconds = in.take<std::int32_t>();
    const auto flags = in.take<std::uint8_t>();
    const auto width = in.take<std::int8_t>();
    const std::vector<std::byte> bytes = in.rest();
    const std::string pattern(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const bool useTemplate = (flags & 1) != 0;
    const bool pad = (flags & 2) != 0;

    const std::string text = countdownText(seconds, pattern, useTemplate, pad);

    // Each of the four letters becomes at most eleven bytes (-2147483648).
    const std::size_t used = useTemplate ? std::min(pattern.size(), pattern.find('\0')) : 0;
    fuzz::check(text.size() <= std::max(used, defaultTemplate.size()) + 4 * 10,
                "at most ten bytes more for each placeholder");
    fuzz::check(text == expectedText(seconds, pattern, useTemplate, pad),
                "the last d, h, m and s replaced by their numbers, nothing else changed");

    const std::string padded = padLeftZeros(pattern, width);
    const std::size_t zeros = width > static_cast<int>(pattern.size())
                                  ? static_cast<std::size_t>(width) - pattern.size()
                                  : 0;
    fuzz::check(padded == std::string(zeros, '0') + pattern,
                "zeros before the text up to the width");
    return 0;
}
