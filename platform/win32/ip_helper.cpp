#include "platform/ip_helper.h"

#include "platform/win32/system_library.h"
#include "platform/win32/win32.h"

namespace platform {
namespace {

using win32::systemFunction;
using win32::SystemLibrary;

// The size crosses as the system's ULONG, which is a different type from std::uint32_t here.
template <typename Query>
std::uint32_t ask(std::uint32_t* size, Query query) {
    if (size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    ULONG bytes = *size;
    const DWORD result = query(&bytes);
    *size = static_cast<std::uint32_t>(bytes);
    return static_cast<std::uint32_t>(result);
}

}  // namespace

std::uint32_t getAdaptersInfo(void* buffer, std::uint32_t* size) {
    static const auto function =
        systemFunction<decltype(&::GetAdaptersInfo)>(SystemLibrary::IpHelper, "GetAdaptersInfo");
    if (function == nullptr) {
        return ERROR_NOT_SUPPORTED;
    }
    return ask(
        size, [&](ULONG* bytes) { return function(static_cast<IP_ADAPTER_INFO*>(buffer), bytes); });
}

std::uint32_t getInterfaceInfo(void* buffer, std::uint32_t* size) {
    static const auto function =
        systemFunction<decltype(&::GetInterfaceInfo)>(SystemLibrary::IpHelper, "GetInterfaceInfo");
    if (function == nullptr) {
        return ERROR_NOT_SUPPORTED;
    }
    return ask(size, [&](ULONG* bytes) {
        return function(static_cast<IP_INTERFACE_INFO*>(buffer), bytes);
    });
}

std::uint32_t getPerAdapterInfo(std::uint32_t index, void* buffer, std::uint32_t* size) {
    static const auto function = systemFunction<decltype(&::GetPerAdapterInfo)>(
        SystemLibrary::IpHelper, "GetPerAdapterInfo");
    if (function == nullptr) {
        return ERROR_NOT_SUPPORTED;
    }
    return ask(size, [&](ULONG* bytes) {
        return function(index, static_cast<IP_PER_ADAPTER_INFO*>(buffer), bytes);
    });
}

}  // namespace platform
