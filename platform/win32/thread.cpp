#include "platform/thread.h"

#include <memory>

#include "platform/win32/handles.h"
#include "platform/win32/win32.h"

namespace platform {
namespace {

using Body = std::function<void()>;

// An exception escaping the body ends the process here rather than crossing into the system.
DWORD WINAPI runBody(void* parameter) noexcept {
    const std::unique_ptr<Body> body(static_cast<Body*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

bool startDetachedThread(std::function<void()> body) {
    if (!body) {
        return false;
    }
    auto owned = std::make_unique<Body>(std::move(body));
    const win32::UniqueHandle thread(CreateThread(nullptr, 0, runBody, owned.get(), 0, nullptr));
    if (!thread) {
        return false;
    }
    // The new thread owns the body from here; the handle is closed at once, which detaches it.
    owned.release();
    return true;
}

}  // namespace platform
