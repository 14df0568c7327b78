#include "net/adapter_inventory.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "network.h"
#include "platform/ip_helper.h"
#include "substitutes.h"

using substitute::gbk;
using substitute::utf16;

namespace {

using AdapterInventoryTest = Substituted;

auto fields(const AdapterRecord& r) {
    return std::tie(r.adapterName, r.description, r.friendlyName, r.type, r.typeName, r.macAddress,
                    r.ipAddress, r.ipMask, r.gateway, r.dnsPrimary, r.dnsSecondary, r.dhcpEnabled);
}

std::vector<std::string> callNames() {
    std::vector<std::string> names;
    for (const substitute::Call& c : substitute::networkCalls()) {
        names.push_back(c.what);
    }
    return names;
}

std::vector<std::string> adapterNames(const AdapterList& list) {
    std::vector<std::string> names;
    for (const AdapterRecord& r : list) {
        names.push_back(r.adapterName);
    }
    return names;
}

// A list that already holds a record, to show that every inventory starts from an empty list.
AdapterList staleList() {
    AdapterRecord stale;
    stale.adapterName = stale.friendlyName = stale.dnsPrimary = "stale";
    return {stale};
}

std::size_t nextOf(std::size_t record) {
    return substitute::adapterNextField(substitute::adapterOffset(record));
}

}  // namespace

