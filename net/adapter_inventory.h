#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/text.h"

struct AdapterRecord {
    platform::Text adapterName;
    platform::Text description;
    platform::Text friendlyName;
    std::int32_t type = 0;
    platform::Text typeName;
    platform::Text macAddress;
    platform::Text ipAddress;
    platform::Text ipMask;
    platform::Text gateway;
    platform::Text dnsPrimary;
    platform::Text dnsSecondary;
    bool dhcpEnabled = false;
};

using AdapterList = std::vector<AdapterRecord>;

// This run's adapters. Shared with the loader thread, so that the exit action's release never
// frees the list while the loader still uses it: the last owner frees it.
extern std::shared_ptr<AdapterList> adapterList;

// Empties `list`, fills it with one record per adapter in the system's order and returns the
// number of records.
std::int32_t collectAdapters(AdapterList& list);

platform::Text adapterTypeName(std::int32_t code);
platform::Text formatHardwareAddress(const unsigned char* bytes, std::uint32_t length);
