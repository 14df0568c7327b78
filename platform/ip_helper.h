#pragma once
// The IP Helper tables, as the system lays them out. On Windows these are the SDK's own types;
// elsewhere (for the tests) look-alikes with the same fields, in the same order.
#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// winsock2.h must come before iphlpapi.h: separate blocks keep that order.
#include <winsock2.h>

#include <iphlpapi.h>
#endif

namespace platform {

#ifdef _WIN32
using AddrString = IP_ADDR_STRING;
using AdapterInfo = IP_ADAPTER_INFO;
using PerAdapterInfo = IP_PER_ADAPTER_INFO;
using AdapterIndexMap = IP_ADAPTER_INDEX_MAP;
#else
struct AddressString {
    char String[16];
};
struct AddrString {
    AddrString* Next;
    AddressString IpAddress;
    AddressString IpMask;
    uint32_t Context;
};
struct AdapterInfo {
    AdapterInfo* Next;
    uint32_t ComboIndex;
    char AdapterName[260];
    char Description[132];
    uint32_t AddressLength;
    uint8_t Address[8];
    uint32_t Index;
    uint32_t Type;
    uint32_t DhcpEnabled;
    AddrString* CurrentIpAddress;
    AddrString IpAddressList;
    AddrString GatewayList;
    AddrString DhcpServer;
    int32_t HaveWins;
    AddrString PrimaryWinsServer;
    AddrString SecondaryWinsServer;
    int64_t LeaseObtained;
    int64_t LeaseExpires;
};
struct PerAdapterInfo {
    uint32_t AutoconfigEnabled;
    uint32_t AutoconfigActive;
    AddrString* CurrentDnsServer;
    AddrString DnsServerList;
};
struct AdapterIndexMap {
    uint32_t Index;
    char16_t Name[128];
};
#endif

static_assert(sizeof(AdapterIndexMap) == 260, "an interface entry is 260 bytes");

// The interface table is a signed 32-bit count followed by that many AdapterIndexMap entries.
inline constexpr std::uint32_t interfaceTableHeaderSize = 4;

inline constexpr std::uint32_t resultNoError = 0;
inline constexpr std::uint32_t resultBufferOverflow = 111;
inline constexpr std::uint32_t resultInsufficientBuffer = 122;

// The IP Helper queries, as the system answers them (buffer may be null with size 0). A
// function that cannot be reached answers as a failed query.
std::uint32_t getAdaptersInfo(void* buffer, std::uint32_t* size);
std::uint32_t getInterfaceInfo(void* buffer, std::uint32_t* size);
std::uint32_t getPerAdapterInfo(std::uint32_t index, void* buffer, std::uint32_t* size);

}  // namespace platform