TEST(AdapterTypeName, NamesTheEightKnownCodesAndWritesOthersAsSignedNumbers) {
    struct Case {
        std::int32_t code;
        const char* name;
    } const cases[] = {
        {1, "OTHER"},     {6, "ETHERNET"}, {9, "TOKENRING"},           {15, "FDDI"}, {23, "PPP"},
        {24, "LOOPBACK"}, {28, "SLIP"},    {71, "IEEE80211"},          {53, "53"},   {243, "243"},
        {0, "0"},         {-1, "-1"},      {INT32_MIN, "-2147483648"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(adapterTypeName(c.code), c.name) << c.code;
    }
}

TEST(FormatHardwareAddress, TwoUppercaseDigitsPerByteJoinedByDashes) {
    struct Case {
        std::vector<unsigned char> bytes;
        const char* text;
    } const cases[] = {
        {{}, ""},
        {{0x05}, "05"},
        {{0x00, 0x1A, 0x2B, 0x0C, 0x0D, 0xFE}, "00-1A-2B-0C-0D-FE"},
        {{0xab, 0xf0, 0x0f, 0xff}, "AB-F0-0F-FF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatHardwareAddress(c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size())),
                  c.text);
    }
}

TEST_F(AdapterInventoryTest, BuildsOneRecordPerAdapterInChainOrder) {
    const std::string guidA = "{6C1E2F0A-3B4D-4E5F-8A9B-0C1D2E3F4A5B}";
    const std::string guidB = "{D0E1F2A3-B4C5-4D6E-9F70-8192A3B4C5D6}";
    const std::u16string nameA = u"\\DEVICE\\TCPIP_" + utf16(guidA.c_str());
    const std::u16string nameB = u"\\DEVICE\\TCPIP_" + utf16(guidB.c_str());
    substitute::setInterfaceTable(substitute::interfaceTable({{7, nameA}, {9, nameB}}));
    substitute::setFriendlyName(nameA, utf16("以太网"));
    substitute::setFriendlyName(nameB, u"WLAN");
    substitute::setPerAdapterTable(7,
                                   substitute::perAdapterTable({"8.8.8.8", "8.8.4.4", "1.1.1.1"}));
    substitute::setPerAdapterTable(9, substitute::perAdapterTable({"10.0.0.1"}));
    // Index 11 has no DNS table: its query fails.

    const substitute::Adapter a{
        .name = guidA,
        .description = "Intel(R) Ethernet Connection",
        .address = {0x00, 0x1A, 0x2B, 0x0C, 0x0D, 0xFE},
        .index = 7,
        .type = 6,
        .dhcpEnabled = 1,
        .ipAddresses = {{"192.168.1.20", "255.255.255.0"}},
        .gateways = {"192.168.1.1"},
    };
    const substitute::Adapter b{
        .name = guidB,
        .description = "Wireless",
        .address = {0x5C, 0x87, 0x9C, 0x01, 0x02, 0x03},
        .index = 9,
        .type = 71,
        .dhcpEnabled = 2,
        .ipAddresses = {{"10.0.0.5", "255.0.0.0"}, {"10.0.0.6", "255.255.0.0"}},
        .gateways = {"10.0.0.1", "10.0.0.254"},
    };
    // Matches no interface; its fixed fields are full, without a zero byte.
    const substitute::Adapter c{
        .name = std::string(260, 'N'),
        .description = std::string(132, 'D'),
        .index = 11,
        .type = 0xFFFFFFFF,
        .ipAddresses = {{"123.123.123.1234", "255.255.255.255"}},
    };
    substitute::SystemTable table = substitute::adapterTable({a, b, c});
    // The chain runs a, c, b: not the order of the records in the buffer.
    substitute::link(table, nextOf(0), substitute::adapterOffset(2));
    substitute::link(table, nextOf(2), substitute::adapterOffset(1));
    substitute::link(table, nextOf(1), std::nullopt);
    substitute::setAdapterTable(table);

    AdapterList list = staleList();
    EXPECT_EQ(collectAdapters(list), 3);

    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(fields(list[0]),
              std::make_tuple(guidA, "Intel(R) Ethernet Connection", gbk("以太网"), 6, "ETHERNET",
                              "00-1A-2B-0C-0D-FE", "192.168.1.20", "255.255.255.0", "192.168.1.1",
                              "8.8.8.8", "8.8.4.4", true));
    EXPECT_EQ(fields(list[1]),
              std::make_tuple(std::string(260, 'N'), std::string(132, 'D'), "", -1, "-1", "",
                              "123.123.123.1234", "255.255.255.255", "", "", "", false));
    EXPECT_EQ(fields(list[2]),
              std::make_tuple(guidB, "Wireless", "WLAN", 71, "IEEE80211", "5C-87-9C-01-02-03",
                              "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.1", "", false));

    // One interface list, gathered before the adapter query; one adapter query of two calls,
    // the second with a zero buffer of the reported size; one DNS query per adapter, in order.
    EXPECT_EQ(callNames(), (std::vector<std::string>{
                               "connect", "interfaces", "interfaces", "friendlyName",
                               "friendlyName", "disconnect", "adapters", "adapters", "perAdapter",
                               "perAdapter", "perAdapter", "perAdapter", "perAdapter"}));
    const std::vector<substitute::Call> calls = substitute::networkCalls();
    EXPECT_FALSE(calls[6].withBuffer);
    EXPECT_EQ(calls[7].size, table.bytes.size());
    EXPECT_TRUE(calls[7].bufferZero);
    std::vector<std::uint32_t> dnsIndices;
    for (std::size_t i = 8; i < calls.size(); ++i) {
        dnsIndices.push_back(calls[i].index);
    }
    EXPECT_EQ(dnsIndices, (std::vector<std::uint32_t>{7, 7, 11, 9, 9}));
}

TEST_F(AdapterInventoryTest, FriendlyNameComesFromTheFirstInterfaceWithTheSameGuidText) {
    struct Case {
        const char* adapterName;
        std::vector<std::pair<std::u16string, std::u16string>> interfaces;  // name, friendly
        const char* friendlyName;
    } const cases[] = {
        {"{G}", {{u"\\DEVICE\\TCPIP_{G}", u"First"}, {u"{G}", u"Second"}}, "First"},
        {"{G}", {{u"{H}", u"Other"}, {u"{G}", u"Mine"}}, "Mine"},
        {"{ABC}", {{u"{abc}", u"Lower"}}, ""},
        {"{G}", {{u"{G}x", u"Longer"}, {u"x{G", u"Shorter"}}, ""},
        {"{G}", {}, ""},
    };
    for (const Case& c : cases) {
        substitute::reset();
        std::vector<substitute::Interface> interfaces;
        for (const auto& [name, friendly] : c.interfaces) {
            interfaces.push_back({1, name});
        }
        substitute::setInterfaceTable(substitute::interfaceTable(interfaces));
        // Set in reverse, so that a later interface never wins by being set last.
        for (auto it = c.interfaces.rbegin(); it != c.interfaces.rend(); ++it) {
            substitute::setFriendlyName(it->first, it->second);
        }
        substitute::setAdapterTable(substitute::adapterTable({{.name = c.adapterName}}));

        AdapterList list;
        collectAdapters(list);

        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].friendlyName, c.friendlyName) << c.adapterName;
    }
}

