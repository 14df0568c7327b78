#include "net/dns_servers.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "network.h"
#include "platform/ip_helper.h"
#include "substitutes.h"

namespace {

using DnsServersTest = Substituted;

constexpr std::uint32_t adapterIndex = 17;

struct Answer {
    bool ok;
    std::string primary;
    std::string secondary;
};

// Asks with variables that already hold texts, to show that both are always replaced.
Answer ask() {
    Answer a{false, "old primary", "old secondary"};
    a.ok = getDnsServers(adapterIndex, a.primary, a.secondary);
    return a;
}

// Where the first entry's Next lies in a table made by substitute::perAdapterTable.
constexpr std::size_t firstNext =
    offsetof(platform::PerAdapterInfo, DnsServerList) + offsetof(platform::AddrString, Next);

}  // namespace

TEST_F(DnsServersTest, GivesTheFirstTwoEntries) {
    struct Case {
        std::vector<std::string> servers;
        std::string primary;
        std::string secondary;
    } const cases[] = {
        {{}, "", ""},
        {{"192.168.1.1"}, "192.168.1.1", ""},
        {{"8.8.8.8", "8.8.4.4"}, "8.8.8.8", "8.8.4.4"},
        {{"8.8.8.8", "8.8.4.4", "1.1.1.1"}, "8.8.8.8", "8.8.4.4"},
        {{"", "8.8.4.4"}, "", "8.8.4.4"},
        // A field of 16 bytes without a zero byte is taken whole.
        {{"123.123.123.1234", "fe80::1%12345678"}, "123.123.123.1234", "fe80::1%12345678"},
    };
    for (const Case& c : cases) {
        substitute::reset();
        const substitute::SystemTable table = substitute::perAdapterTable(c.servers);
        substitute::setPerAdapterTable(adapterIndex, table);

        const Answer a = ask();

        EXPECT_TRUE(a.ok) << c.primary;
        EXPECT_EQ(a.primary, c.primary);
        EXPECT_EQ(a.secondary, c.secondary);
        const std::vector<substitute::Call> calls = substitute::networkCalls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].index, adapterIndex);
        EXPECT_FALSE(calls[0].withBuffer);
        EXPECT_EQ(calls[1].index, adapterIndex);
        EXPECT_EQ(calls[1].size, table.bytes.size());
        EXPECT_TRUE(calls[1].bufferZero);
    }
}

TEST_F(DnsServersTest, FailedQueriesLeaveBothTextsEmpty) {
    struct Case {
        const char* what;
        std::function<void(substitute::SystemTable&)> change;
        std::size_t calls;
    } const cases[] = {
        {"no table for the index", [](auto& t) { t = substitute::SystemTable{}; }, 1},
        {"size query answers 0", [](auto& t) { t.sizeResult = 0; }, 1},
        {"size query answers 122", [](auto& t) { t.sizeResult = 122; }, 1},
        {"fill answers 111", [](auto& t) { t.fillResult = 111; }, 2},
        {"fill answers 232", [](auto& t) { t.fillResult = 232; }, 2},
    };
    for (const Case& c : cases) {
        substitute::reset();
        substitute::SystemTable table = substitute::perAdapterTable({"8.8.8.8", "8.8.4.4"});
        c.change(table);
        substitute::setPerAdapterTable(adapterIndex, table);

        const Answer a = ask();

        EXPECT_FALSE(a.ok) << c.what;
        EXPECT_EQ(a.primary, "") << c.what;
        EXPECT_EQ(a.secondary, "") << c.what;
        EXPECT_EQ(substitute::networkCalls().size(), c.calls) << c.what;
    }
}

TEST_F(DnsServersTest, TheSecondEntryIsReadOnlyFromInsideTheBuffer) {
    struct Case {
        const char* what;
        std::function<void(substitute::SystemTable&)> change;
        std::string primary;
        std::string secondary;
    } const cases[] = {
        {"Next before the buffer",
         [](auto& t) { substitute::link(t, firstNext, -static_cast<std::ptrdiff_t>(64)); },
         "8.8.8.8", ""},
        {"Next at the buffer's end",
         [](auto& t) {
             substitute::link(t, firstNext, static_cast<std::ptrdiff_t>(t.bytes.size()));
         },
         "8.8.8.8", ""},
        {"entry overrunning the buffer",
         [](auto& t) {
             substitute::link(t, firstNext, static_cast<std::ptrdiff_t>(t.bytes.size() - 8));
         },
         "8.8.8.8", ""},
        {"Next far away", [](auto& t) { substitute::link(t, firstNext, std::ptrdiff_t{1} << 40); },
         "8.8.8.8", ""},
        // The record itself is cut short: what is missing reads as zero.
        {"buffer shorter than the record", [](auto& t) { t.bytes.resize(16); }, "", ""},
    };
    for (const Case& c : cases) {
        substitute::reset();
        substitute::SystemTable table = substitute::perAdapterTable({"8.8.8.8", "8.8.4.4"});
        c.change(table);
        substitute::setPerAdapterTable(adapterIndex, table);

        const Answer a = ask();

        EXPECT_TRUE(a.ok) << c.what;
        EXPECT_EQ(a.primary, c.primary) << c.what;
        EXPECT_EQ(a.secondary, c.secondary) << c.what;
    }
}
