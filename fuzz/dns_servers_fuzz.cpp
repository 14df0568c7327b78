// The DNS servers of one interface over any GetPerAdapterInfo buffer: Next pointers inside the
// buffer, outside it, into the middle of an entry, in loops; a buffer shorter than the record.
//
// Input: options (1 byte: bits 0-1 how the query answers), a link count (1 byte, up to 8), the
// links (12 bytes each: where kind, target kind, where, target), then the table's bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "net/dns_servers.h"
#include "network.h"
#include "platform/ip_helper.h"
#include "substitutes.h"

namespace {

using platform::AddrString;
using platform::PerAdapterInfo;
using Pointer = fuzz::LinkedTable::Pointer;

constexpr std::uint32_t interfaceIndex = 7;
constexpr std::size_t entrySlots = 8;
constexpr std::size_t firstEntry = offsetof(PerAdapterInfo, DnsServerList);
constexpr std::size_t addressField = offsetof(AddrString, IpAddress);
constexpr std::size_t addressBytes = sizeof AddrString::IpAddress;

// Where the substitute puts the entries after the first: one after the other behind the record.
std::size_t entrySlot(std::size_t i) {
    return sizeof(PerAdapterInfo) + (i % entrySlots) * sizeof(AddrString);
}

void addLink(fuzz::LinkedTable& table, const fuzz::LinkChoice& link) {
    std::size_t at = 0;
    switch (link.whereKind % 3) {
        case 0:
            at = firstEntry + offsetof(AddrString, Next);
            break;
        case 1:
            at = entrySlot(link.where) + offsetof(AddrString, Next);
            break;
        default:
            at = link.where;  // anywhere, CurrentDnsServer and the address texts included
            break;
    }
    switch (link.targetKind % 4) {
        case 0:  // an entry behind the record, or the one inside it
            table.link(at, link.target % 9 == 8 ? static_cast<std::ptrdiff_t>(firstEntry)
                                                : static_cast<std::ptrdiff_t>(entrySlot(
                                                      static_cast<std::size_t>(link.target))));
            break;
        case 1:  // near or inside the buffer, also before it and into an entry's middle
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

// The address text of the entry at `at`, unless a link overlaps it.
std::optional<std::string> addressAt(const fuzz::LinkedTable& table, std::size_t at) {
    if (table.overlapsLink(at + addressField, addressBytes)) {
        return std::nullopt;
    }
    return fuzz::fieldText(table.read(at + addressField, addressBytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Reader in(data, size);
    const auto options = in.take<std::uint8_t>();
    const std::vector<fuzz::LinkChoice> links = fuzz::takeLinks(in, 9);
    fuzz::LinkedTable table(in.rest());
    for (const fuzz::LinkChoice& link : links) {
        addLink(table, link);
    }
    // Only the first entry's Next leads anywhere that shows: to the secondary server.
    const std::size_t firstNext = firstEntry + offsetof(AddrString, Next);
    table.tame(firstNext);

    substitute::resetNetwork();
    const fuzz::Answers answers = fuzz::answersFrom(options, platform::resultBufferOverflow);
    substitute::setPerAdapterTable(interfaceIndex,
                                   table.table(answers.sizeResult, answers.fillResult));

    std::string primary = "stale primary";
    std::string secondary = "stale secondary";
    const bool found = getDnsServers(interfaceIndex, primary, secondary);

    // An empty table makes the fill a second size query (no buffer to fill), which fails too.
    const bool succeeds = answers.succeeds && table.size() > 0;
    fuzz::check(found == succeeds, "the result says whether the query succeeded");
    fuzz::check(primary.size() <= addressBytes && secondary.size() <= addressBytes,
                "an address is at most its 16-byte field");
    if (!found) {
        fuzz::check(primary.empty() && secondary.empty(), "a failed query leaves both empty");
        return 0;
    }
    // A buffer shorter than the record reads as zero where it ends.
    if (const auto expected = addressAt(table, firstEntry)) {
        fuzz::check(primary == *expected, "the primary is the entry inside the record");
    }
    const Pointer next = table.pointerAt(firstNext);
    std::optional<std::string> expected;
    if (next.kind == Pointer::null || next.kind == Pointer::outside) {
        expected = "";
    } else if (next.kind == Pointer::offset) {
        const auto at = fuzz::recordAt(next.target, table.size(), sizeof(AddrString));
        expected = at ? addressAt(table, *at) : std::string{};
    }
    if (expected) {
        fuzz::check(secondary == *expected,
                    "the secondary is the entry that the first one's Next leads to, when all "
                    "of it lies in the buffer");
    }
    return 0;
}
