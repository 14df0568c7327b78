#include "net/dns_servers.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/ip_helper.h"

namespace {

using platform::AddrString;
using platform::Text;

Text addressText(const AddrString& entry) {
    const char* const field = entry.IpAddress.String;
    const std::size_t size = sizeof entry.IpAddress.String;
    return Text(field, std::find(field, field + size, '\0'));
}

// The entry that `next` points at, when all of it lies inside `buffer`; the system's pointers
// are trusted no further than the buffer it filled.
bool readEntry(const void* next, const std::vector<std::byte>& buffer, AddrString& entry) {
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
    const auto at = reinterpret_cast<std::uintptr_t>(next);
    if (next == nullptr || at < start) {
        return false;
    }
    const std::uintptr_t offset = at - start;
    if (offset > buffer.size() || buffer.size() - offset < sizeof entry) {
        return false;
    }
    std::memcpy(&entry, buffer.data() + offset, sizeof entry);
    return true;
}

}  // namespace

bool getDnsServers(std::uint32_t index, Text& primary, Text& secondary) {
    primary.clear();
    secondary.clear();

    std::uint32_t size = 0;
    if (platform::getPerAdapterInfo(index, nullptr, &size) != platform::resultBufferOverflow) {
        return false;
    }
    std::vector<std::byte> buffer(size);
    if (platform::getPerAdapterInfo(index, buffer.data(), &size) != platform::resultNoError) {
        return false;
    }

    // A buffer shorter than the record reads as zero where it ends.
    platform::PerAdapterInfo info{};
    if (!buffer.empty()) {
        std::memcpy(&info, buffer.data(), std::min(buffer.size(), sizeof info));
    }
    primary = addressText(info.DnsServerList);
    // Entries after the second give nothing, so the list is not walked past it.
    AddrString second{};
    if (readEntry(info.DnsServerList.Next, buffer, second)) {
        secondary = addressText(second);
    }
    return true;
}
