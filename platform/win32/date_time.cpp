#include "platform/date_time.h"

#include "platform/win32/system_time.h"
#include "platform/win32/win32.h"

namespace platform {

// To the whole second.
DateTime localNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return win32::fromSystemTime(now);
}

}  // namespace platform
