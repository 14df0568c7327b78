#include "platform/win32/system_library.h"

#include <new>
#include <utility>

#include "platform/win32/handles.h"
#include "platform/win32/win32.h"

namespace platform::win32 {
namespace {

// Holds a value that is never destroyed.
template <typename T>
class Immortal {
  public:
    template <typename... Args>
    explicit Immortal(Args&&... args) {
        ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
    }
    const T& get() const { return *std::launder(reinterpret_cast<const T*>(storage_)); }

  private:
    alignas(T) unsigned char storage_[sizeof(T)];
};

LibraryModule loadFromSystemDirectory(const wchar_t* fileName) {
    return LibraryModule(LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

// The libraries are never unloaded: the detached connection-list loader may still be inside
// one of them while the process exits, and unloading it under its feet would crash the exit.
HMODULE module(SystemLibrary library) {
    switch (library) {
        case SystemLibrary::IpHelper: {
            static const Immortal<LibraryModule> ipHelper(loadFromSystemDirectory(L"iphlpapi.dll"));
            return ipHelper.get().get();
        }
        case SystemLibrary::RouterAdministration: {
            static const Immortal<LibraryModule> routerAdministration(
                loadFromSystemDirectory(L"mprapi.dll"));
            return routerAdministration.get().get();
        }
    }
    return nullptr;
}

}  // namespace

AnyFunction systemProcedure(SystemLibrary library, const char* name) {
    const HMODULE loaded = module(library);
    if (loaded == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<AnyFunction>(GetProcAddress(loaded, name));
}

}  // namespace platform::win32
