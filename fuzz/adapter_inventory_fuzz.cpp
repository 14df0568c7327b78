// The adapter inventory over any GetAdaptersInfo buffer: Next pointers inside the buffer,
// outside it, into the middle of a record, in loops; records cut off by the buffer's end.
//
// Input: options (1 byte: bits 0-1 how the query answers, bit 2 an interface named like the
// first adapter), a link count (1 byte, up to 12), the links (12 bytes each: where kind, target
// kind, where, target), then the table's bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_input.h"
#include "net/adapter_inventory.h"
#include "network.h"
#include "platform/ip_helper.h"
#include "substitutes.h"

namespace {

using platform::AdapterInfo;
using platform::AddrString;
using Pointer = fuzz::LinkedTable::Pointer;

constexpr std::size_t recordSize = sizeof(AdapterInfo);
constexpr std::size_t recordSlots = 8;
constexpr std::size_t ipNextField =
    offsetof(AdapterInfo, IpAddressList) + offsetof(AddrString, Next);
constexpr std::size_t gatewayNextField =
    offsetof(AdapterInfo, GatewayList) + offsetof(AddrString, Next);

void addLink(fuzz::LinkedTable& table, const fuzz::LinkChoice& link) {
    const std::size_t slot = substitute::adapterOffset(link.where % recordSlots);
    std::size_t at = 0;
    switch (link.whereKind % 4) {
        case 0:
            at = substitute::adapterNextField(slot);
            break;
        case 1:
            at = slot + ipNextField;
            break;
        case 2:
            at = slot + gatewayNextField;
            break;
        default:
            at = link.where;  // anywhere, also inside a text field
            break;
    }
    switch (link.targetKind % 4) {
        case 0:  // the start of a record
            table.link(at, static_cast<std::ptrdiff_t>(substitute::adapterOffset(
                               static_cast<std::size_t>(link.target) % recordSlots)));
            break;
        case 1:  // near or inside the buffer, also before it and into a record's middle
            table.link(at, static_cast<std::int16_t>(link.target));
            break;
        case 2:  // anywhere at all
            table.link(at, static_cast<std::ptrdiff_t>(link.target));
            break;
        default:
            table.clear(at);
            break;
    }
}

// The records the walk must visit: from the buffer's start along Next while a whole record
// lies there, at most as many as the buffer holds. Empty optional when a Next on the way holds
// part of the buffer's address and so cannot be known here.
std::optional<std::vector<std::size_t>> chain(const fuzz::LinkedTable& table) {
    std::vector<std::size_t> visited;
    const std::size_t most = table.size() / recordSize;
    std::optional<std::size_t> at = fuzz::recordAt(0, table.size(), recordSize);
    while (at && visited.size() < most) {
        visited.push_back(*at);
        const Pointer next = table.pointerAt(substitute::adapterNextField(*at));
        if (next.kind == Pointer::unknown) {
            return std::nullopt;
        }
        at = next.kind == Pointer::offset ? fuzz::recordAt(next.target, table.size(), recordSize)
                                          : std::nullopt;
    }
    return visited;
}

// Tames the raw Next fields along the chain until taming one changes no other.
void tameChain(fuzz::LinkedTable& table) {
    for (int round = 0; round < 8; ++round) {
        const auto visited = chain(table);
        bool changed = false;
        for (std::size_t at : visited.value_or(std::vector<std::size_t>{})) {
            changed = table.tame(substitute::adapterNextField(at)) || changed;
        }
        if (!changed) {
            return;
        }
    }
}

std::string hardwareText(const std::vector<std::byte>& address, std::uint32_t length) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(length, 8); ++i) {
        const auto b = static_cast<unsigned>(address[i]);
        text += i > 0 ? "-" : "";
        text += digits[b >> 4];
        text += digits[b & 0xF];
    }
    return text;
}

template <typename T>
T valueAt(const fuzz::LinkedTable& table, std::size_t at) {
    T value{};
    const std::vector<std::byte> raw = table.read(at, sizeof value);
    std::memcpy(&value, raw.data(), sizeof value);
    return value;
}

