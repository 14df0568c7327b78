// Substitutes of the IP Helper, the router configuration service and the text conversion.
#include "network.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>

#include "platform/ip_helper.h"
#include "platform/router_config.h"
#include "platform/text_conversion.h"
#include "substitutes.h"

namespace substitute {
namespace {

constexpr std::uint32_t resultNotFound = 1168;
constexpr std::uint32_t resultInvalidHandle = 6;

struct FriendlyName {
    std::u16string text;
    std::uint32_t result = 0;
};

struct NetworkState {
    SystemTable adapters;
    std::function<void()> adapterQueryHook;
    std::map<std::uint32_t, SystemTable> perAdapter;
    SystemTable interfaces;
    bool failRouter = false;
    std::map<std::u16string, FriendlyName> friendlyNames;
    int openConnections = 0;
    std::vector<Call> calls;
    bool recordCalls = true;
};

std::mutex networkMutex;  // the loader thread queries while the test thread looks on

NetworkState& network() {
    static NetworkState s;
    return s;
}

void record(Call call) {
    if (network().recordCalls) {
        network().calls.push_back(std::move(call));
    }
}

bool allZero(const void* buffer, std::uint32_t size) {
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

// What every IP Helper query does with its table.
std::uint32_t answer(const SystemTable& table, const char* what, std::uint32_t index, void* buffer,
                     std::uint32_t* size) {
    if (network().recordCalls) {
        record({what,
                buffer != nullptr,
                *size,
                buffer != nullptr && allZero(buffer, *size),
                index,
                {}});
    }
    if (buffer == nullptr || *size < table.bytes.size()) {
        *size = static_cast<std::uint32_t>(table.bytes.size());
        return table.sizeResult;
    }
    if (table.fillResult != platform::resultNoError) {
        return table.fillResult;
    }
    auto* out = static_cast<std::byte*>(buffer);
    std::copy(table.bytes.begin(), table.bytes.end(), out);
    for (const SystemTable::Link& l : table.links) {
        if (l.at + sizeof(void*) > table.bytes.size()) {
            continue;  // the field was cut off with the table
        }
        // Computed as a number: the target may lie outside the buffer.
        void* pointer = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(buffer) +
                                                static_cast<std::uintptr_t>(l.target));
        std::memcpy(out + l.at, &pointer, sizeof pointer);
    }
    return platform::resultNoError;
}

template <std::size_t N>
void putText(char (&field)[N], const std::string& text) {
    std::memcpy(field, text.data(), std::min(N, text.size()));
}

template <typename T>
void put(SystemTable& table, std::size_t offset, const T& value) {
    std::memcpy(table.bytes.data() + offset, &value, sizeof value);
}

// An open converter, closed when it ends.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("no converter");
        }
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    ~Iconv() { iconv_close(cd_); }

    // False when some input cannot be converted.
    bool convert(const void* in, std::size_t inBytes, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string input(static_cast<const char*>(in), inBytes);
        std::string output(inBytes * 2 + 8, '\0');
        char* inPtr = input.data();
        std::size_t inLeft = input.size();
        char* outPtr = output.data();
        std::size_t outLeft = output.size();
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            return false;
        }
        out.append(output.data(), output.size() - outLeft);
        return true;
    }

  private:
    iconv_t cd_;
};

// UTF-16 (this machine's order, little-endian) to code page 936. A unit that the code page
// lacks, a lone or paired surrogate alike, becomes "?", as with WideCharToMultiByte's defaults.
std::string toCodePage936(const char16_t* text) {
    thread_local Iconv converter("CP936", "UTF-16LE");
    const std::size_t units = std::char_traits<char16_t>::length(text);
    std::string out;
    if (converter.convert(text, units * sizeof(char16_t), out)) {
        return out;
    }
    out.clear();
    for (std::size_t i = 0; i < units; ++i) {
        const bool surrogate = text[i] >= 0xD800 && text[i] <= 0xDFFF;
        if (surrogate || !converter.convert(text + i, sizeof(char16_t), out)) {
            out += '?';
        }
    }
    return out;
}

}  // namespace

void link(SystemTable& table, std::size_t at, std::optional<std::ptrdiff_t> target) {
    auto& links = table.links;
    links.erase(std::remove_if(links.begin(), links.end(),
                               [&](const SystemTable::Link& l) { return l.at == at; }),
                links.end());
    if (target) {
        links.push_back({at, *target});
    }
}

std::size_t adapterOffset(std::size_t i) {
    return i * sizeof(platform::AdapterInfo);
}

std::size_t adapterNextField(std::size_t recordOffset) {
    return recordOffset + offsetof(platform::AdapterInfo, Next);
}

