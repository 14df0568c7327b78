#include "platform/ip_helper.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

// The system's answers, by shape only: what they hold depends on the machine.

TEST(IpHelper, InterfaceTableIsAskedForItsSizeAndThenFilled) {
    std::uint32_t size = 0;
    ASSERT_EQ(platform::getInterfaceInfo(nullptr, &size), platform::resultInsufficientBuffer);
    ASSERT_GE(size, platform::interfaceTableHeaderSize);
    std::vector<unsigned char> table(size);
    ASSERT_EQ(platform::getInterfaceInfo(table.data(), &size), platform::resultNoError);
    std::int32_t count = 0;
    std::memcpy(&count, table.data(), sizeof count);
    EXPECT_GE(count, 0);
    EXPECT_LE(platform::interfaceTableHeaderSize +
                  static_cast<std::uint32_t>(count) * sizeof(platform::AdapterIndexMap),
              table.size());
}

TEST(IpHelper, AdapterListAndPerAdapterInfoAreAskedForTheirSizeAndThenFilled) {
    std::uint32_t size = 0;
    ASSERT_EQ(platform::getAdaptersInfo(nullptr, &size), platform::resultBufferOverflow);
    ASSERT_GE(size, sizeof(platform::AdapterInfo));
    std::vector<unsigned char> buffer(size);
    ASSERT_EQ(platform::getAdaptersInfo(buffer.data(), &size), platform::resultNoError);
    const auto* first = reinterpret_cast<const platform::AdapterInfo*>(buffer.data());

    std::uint32_t perAdapterSize = 0;
    ASSERT_EQ(platform::getPerAdapterInfo(first->Index, nullptr, &perAdapterSize),
              platform::resultBufferOverflow);
    ASSERT_GE(perAdapterSize, sizeof(platform::PerAdapterInfo));
    std::vector<unsigned char> perAdapter(perAdapterSize);
    EXPECT_EQ(platform::getPerAdapterInfo(first->Index, perAdapter.data(), &perAdapterSize),
              platform::resultNoError);
}

TEST(IpHelper, AQueryWithoutASizeFails) {
    EXPECT_NE(platform::getInterfaceInfo(nullptr, nullptr), platform::resultNoError);
    EXPECT_NE(platform::getAdaptersInfo(nullptr, nullptr), platform::resultNoError);
    EXPECT_NE(platform::getPerAdapterInfo(1, nullptr, nullptr), platform::resultNoError);
}
