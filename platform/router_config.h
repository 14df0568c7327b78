#pragma once
// The router configuration service, which knows the interfaces' friendly names.
#include <cstdint>

namespace platform {

// A connection to the local router configuration service; closed when destroyed. Empty when
// the connection failed.
class RouterConfig {
  public:
    RouterConfig() = default;
    RouterConfig(RouterConfig&& other) noexcept : handle_(other.handle_) {
        other.handle_ = nullptr;
    }
    RouterConfig& operator=(RouterConfig&& other) noexcept;
    RouterConfig(const RouterConfig&) = delete;
    RouterConfig& operator=(const RouterConfig&) = delete;
    ~RouterConfig();

    static RouterConfig connect();

    bool connected() const { return handle_ != nullptr; }

    // Asks for the friendly name of the interface `name` (zero-terminated UTF-16) into `buffer`
    // of `bufferBytes` bytes. Returns the service's result code; not asked without a connection.
    std::uint32_t friendlyName(const char16_t* name, void* buffer, std::uint32_t bufferBytes) const;

  private:
    explicit RouterConfig(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

}  // namespace platform
