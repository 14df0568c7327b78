#include "net/adapter_inventory.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <optional>
#include <span>
#include <string>

#include "net/dns_servers.h"
#include "net/interface_names.h"
#include "platform/ip_helper.h"

std::shared_ptr<AdapterList> adapterList;

namespace {

using platform::AdapterInfo;
using platform::Text;

// A fixed character field as text: its bytes up to the first zero byte, or all of them.
template <std::size_t N>
Text fixedText(const char (&field)[N]) {
    return Text(field, std::find(field, field + N, '\0'));
}

// Where `pointer` lies inside `buffer`, when a whole AdapterInfo starting there fits in it. The
// system's pointers are trusted no further than the buffer it filled.
std::optional<std::size_t> recordOffset(const void* pointer, std::span<const std::byte> buffer) {
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
    const auto at = reinterpret_cast<std::uintptr_t>(pointer);
    if (at < start) {
        return std::nullopt;
    }
    const std::uintptr_t offset = at - start;
    if (offset > buffer.size() || buffer.size() - offset < sizeof(AdapterInfo)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(offset);
}

Text friendlyNameOf(const Text& adapterName, const InterfaceNameList& names) {
    const auto match = std::find_if(names.begin(), names.end(), [&](const InterfaceNameRecord& r) {
        return r.guidText == adapterName;
    });
    return match != names.end() ? match->friendlyName : Text{};
}

AdapterRecord buildRecord(const AdapterInfo& info, const InterfaceNameList& names) {
    AdapterRecord record;
    record.adapterName = fixedText(info.AdapterName);
    record.description = fixedText(info.Description);
    record.type = static_cast<std::int32_t>(info.Type);
    record.typeName = adapterTypeName(record.type);
    // The field holds 8 bytes; a longer length is never read past them.
    const auto length =
        std::min<std::uint32_t>(static_cast<std::uint32_t>(info.AddressLength),
                                static_cast<std::uint32_t>(std::size(info.Address)));
    record.macAddress = formatHardwareAddress(info.Address, length);
    // Only the entries held inside the record are read; their Next pointers are not followed.
    record.ipAddress = fixedText(info.IpAddressList.IpAddress.String);
    record.ipMask = fixedText(info.IpAddressList.IpMask.String);
    record.gateway = fixedText(info.GatewayList.IpAddress.String);
    getDnsServers(static_cast<std::uint32_t>(info.Index), record.dnsPrimary, record.dnsSecondary);
    record.friendlyName = friendlyNameOf(record.adapterName, names);
    record.dhcpEnabled = info.DhcpEnabled == 1;
    return record;
}

// Appends one record per adapter of the chain in `buffer`. The walk stops at a Next that leaves
// the buffer, and a chain that loops ends after as many records as the buffer can hold.
void appendChain(std::span<const std::byte> buffer, const InterfaceNameList& names,
                 AdapterList& list) {
    std::optional<std::size_t> offset = recordOffset(buffer.data(), buffer);
    const std::size_t most = buffer.size() / sizeof(AdapterInfo);
    for (std::size_t n = 0; offset && n < most; ++n) {
        AdapterInfo info;
        std::memcpy(&info, buffer.data() + *offset, sizeof info);
        list.push_back(buildRecord(info, names));
        if (info.Next == nullptr) {
            break;
        }
        offset = recordOffset(info.Next, buffer);
    }
}

}  // namespace

std::int32_t collectAdapters(AdapterList& list) {
    list.clear();
    // Gathered once, before the adapter query, whatever that query then gives.
    InterfaceNameList names;
    collectInterfaceNames(names);

    std::uint32_t size = 0;
    if (platform::getAdaptersInfo(nullptr, &size) == platform::resultBufferOverflow) {
        std::vector<std::byte> buffer(size);
        if (platform::getAdaptersInfo(buffer.data(), &size) == platform::resultNoError) {
            appendChain(buffer, names, list);
        }
    }
    return static_cast<std::int32_t>(list.size());
}

Text adapterTypeName(std::int32_t code) {
    switch (code) {
        case 1:
            return "OTHER";
        case 6:
            return "ETHERNET";
        case 9:
            return "TOKENRING";
        case 15:
            return "FDDI";
        case 23:
            return "PPP";
        case 24:
            return "LOOPBACK";
        case 28:
            return "SLIP";
        case 71:
            return "IEEE80211";
        default:
            return std::to_string(code);
    }
}

Text formatHardwareAddress(const unsigned char* bytes, std::uint32_t length) {
    static constexpr char digits[] = "0123456789ABCDEF";
    Text text;
    for (std::uint32_t i = 0; i < length; ++i) {
        if (i > 0) {
            text += '-';
        }
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}
