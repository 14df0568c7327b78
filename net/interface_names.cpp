#include "net/interface_names.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/ip_helper.h"
#include "platform/router_config.h"
#include "platform/text_conversion.h"

namespace {

using platform::AdapterIndexMap;
using platform::Text;

// The friendly-name buffer is 256 zero bytes, of which the service may fill 255.
constexpr std::size_t friendlyNameBufferBytes = 256;
constexpr std::uint32_t friendlyNameRequestBytes = 255;

// Code page 936 lead bytes; each starts a two-byte character.
bool isLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// From the first "{" to the end, stepping over two-byte characters so that a second byte that
// happens to be "{" never matches; the whole name when there is no "{".
Text guidTextOf(const Text& interfaceName) {
    std::size_t i = 0;
    while (i < interfaceName.size()) {
        if (interfaceName[i] == '{') {
            return interfaceName.substr(i);
        }
        i += isLeadByte(interfaceName[i]) && i + 1 < interfaceName.size() ? 2 : 1;
    }
    return interfaceName;
}

// How many of `count` entries the buffer holds at least in part. An entry the buffer does not
// reach would be an empty record that names no interface, so a corrupt count never makes more
// records than the buffer has room for.
std::size_t coveredEntries(std::int32_t count, std::size_t bufferSize) {
    if (count <= 0 || bufferSize <= platform::interfaceTableHeaderSize) {
        return 0;
    }
    const std::size_t entryBytes = bufferSize - platform::interfaceTableHeaderSize;
    const std::size_t reached =
        (entryBytes + sizeof(AdapterIndexMap) - 1) / sizeof(AdapterIndexMap);
    return std::min(static_cast<std::size_t>(count), reached);
}

// Entry `i` of the table in `buffer`. Bytes the buffer does not hold read as zero, so an entry
// that the buffer ends inside keeps the bytes it has.
AdapterIndexMap entryAt(const std::vector<std::byte>& buffer, std::size_t i) {
    AdapterIndexMap entry{};
    const std::uint64_t offset = platform::interfaceTableHeaderSize +
                                 static_cast<std::uint64_t>(i) * sizeof(AdapterIndexMap);
    if (offset < buffer.size()) {
        const auto held = std::min<std::uint64_t>(buffer.size() - offset, sizeof entry);
        std::memcpy(&entry, buffer.data() + offset, static_cast<std::size_t>(held));
    }
    return entry;
}

InterfaceNameRecord buildRecord(const AdapterIndexMap& entry,
                                const platform::RouterConfig& router) {
    // The name need not end in a zero unit: the service is handed a copy that always does.
    std::array<char16_t, sizeof entry.Name / sizeof(char16_t) + 1> name{};
    std::memcpy(name.data(), entry.Name, sizeof entry.Name);
    std::array<std::byte, friendlyNameBufferBytes> friendly{};
    // Without a connection nothing is asked: the friendly name stays empty.
    if (router.connected()) {
        router.friendlyName(name.data(), friendly.data(), friendlyNameRequestBytes);
    }

    InterfaceNameRecord record;
    record.index = static_cast<std::uint32_t>(entry.Index);
    record.interfaceName = wideToCodePage936(std::as_bytes(std::span(entry.Name)));
    record.friendlyName = wideToCodePage936(friendly);
    record.guidText = guidTextOf(record.interfaceName);
    return record;
}

}  // namespace

void collectInterfaceNames(InterfaceNameList& list) {
    list.clear();
    // Open for this call only, and closed on every path by its end.
    const platform::RouterConfig router = platform::RouterConfig::connect();

    std::uint32_t size = 0;
    if (platform::getInterfaceInfo(nullptr, &size) != platform::resultInsufficientBuffer) {
        return;
    }
    std::vector<std::byte> buffer(size);
    // A failed fill leaves the buffer zero, which reads as no interface.
    platform::getInterfaceInfo(buffer.data(), &size);

    std::int32_t count = 0;
    if (!buffer.empty()) {
        std::memcpy(&count, buffer.data(), std::min(buffer.size(), sizeof count));
    }
    const std::size_t entries = coveredEntries(count, buffer.size());
    list.reserve(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        list.push_back(buildRecord(entryAt(buffer, i), router));
    }
}

Text wideToCodePage936(std::span<const std::byte> bytes) {
    // Two zero bytes after a copy of the bytes end the text at the latest there.
    std::vector<char16_t> text((bytes.size() + 3) / 2, u'\0');
    if (!bytes.empty()) {
        std::memcpy(text.data(), bytes.data(), bytes.size());
    }
    if (platform::wideTextLength(text.data()) == 0) {
        return {};
    }
    const int needed = platform::wideToCodePage936Bytes(text.data(), nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::vector<char> converted(static_cast<std::size_t>(needed), '\0');
    platform::wideToCodePage936Bytes(text.data(), converted.data(), needed);
    return Text(converted.begin(), std::find(converted.begin(), converted.end(), '\0'));
}
