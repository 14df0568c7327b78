#pragma once
#include <functional>

namespace platform {

// Runs `body` on a new thread with the default stack size and detaches it at once. Returns
// whether the thread was created.
bool startDetachedThread(std::function<void()> body);

}  // namespace platform
