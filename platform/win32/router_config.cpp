#include "platform/router_config.h"

#include <utility>

#include "platform/win32/system_library.h"
#include "platform/win32/win32.h"

#include <mprapi.h>

namespace platform {
namespace {

using win32::systemFunction;
using win32::SystemLibrary;

decltype(&::MprConfigServerConnect) connectFunction() {
    static const auto function = systemFunction<decltype(&::MprConfigServerConnect)>(
        SystemLibrary::RouterAdministration, "MprConfigServerConnect");
    return function;
}

decltype(&::MprConfigGetFriendlyName) friendlyNameFunction() {
    static const auto function = systemFunction<decltype(&::MprConfigGetFriendlyName)>(
        SystemLibrary::RouterAdministration, "MprConfigGetFriendlyName");
    return function;
}

decltype(&::MprConfigServerDisconnect) disconnectFunction() {
    static const auto function = systemFunction<decltype(&::MprConfigServerDisconnect)>(
        SystemLibrary::RouterAdministration, "MprConfigServerDisconnect");
    return function;
}

// Only a handle that the service gave is ever handed back: some realisations of the service
// (Wine's among them) end the process when one of its functions gets a null handle.
void disconnect(void* handle) {
    if (handle == nullptr) {
        return;
    }
    if (const auto function = disconnectFunction(); function != nullptr) {
        function(handle);
    }
}

}  // namespace

RouterConfig& RouterConfig::operator=(RouterConfig&& other) noexcept {
    if (this != &other) {
        disconnect(std::exchange(handle_, std::exchange(other.handle_, nullptr)));
    }
    return *this;
}

RouterConfig::~RouterConfig() {
    disconnect(handle_);
}

RouterConfig RouterConfig::connect() {
    const auto function = connectFunction();
    if (function == nullptr) {
        return RouterConfig{};
    }
    // A handle given back counts as a connection, whatever the result code says, so that it is
    // released again.
    HANDLE handle = nullptr;
    function(nullptr, &handle);
    return RouterConfig{handle};
}

std::uint32_t RouterConfig::friendlyName(const char16_t* name, void* buffer,
                                         std::uint32_t bufferBytes) const {
    if (handle_ == nullptr || name == nullptr || buffer == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto function = friendlyNameFunction();
    if (function == nullptr) {
        return ERROR_NOT_SUPPORTED;
    }
    // The service only reads the name, whatever its declaration says.
    return function(handle_, const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(name)),
                    static_cast<wchar_t*>(buffer), bufferBytes);
}

}  // namespace platform