SystemTable adapterTable(const std::vector<Adapter>& adapters) {
    using platform::AdapterInfo;
    using platform::AddrString;
    SystemTable table;
    table.sizeResult = platform::resultBufferOverflow;
    table.bytes.resize(adapters.size() * sizeof(AdapterInfo));
    // Further entries of a record's list go after all records, each linked from the one before.
    auto chainAfter = [&](std::size_t firstEntryAt, const std::vector<AddrString>& further) {
        std::size_t previous = firstEntryAt;
        for (const AddrString& entry : further) {
            const std::size_t at = table.bytes.size();
            table.bytes.resize(at + sizeof entry);
            put(table, at, entry);
            link(table, previous + offsetof(AddrString, Next), static_cast<std::ptrdiff_t>(at));
            previous = at;
        }
    };
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        const Adapter& a = adapters[i];
        AdapterInfo info{};
        putText(info.AdapterName, a.name);
        putText(info.Description, a.description);
        info.AddressLength = a.addressLength.value_or(static_cast<std::uint32_t>(a.address.size()));
        std::copy_n(a.address.begin(), std::min(sizeof info.Address, a.address.size()),
                    info.Address);
        info.Index = a.index;
        info.Type = a.type;
        info.DhcpEnabled = a.dhcpEnabled;
        std::vector<AddrString> addresses;
        for (const auto& [address, mask] : a.ipAddresses) {
            AddrString entry{};
            putText(entry.IpAddress.String, address);
            putText(entry.IpMask.String, mask);
            addresses.push_back(entry);
        }
        std::vector<AddrString> gateways;
        for (const std::string& gateway : a.gateways) {
            AddrString entry{};
            putText(entry.IpAddress.String, gateway);
            gateways.push_back(entry);
        }
        if (!addresses.empty()) {
            info.IpAddressList = addresses.front();
            addresses.erase(addresses.begin());
        }
        if (!gateways.empty()) {
            info.GatewayList = gateways.front();
            gateways.erase(gateways.begin());
        }
        const std::size_t at = adapterOffset(i);
        put(table, at, info);
        if (i + 1 < adapters.size()) {
            link(table, adapterNextField(at), static_cast<std::ptrdiff_t>(adapterOffset(i + 1)));
        }
        chainAfter(at + offsetof(AdapterInfo, IpAddressList), addresses);
        chainAfter(at + offsetof(AdapterInfo, GatewayList), gateways);
    }
    return table;
}

void setAdapterTable(SystemTable table) {
    std::lock_guard lock(networkMutex);
    network().adapters = std::move(table);
}

void setAdapterQueryHook(std::function<void()> hook) {
    std::lock_guard lock(networkMutex);
    network().adapterQueryHook = std::move(hook);
}

SystemTable perAdapterTable(const std::vector<std::string>& dnsServers) {
    using platform::AddrString;
    using platform::PerAdapterInfo;
    SystemTable table;
    table.sizeResult = platform::resultBufferOverflow;
    table.bytes.resize(sizeof(PerAdapterInfo));
    PerAdapterInfo info{};
    if (!dnsServers.empty()) {
        putText(info.DnsServerList.IpAddress.String, dnsServers.front());
    }
    put(table, 0, info);
    std::size_t previous = offsetof(PerAdapterInfo, DnsServerList);
    for (std::size_t i = 1; i < dnsServers.size(); ++i) {
        AddrString entry{};
        putText(entry.IpAddress.String, dnsServers[i]);
        const std::size_t at = table.bytes.size();
        table.bytes.resize(at + sizeof entry);
        put(table, at, entry);
        link(table, previous + offsetof(AddrString, Next), static_cast<std::ptrdiff_t>(at));
        previous = at;
    }
    return table;
}

void setPerAdapterTable(std::uint32_t index, SystemTable table) {
    std::lock_guard lock(networkMutex);
    network().perAdapter[index] = std::move(table);
}

SystemTable interfaceTable(const std::vector<Interface>& interfaces) {
    using platform::AdapterIndexMap;
    SystemTable table;
    table.sizeResult = platform::resultInsufficientBuffer;
    table.bytes.resize(platform::interfaceTableHeaderSize +
                       interfaces.size() * sizeof(AdapterIndexMap));
    put(table, 0, static_cast<std::int32_t>(interfaces.size()));
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        AdapterIndexMap entry{};
        entry.Index = interfaces[i].index;
        const std::u16string& name = interfaces[i].name;
        std::memcpy(entry.Name, name.data(),
                    std::min(sizeof entry.Name, name.size() * sizeof(char16_t)));
        put(table, platform::interfaceTableHeaderSize + i * sizeof entry, entry);
    }
    return table;
}

