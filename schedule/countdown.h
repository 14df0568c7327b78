#pragma once
#include <cstdint>

#include "platform/text.h"

// Fills the template's last d, h, m and s with days, hours, minutes and seconds. Without
// `useTemplate`, or with an empty template, the default "d天h小时m分s秒" is used.
platform::Text countdownText(std::int32_t seconds, const platform::Text& templateText,
                             bool useTemplate, bool padToTwoDigits);

// `text` preceded by "0"s up to `width` bytes.
platform::Text padLeftZeros(const platform::Text& text, int width);
