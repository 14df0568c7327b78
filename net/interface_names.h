#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/text.h"

// One interface of the system's interface table, with the name the user knows it by.
struct InterfaceNameRecord {
    std::uint32_t index = 0;
    platform::Text interfaceName;  // the device name, holding the interface's GUID in braces
    platform::Text friendlyName;   // empty when the router configuration service gives none
    platform::Text guidText;       // interfaceName from its first "{"; all of it without one
};

using InterfaceNameList = std::vector<InterfaceNameRecord>;

// Empties `list` and fills it with one record per entry of the system's interface table, in
// table order.
void collectInterfaceNames(InterfaceNameList& list);

// The UTF-16 text held in `bytes` (up to its first zero unit, or all of it) in code page 936.
platform::Text wideToCodePage936(std::span<const std::byte> bytes);
