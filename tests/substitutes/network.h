#pragma once
// Control of the IP Helper, router configuration and text conversion substitutes.
//
// Each IP Helper query answers from a SystemTable: the bytes that it copies into the caller's
// buffer, laid out exactly as the system lays its tables out, with real pointers into that
// buffer. substitute::resetNetwork() (also run by substitute::reset()) brings back a machine on
// which every IP Helper query fails and the router configuration service connects but knows no
// friendly name. The text conversion behaves as WideCharToMultiByte with code page 936 and no
// flags: each UTF-16 unit that the code page lacks becomes "?".
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace substitute {

// ERROR_NO_DATA: what a query answers when it has nothing, and the default answer.
inline constexpr std::uint32_t resultNoData = 232;

struct SystemTable {
    std::vector<std::byte> bytes;
    // A pointer field at byte `at` of the table. When the table is copied into the caller's
    // buffer, it is set to the buffer's address plus `target`, which may lie outside the buffer.
    struct Link {
        std::size_t at = 0;
        std::ptrdiff_t target = 0;
    };
    std::vector<Link> links;
    // The answer to a call without a buffer, or with one smaller than the table (such a call is
    // told the table's size), and the answer to a call with a buffer large enough (a failed fill
    // copies nothing).
    std::uint32_t sizeResult = resultNoData;
    std::uint32_t fillResult = 0;
};

// Points the pointer field at `at` to `target`; with no target, the field stays null.
void link(SystemTable& table, std::size_t at, std::optional<std::ptrdiff_t> target);

// --- GetAdaptersInfo ---
struct Adapter {
    std::string name{};  // AdapterName; 260 bytes or more fill the field without a zero byte
    std::string description{};
    std::vector<std::uint8_t> address{};           // at most 8 bytes go into the field
    std::optional<std::uint32_t> addressLength{};  // the address's size when not given
    std::uint32_t index = 0;
    std::uint32_t type = 6;
    std::uint32_t dhcpEnabled = 0;
    // Address and mask; the first entry lies inside the record, the others are chained after.
    std::vector<std::pair<std::string, std::string>> ipAddresses{};
    std::vector<std::string> gateways{};  // likewise
};
// The records lie at adapterOffset(i), chained in order (the last Next null), followed by the
// further address and gateway entries. Answers 111 to the size query and 0 to the fill.
SystemTable adapterTable(const std::vector<Adapter>& adapters);
std::size_t adapterOffset(std::size_t i);
// Byte offset of the Next field of the record at `recordOffset`.
std::size_t adapterNextField(std::size_t recordOffset);
void setAdapterTable(SystemTable table);
// Runs on the querying thread at the start of every adapter query, outside any lock: to make
// the inventory slow, or to hold it until the test lets it go on.
void setAdapterQueryHook(std::function<void()> hook);

// --- GetPerAdapterInfo ---
// DnsServerList holds the first server (an empty entry without one); the others are chained
// after the record. Answers 111 to the size query and 0 to the fill.
SystemTable perAdapterTable(const std::vector<std::string>& dnsServers);
// The table for one interface index; an index without one answers resultNoData.
void setPerAdapterTable(std::uint32_t index, SystemTable table);

// --- GetInterfaceInfo ---
struct Interface {
    std::uint32_t index = 0;
    std::u16string name{};  // 128 units or more fill the field without a zero unit
};
// The count followed by the entries. Answers 122 to the size query and 0 to the fill.
SystemTable interfaceTable(const std::vector<Interface>& interfaces);
void setInterfaceTable(SystemTable table);

// --- router configuration ---
void failRouterConnection(bool fail);
// The service's friendly name for the interface named `interfaceName`: it writes the name and
// a zero unit, as far as the size it is given allows, and answers `result`; a failing answer
// writes nothing. The service knows no other name (it answers 1168, ERROR_NOT_FOUND).
void setFriendlyName(const std::u16string& interfaceName, const std::u16string& friendlyName,
                     std::uint32_t result = 0);
// Connections opened and not yet closed.
int openRouterConnections();

// --- calls seen, in order ---
struct Call {
    // "connect" (only the successful ones), "disconnect", "interfaces", "friendlyName",
    // "adapters", "perAdapter"
    std::string what;
    bool withBuffer = false;
    std::uint32_t size = 0;   // the size passed in
    bool bufferZero = false;  // whether the buffer held only zero bytes (up to `size`)
    std::uint32_t index = 0;  // perAdapter: the interface index
    std::u16string name;      // friendlyName: the interface name, up to its zero unit
};
std::vector<Call> networkCalls();
// Keeps no record of calls (for benchmarks, which make millions).
void recordNetworkCalls(bool record);

// --- text ---
// UTF-8 to UTF-16, for writing names in tests.
std::u16string utf16(const char* utf8);

}  // namespace substitute
