// Substitutes of the IP Helper, the router configuration service and the text conversion.
#include "platform/ip_helper.h"
#include "platform/router_config.h"
#include "platform/text_conversion.h"
#include "substitutes.h"

namespace substitute {

void resetNetwork() {}

}  // namespace substitute

namespace platform {

std::uint32_t getAdaptersInfo(void*, std::uint32_t*) { return 232; }
std::uint32_t getInterfaceInfo(void*, std::uint32_t*) { return 232; }
std::uint32_t getPerAdapterInfo(std::uint32_t, void*, std::uint32_t*) { return 232; }

RouterConfig& RouterConfig::operator=(RouterConfig&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
}
RouterConfig::~RouterConfig() = default;
RouterConfig RouterConfig::connect() { return RouterConfig{}; }
std::uint32_t RouterConfig::friendlyName(const char16_t*, void*, std::uint32_t) const { return 1; }

int wideToCodePage936Bytes(const char16_t*, char*, int) { return 0; }
int wideTextLength(const char16_t* text) {
    int n = 0;
    while (text[n] != 0) {
        ++n;
    }
    return n;
}

}  // namespace platform
