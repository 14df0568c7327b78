// The interface friendly names over any GetInterfaceInfo buffer: any count, any size, entries
// cut off anywhere, names without a zero unit, friendly names of any UTF-16 units.
//
// Input: options (1 byte: bits 0-1 how the query answers, bit 2 no router connection, bit 3
// the service names the first entries), then the table's bytes: the count and the entries.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "net/interface_names.h"
#include "network.h"
#include "platform/ip_helper.h"
#include "platform/text_conversion.h"
#include "substitutes.h"

namespace {

using platform::AdapterIndexMap;

constexpr std::size_t header = platform::interfaceTableHeaderSize;
constexpr std::size_t entryBytes = sizeof(AdapterIndexMap);
constexpr std::size_t nameUnits = sizeof AdapterIndexMap::Name / sizeof(char16_t);
constexpr std::size_t namedEntries = 3;

// Entry `i` as the code must read it: the bytes the buffer holds, zero for the rest.
AdapterIndexMap entryAt(const std::vector<std::byte>& bytes, std::size_t i) {
    AdapterIndexMap entry{};
    const std::size_t at = header + i * entryBytes;
    if (at < bytes.size()) {
        std::memcpy(&entry, bytes.data() + at, std::min(entryBytes, bytes.size() - at));
    }
    return entry;
}

// The name as the service sees it: up to its first zero unit, at most 128 units.
std::u16string nameOf(const AdapterIndexMap& entry) {
    std::u16string name(nameUnits, u'\0');
    std::memcpy(name.data(), entry.Name, sizeof entry.Name);
    return name.substr(0, name.find(u'\0'));
}

// UTF-16 units, ending at the first zero unit, in code page 936 by the system's conversion.
std::string converted(std::u16string units) {
    units.resize(units.find(u'\0') == std::u16string::npos ? units.size() : units.find(u'\0'));
    if (units.empty()) {
        return "";
    }
    const int needed = platform::wideToCodePage936Bytes(units.c_str(), nullptr, 0);
    std::string out(static_cast<std::size_t>(needed), '\0');
    platform::wideToCodePage936Bytes(units.c_str(), out.data(), needed);
    return out.substr(0, out.find('\0'));
}

// From the first "{" that starts a character of code page 936 to the end; all of it without.
std::string guidTextOf(const std::string& name) {
    for (std::size_t i = 0; i < name.size();) {
        if (name[i] == '{') {
            return name.substr(i);
        }
        const auto b = static_cast<unsigned char>(name[i]);
        i += b >= 0x81 && b <= 0xFE ? 2 : 1;
    }
    return name;
}

// The friendly name the service gives for `name`: the name's units backwards, so that it is as
// long as the name, often longer than the 255 bytes offered.
std::u16string friendlyFor(const std::u16string& name) {
    std::u16string friendly(name.rbegin(), name.rend());
    return friendly + friendly;
}

// What the service writes into the 256 zero bytes when it is offered 255 of them.
std::u16string friendlyWritten(const std::u16string& friendly) {
    std::vector<std::byte> buffer(256, std::byte{0});
    const std::size_t bytes = (friendly.size() + 1) * sizeof(char16_t);
    std::memcpy(buffer.data(), friendly.c_str(), std::min<std::size_t>(bytes, 255));
    std::u16string units(128, u'\0');
    std::memcpy(units.data(), buffer.data(), buffer.size());
    return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Reader in(data, size);
    const auto options = in.take<std::uint8_t>();
    const std::vector<std::byte> bytes = in.rest();
    const bool connected = (options & 4) == 0;
    const bool named = (options & 8) != 0;

    substitute::resetNetwork();
    const fuzz::Answers answers = fuzz::answersFrom(options, platform::resultInsufficientBuffer);
    substitute::SystemTable table;
    table.bytes = bytes;
    table.sizeResult = answers.sizeResult;
    table.fillResult = answers.fillResult;
    substitute::setInterfaceTable(table);
    substitute::failRouterConnection(!connected);
    std::set<std::u16string> namedNames;
    if (named) {
        for (std::size_t i = 0; i < namedEntries; ++i) {
            const std::u16string name = nameOf(entryAt(bytes, i));
            substitute::setFriendlyName(name, friendlyFor(name));
            namedNames.insert(name);
        }
    }

    InterfaceNameList list(1);
    list[0].interfaceName = "stale";
    collectInterfaceNames(list);

    fuzz::check(substitute::openRouterConnections() == 0, "the connection is closed");
    std::int32_t count = 0;
    if (!bytes.empty()) {
        std::memcpy(&count, bytes.data(), std::min(bytes.size(), sizeof count));
    }
    std::size_t expected = 0;
    if (answers.succeeds && count > 0 && bytes.size() > header) {
        const std::size_t reached = (bytes.size() - header + entryBytes - 1) / entryBytes;
        expected = std::min(static_cast<std::size_t>(count), reached);
    }
    fuzz::check(list.size() == expected,
                "one record per entry of the count that the buffer reaches, none beyond");

    std::size_t asked = 0;
    for (const substitute::Call& call : substitute::networkCalls()) {
        asked += call.what == "friendlyName" ? 1 : 0;
    }
    fuzz::check(asked == (connected ? list.size() : 0), "one friendly-name request per record");

    for (std::size_t i = 0; i < list.size(); ++i) {
        const InterfaceNameRecord& r = list[i];
        const AdapterIndexMap entry = entryAt(bytes, i);
        const std::u16string name = nameOf(entry);
        fuzz::check(r.index == entry.Index, "index is the entry's Index");
        fuzz::check(r.interfaceName == converted(name), "interfaceName is the entry's Name");
        fuzz::check(r.guidText == guidTextOf(r.interfaceName),
                    "guidText runs from the first brace");
        const bool hasFriendly = connected && namedNames.count(name) > 0;
        fuzz::check(
            r.friendlyName == (hasFriendly ? converted(friendlyWritten(friendlyFor(name))) : ""),
            "friendlyName is what the service wrote, up to its zero unit");
        for (const std::string* text : {&r.interfaceName, &r.friendlyName, &r.guidText}) {
            fuzz::check(text->find('\0') == std::string::npos, "a text holds no zero byte");
        }
    }
    return 0;
}
