#pragma once
#include <cstdint>

#include "platform/text.h"

// The first two DNS servers of the interface `index`. Both texts are replaced on every path and
// stay empty when the query fails. Returns whether the query succeeded.
bool getDnsServers(std::uint32_t index, platform::Text& primary, platform::Text& secondary);