// Compares the record with the bytes it was built from, field by field, skipping fields that
// a link overlaps (their bytes hold the buffer's address).
void checkRecord(const AdapterRecord& r, const fuzz::LinkedTable& table, std::size_t at) {
    auto known = [&](std::size_t field, std::size_t length) {
        return !table.overlapsLink(at + field, length);
    };
    auto text = [&](std::size_t field, std::size_t length) {
        return fuzz::fieldText(table.read(at + field, length));
    };
    using A = AdapterInfo;
    if (known(offsetof(A, AdapterName), sizeof A::AdapterName)) {
        fuzz::check(r.adapterName == text(offsetof(A, AdapterName), sizeof A::AdapterName),
                    "adapterName is the AdapterName field");
    }
    if (known(offsetof(A, Description), sizeof A::Description)) {
        fuzz::check(r.description == text(offsetof(A, Description), sizeof A::Description),
                    "description is the Description field");
    }
    if (known(offsetof(A, Type), sizeof A::Type)) {
        fuzz::check(r.type == valueAt<std::int32_t>(table, at + offsetof(A, Type)),
                    "type is the Type field");
    }
    if (known(offsetof(A, DhcpEnabled), sizeof A::DhcpEnabled)) {
        fuzz::check(
            r.dhcpEnabled == (valueAt<std::uint32_t>(table, at + offsetof(A, DhcpEnabled)) == 1),
            "dhcpEnabled exactly when DhcpEnabled is 1");
    }
    if (known(offsetof(A, AddressLength), sizeof A::AddressLength + sizeof A::Address)) {
        const auto length = valueAt<std::uint32_t>(table, at + offsetof(A, AddressLength));
        fuzz::check(r.macAddress == hardwareText(table.read(at + offsetof(A, Address), 8), length),
                    "macAddress is at most the 8 bytes of Address");
    }
    const std::size_t ip = offsetof(A, IpAddressList) + offsetof(AddrString, IpAddress);
    const std::size_t mask = offsetof(A, IpAddressList) + offsetof(AddrString, IpMask);
    const std::size_t gateway = offsetof(A, GatewayList) + offsetof(AddrString, IpAddress);
    for (auto [value, field] : {std::pair{&r.ipAddress, ip}, std::pair{&r.ipMask, mask},
                                std::pair{&r.gateway, gateway}}) {
        if (known(field, 16)) {
            fuzz::check(*value == text(field, 16), "addresses come from the first entries");
        }
    }
}

// The interface that the service names "Fuzz": its device name is the first adapter's name,
// when that is plain ASCII, so that some adapters find a friendly name.
std::optional<std::string> nameFirstAdapter(const fuzz::LinkedTable& table) {
    constexpr std::size_t field = offsetof(AdapterInfo, AdapterName);
    if (table.size() < recordSize || table.overlapsLink(field, sizeof AdapterInfo::AdapterName)) {
        return std::nullopt;
    }
    const std::string name = fuzz::fieldText(table.read(field, sizeof AdapterInfo::AdapterName));
    if (name.size() > 127 || std::any_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        })) {
        return std::nullopt;
    }
    const std::u16string wide(name.begin(), name.end());
    substitute::setInterfaceTable(substitute::interfaceTable({{1, wide}}));
    substitute::setFriendlyName(wide, u"Fuzz");
    const std::size_t brace = name.find('{');
    return brace == std::string::npos ? name : name.substr(brace);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Reader in(data, size);
    const auto options = in.take<std::uint8_t>();
    const std::vector<fuzz::LinkChoice> links = fuzz::takeLinks(in, 13);
    fuzz::LinkedTable table(in.rest());
    for (const fuzz::LinkChoice& link : links) {
        addLink(table, link);
    }
    tameChain(table);

    substitute::resetNetwork();
    const fuzz::Answers answers = fuzz::answersFrom(options, platform::resultBufferOverflow);
    substitute::setAdapterTable(table.table(answers.sizeResult, answers.fillResult));
    const std::optional<std::string> namedGuid =
        (options & 4) != 0 ? nameFirstAdapter(table) : std::nullopt;

    AdapterList list(1);
    list[0].adapterName = "stale";
    const std::int32_t count = collectAdapters(list);

    fuzz::check(count >= 0 && static_cast<std::size_t>(count) == list.size(),
                "the result is the number of records");
    fuzz::check(list.size() <= table.size() / recordSize,
                "never more records than the buffer holds");
    if (!answers.succeeds) {
        fuzz::check(list.empty(), "a failed query leaves the list empty");
    }
    for (const AdapterRecord& r : list) {
        fuzz::check(r.typeName == adapterTypeName(r.type), "typeName names the type");
        fuzz::check(r.dnsPrimary.empty() && r.dnsSecondary.empty(), "no DNS query answered");
        fuzz::check(r.friendlyName == (namedGuid && r.adapterName == *namedGuid ? "Fuzz" : ""),
                    "the friendly name of the interface whose GUID text is the adapter name");
    }
    if (const auto visited = chain(table); answers.succeeds && visited) {
        fuzz::check(list.size() == visited->size(), "one record per adapter of the chain");
        for (std::size_t i = 0; i < list.size(); ++i) {
            checkRecord(list[i], table, (*visited)[i]);
        }
    }
    return 0;
}