void setInterfaceTable(SystemTable table) {
    std::lock_guard lock(networkMutex);
    network().interfaces = std::move(table);
}

void failRouterConnection(bool fail) {
    std::lock_guard lock(networkMutex);
    network().failRouter = fail;
}

void setFriendlyName(const std::u16string& interfaceName, const std::u16string& friendlyName,
                     std::uint32_t result) {
    std::lock_guard lock(networkMutex);
    network().friendlyNames[interfaceName] = {friendlyName, result};
}

int openRouterConnections() {
    std::lock_guard lock(networkMutex);
    return network().openConnections;
}

std::vector<Call> networkCalls() {
    std::lock_guard lock(networkMutex);
    return network().calls;
}

void recordNetworkCalls(bool record) {
    std::lock_guard lock(networkMutex);
    network().recordCalls = record;
}

std::u16string utf16(const char* utf8) {
    Iconv converter("UTF-16LE", "UTF-8");
    std::string bytes;
    if (!converter.convert(utf8, std::strlen(utf8), bytes)) {
        throw std::runtime_error("not UTF-8");
    }
    std::u16string text(bytes.size() / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
    return text;
}

void resetNetwork() {
    std::lock_guard lock(networkMutex);
    network() = NetworkState{};
}

}  // namespace substitute

namespace platform {

using substitute::network;
using substitute::networkMutex;

std::uint32_t getAdaptersInfo(void* buffer, std::uint32_t* size) {
    std::function<void()> hook;
    {
        std::lock_guard lock(networkMutex);
        hook = network().adapterQueryHook;
    }
    if (hook) {
        hook();
    }
    std::lock_guard lock(networkMutex);
    return substitute::answer(network().adapters, "adapters", 0, buffer, size);
}

std::uint32_t getInterfaceInfo(void* buffer, std::uint32_t* size) {
    std::lock_guard lock(networkMutex);
    return substitute::answer(network().interfaces, "interfaces", 0, buffer, size);
}

std::uint32_t getPerAdapterInfo(std::uint32_t index, void* buffer, std::uint32_t* size) {
    std::lock_guard lock(networkMutex);
    const auto found = network().perAdapter.find(index);
    static const substitute::SystemTable none;
    return substitute::answer(found != network().perAdapter.end() ? found->second : none,
                              "perAdapter", index, buffer, size);
}

namespace {
int routerTag;  // the handle of every open connection
}  // namespace

RouterConfig& RouterConfig::operator=(RouterConfig&& other) noexcept {
    if (this != &other) {
        RouterConfig closing(std::move(*this));
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

RouterConfig::~RouterConfig() {
    if (handle_ != nullptr) {
        std::lock_guard lock(networkMutex);
        --network().openConnections;
        substitute::record({"disconnect", false, 0, false, 0, {}});
    }
}

RouterConfig RouterConfig::connect() {
    std::lock_guard lock(networkMutex);
    if (network().failRouter) {
        return RouterConfig{};
    }
    ++network().openConnections;
    substitute::record({"connect", false, 0, false, 0, {}});
    return RouterConfig{&routerTag};
}

std::uint32_t RouterConfig::friendlyName(const char16_t* name, void* buffer,
                                         std::uint32_t bufferBytes) const {
    std::lock_guard lock(networkMutex);
    // Reads the name up to its zero unit, as the service does.
    const std::u16string asked(name);
    if (network().recordCalls) {
        substitute::record({"friendlyName", true, bufferBytes,
                            substitute::allZero(buffer, bufferBytes), 0, asked});
    }
    if (handle_ == nullptr) {
        return substitute::resultInvalidHandle;
    }
    const auto found = network().friendlyNames.find(asked);
    if (found == network().friendlyNames.end()) {
        return substitute::resultNotFound;
    }
    const substitute::FriendlyName& friendly = found->second;
    if (friendly.result == resultNoError) {
        const std::size_t bytes = (friendly.text.size() + 1) * sizeof(char16_t);
        std::memcpy(buffer, friendly.text.c_str(), std::min<std::size_t>(bytes, bufferBytes));
    }
    return friendly.result;
}

int wideToCodePage936Bytes(const char16_t* text, char* out, int outSize) {
    const std::string converted = substitute::toCodePage936(text);
    const int needed = static_cast<int>(converted.size()) + 1;
    if (outSize == 0) {
        return needed;
    }
    if (outSize < needed) {
        return 0;  // ERROR_INSUFFICIENT_BUFFER
    }
    std::memcpy(out, converted.c_str(), static_cast<std::size_t>(needed));
    return needed;
}

int wideTextLength(const char16_t* text) {
    return static_cast<int>(std::char_traits<char16_t>::length(text));
}

}  // namespace platform