TEST_F(AdapterInventoryTest, HardwareAddressReadsAtMostTheEightBytesOfTheField) {
    struct Case {
        std::vector<std::uint8_t> address;
        std::optional<std::uint32_t> length;
        const char* text;
    } const cases[] = {
        {{}, std::nullopt, ""},
        {{0x05}, std::nullopt, "05"},
        {{0x00, 0x1A, 0x2B, 0x0C, 0x0D, 0xFE}, std::nullopt, "00-1A-2B-0C-0D-FE"},
        {{0x00, 0x1A, 0x2B, 0x0C, 0x0D, 0xFE}, 4, "00-1A-2B-0C"},
        {{1, 2, 3, 4, 5, 6, 7, 8}, 20, "01-02-03-04-05-06-07-08"},
    };
    for (const Case& c : cases) {
        substitute::reset();
        substitute::setAdapterTable(substitute::adapterTable(
            {{.name = "{G}", .address = c.address, .addressLength = c.length}}));

        AdapterList list;
        collectAdapters(list);

        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].macAddress, c.text);
    }
}

TEST_F(AdapterInventoryTest, FailedAdapterQueryEmptiesTheList) {
    struct Case {
        const char* what;
        std::function<void(substitute::SystemTable&)> change;
        std::size_t adapterCalls;
    } const cases[] = {
        {"no adapters", [](auto& t) { t = substitute::SystemTable{}; }, 1},
        {"size query answers 0", [](auto& t) { t.sizeResult = 0; }, 1},
        {"size query answers 122", [](auto& t) { t.sizeResult = 122; }, 1},
        {"fill answers 111", [](auto& t) { t.fillResult = 111; }, 2},
        {"fill answers 232", [](auto& t) { t.fillResult = 232; }, 2},
    };
    for (const Case& c : cases) {
        substitute::reset();
        substitute::setInterfaceTable(substitute::interfaceTable({{1, u"{G}"}}));
        substitute::SystemTable table = substitute::adapterTable({{.name = "{G}"}});
        c.change(table);
        substitute::setAdapterTable(table);

        AdapterList list = staleList();
        EXPECT_EQ(collectAdapters(list), 0) << c.what;

        EXPECT_TRUE(list.empty()) << c.what;
        const std::vector<std::string> calls = callNames();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "adapters"), c.adapterCalls) << c.what;
        // The interface names were gathered all the same, and their connection closed.
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "interfaces"), 2) << c.what;
        EXPECT_EQ(substitute::openRouterConnections(), 0) << c.what;
    }
}

TEST_F(AdapterInventoryTest, ChainIsFollowedOnlyInsideTheBuffer) {
    using Names = std::vector<std::string>;
    const auto recordSize = static_cast<std::ptrdiff_t>(sizeof(platform::AdapterInfo));
    struct Case {
        const char* what;
        std::function<void(substitute::SystemTable&)> change;
        Names names;
    } const cases[] = {
        {"whole chain", [](auto&) {}, {"A", "B", "C"}},
        {"Next before the buffer",
         [&](auto& t) { substitute::link(t, nextOf(0), -recordSize); },
         {"A"}},
        {"Next at the buffer's end",
         [](auto& t) {
             substitute::link(t, nextOf(0), static_cast<std::ptrdiff_t>(t.bytes.size()));
         },
         {"A"}},
        {"record overrunning the buffer",
         [](auto& t) {
             substitute::link(t, nextOf(0),
                              static_cast<std::ptrdiff_t>(substitute::adapterOffset(2) + 8));
         },
         {"A"}},
        {"Next far away",
         [](auto& t) { substitute::link(t, nextOf(1), std::ptrdiff_t{1} << 40); },
         {"A", "B"}},
        // A chain that loops ends after as many records as the buffer holds.
        {"loop back to the first",
         [](auto& t) { substitute::link(t, nextOf(2), 0); },
         {"A", "B", "C"}},
        {"record pointing at itself",
         [](auto& t) { substitute::link(t, nextOf(0), 0); },
         {"A", "A", "A"}},
        {"buffer shorter than a record",
         [](auto& t) {
             t.bytes.resize(100);
             t.links.clear();
         },
         {}},
    };
    for (const Case& c : cases) {
        substitute::reset();
        substitute::SystemTable table =
            substitute::adapterTable({{.name = "A"}, {.name = "B"}, {.name = "C"}});
        c.change(table);
        substitute::setAdapterTable(table);

        AdapterList list;
        EXPECT_EQ(collectAdapters(list), static_cast<std::int32_t>(c.names.size())) << c.what;
        EXPECT_EQ(adapterNames(list), c.names) << c.what;
    }
}
