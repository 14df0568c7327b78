#include "platform/router_config.h"

#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ip_helper.h"

namespace {

// The name of the first interface of the system's table, or an invented one.
std::vector<char16_t> someInterfaceName() {
    std::uint32_t size = 0;
    if (platform::getInterfaceInfo(nullptr, &size) == platform::resultInsufficientBuffer) {
        std::vector<unsigned char> table(size);
        std::int32_t count = 0;
        if (platform::getInterfaceInfo(table.data(), &size) == platform::resultNoError &&
            (std::memcpy(&count, table.data(), sizeof count), count > 0)) {
            platform::AdapterIndexMap entry{};
            std::memcpy(&entry, table.data() + platform::interfaceTableHeaderSize, sizeof entry);
            const auto* name = reinterpret_cast<const char16_t*>(entry.Name);
            return {name, name + 128};
        }
    }
    const char16_t invented[] = u"\\DEVICE\\TCPIP_{00000000-0000-0000-0000-000000000000}";
    return {std::begin(invented), std::end(invented)};
}

}  // namespace

// Where the service cannot be reached (as under Wine) the connection is empty, and neither a
// name request nor the end of the connection may reach the service with a null handle: some
// realisations of it end the process then, which would end this test.
TEST(RouterConfig, AsksForFriendlyNamesOnlyOverAConnection) {
    const std::vector<char16_t> name = someInterfaceName();
    platform::RouterConfig config = platform::RouterConfig::connect();
    unsigned char buffer[256] = {};
    const std::uint32_t result = config.friendlyName(name.data(), buffer, 255);
    if (!config.connected()) {
        EXPECT_NE(result, 0u);
        for (unsigned char b : buffer) {
            ASSERT_EQ(b, 0) << "an unanswered request leaves the buffer as it was";
        }
    }

    platform::RouterConfig moved(std::move(config));
    EXPECT_FALSE(config.connected());
    unsigned char untouched[16] = {};
    EXPECT_NE(config.friendlyName(name.data(), untouched, sizeof untouched), 0u);
    platform::RouterConfig assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved.connected());
}

TEST(RouterConfig, AnEmptyConnectionEndsQuietly) {
    { platform::RouterConfig empty; }
    platform::RouterConfig target;
    target = platform::RouterConfig{};
    EXPECT_FALSE(target.connected());
}
