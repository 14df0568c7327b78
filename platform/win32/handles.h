#pragma once
// Owners of the Windows handles that the Win32 realisation opens.
#include <utility>

#include "platform/win32/win32.h"

namespace platform::win32 {

// A kernel object handle (process, thread), closed when the owner ends.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    void reset(HANDLE handle = nullptr) {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_ = nullptr;
};

// A loaded library, unloaded when the owner ends.
class LibraryModule {
  public:
    LibraryModule() = default;
    explicit LibraryModule(HMODULE module) : module_(module) {}
    LibraryModule(LibraryModule&& other) noexcept
        : module_(std::exchange(other.module_, nullptr)) {}
    LibraryModule& operator=(LibraryModule&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.module_, nullptr));
        }
        return *this;
    }
    LibraryModule(const LibraryModule&) = delete;
    LibraryModule& operator=(const LibraryModule&) = delete;
    ~LibraryModule() { reset(); }

    HMODULE get() const { return module_; }

    void reset(HMODULE module = nullptr) {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
        module_ = module;
    }

  private:
    HMODULE module_ = nullptr;
};

}  // namespace platform::win32
