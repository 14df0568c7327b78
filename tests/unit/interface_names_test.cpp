#include "net/interface_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "network.h"
#include "substitutes.h"

using substitute::gbk;
using substitute::utf16;

namespace {

using InterfaceNamesTest = Substituted;

constexpr std::uint32_t friendlyNameRequestBytes = 255;

const std::u16string devicePrefix = u"\\DEVICE\\TCPIP_";

void setCount(substitute::SystemTable& table, std::int32_t count) {
    std::memcpy(table.bytes.data(), &count, sizeof count);
}

std::vector<std::string> callNames() {
    std::vector<std::string> names;
    for (const substitute::Call& c : substitute::networkCalls()) {
        names.push_back(c.what);
    }
    return names;
}

std::vector<std::u16string> namesAsked() {
    std::vector<std::u16string> names;
    for (const substitute::Call& c : substitute::networkCalls()) {
        if (c.what == "friendlyName") {
            names.push_back(c.name);
        }
    }
    return names;
}

// A list that already holds a record, to show that every call starts from an empty list.
InterfaceNameList staleList() {
    return {{99, "stale", "stale", "stale"}};
}

}  // namespace

TEST_F(InterfaceNamesTest, OneRecordPerEntryInTableOrderWithTheServicesFriendlyNames) {
    const std::u16string ethernet = devicePrefix + u"{8E3A0F2C-1D4B-4C5E-9F60-7A8B9C0D1E2F}";
    const std::u16string wireless = devicePrefix + u"{0B1C2D3E-4F50-6172-8394-A5B6C7D8E9F0}";
    const std::u16string vpn = devicePrefix + u"{FFFFFFFF-0000-1111-2222-333333333333}";
    const substitute::SystemTable table =
        substitute::interfaceTable({{12, ethernet}, {3, wireless}, {40, vpn}});
    substitute::setInterfaceTable(table);
    substitute::setFriendlyName(ethernet, utf16("以太网 2"));
    substitute::setFriendlyName(wireless, u"WLAN");
    // The service has no friendly name for the third interface.

    InterfaceNameList list = staleList();
    collectInterfaceNames(list);

    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].index, 12u);
    EXPECT_EQ(list[0].interfaceName, "\\DEVICE\\TCPIP_{8E3A0F2C-1D4B-4C5E-9F60-7A8B9C0D1E2F}");
    EXPECT_EQ(list[0].friendlyName, gbk("以太网 2"));
    EXPECT_EQ(list[0].guidText, "{8E3A0F2C-1D4B-4C5E-9F60-7A8B9C0D1E2F}");
    EXPECT_EQ(list[1].index, 3u);
    EXPECT_EQ(list[1].friendlyName, "WLAN");
    EXPECT_EQ(list[1].guidText, "{0B1C2D3E-4F50-6172-8394-A5B6C7D8E9F0}");
    EXPECT_EQ(list[2].index, 40u);
    EXPECT_EQ(list[2].friendlyName, "");
    EXPECT_EQ(list[2].guidText, "{FFFFFFFF-0000-1111-2222-333333333333}");

    // Connected first and disconnected last; the size query, then the fill with a zero buffer
    // of the reported size; one request per entry with 256 zero bytes of which 255 are offered.
    EXPECT_EQ(callNames(),
              (std::vector<std::string>{"connect", "interfaces", "interfaces", "friendlyName",
                                        "friendlyName", "friendlyName", "disconnect"}));
    const std::vector<substitute::Call> calls = substitute::networkCalls();
    EXPECT_FALSE(calls[1].withBuffer);
    EXPECT_EQ(calls[1].size, 0u);
    EXPECT_TRUE(calls[2].withBuffer);
    EXPECT_EQ(calls[2].size, table.bytes.size());
    EXPECT_TRUE(calls[2].bufferZero);
    for (std::size_t i = 3; i < 6; ++i) {
        EXPECT_EQ(calls[i].size, friendlyNameRequestBytes);
        EXPECT_TRUE(calls[i].bufferZero);
    }
    EXPECT_EQ(namesAsked(), (std::vector<std::u16string>{ethernet, wireless, vpn}));
    EXPECT_EQ(substitute::openRouterConnections(), 0);
}

TEST_F(InterfaceNamesTest, GuidTextRunsFromTheFirstBraceThatIsNotInsideATwoByteCharacter) {
    struct Case {
        const char* name;  // UTF-8
        const char* guidText;
    } const cases[] = {
        {"Loopback Pseudo-Interface 1", "Loopback Pseudo-Interface 1"},
        {"\\DEVICE\\TCPIP_{A1}{B2}", "{A1}{B2}"},
        {"{A1B2}", "{A1B2}"},
        {"", ""},
        // 亄 is 81 7B in code page 936: its second byte is "{" but never starts the GUID text.
        {"亄", "亄"},
        {"亄{G}", "{G}"},
        {"网卡亄_{G}", "{G}"},
        // € is the single byte 80, not a lead byte: the "{" after it counts.
        {"€{G}", "{G}"},
    };
    std::vector<substitute::Interface> interfaces;
    for (const Case& c : cases) {
        interfaces.push_back({1, utf16(c.name)});
    }
    substitute::setInterfaceTable(substitute::interfaceTable(interfaces));

    InterfaceNameList list;
    collectInterfaceNames(list);

    ASSERT_EQ(list.size(), std::size(cases));
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].interfaceName, gbk(cases[i].name)) << cases[i].name;
        EXPECT_EQ(list[i].guidText, gbk(cases[i].guidText)) << cases[i].name;
    }
}

TEST_F(InterfaceNamesTest, WithoutTheRouterServiceEveryRecordIsBuiltWithAnEmptyFriendlyName) {
    const std::u16string first = devicePrefix + u"{A}";
    const std::u16string second = devicePrefix + u"{B}";
    substitute::setInterfaceTable(substitute::interfaceTable({{5, first}, {6, second}}));
    substitute::setFriendlyName(first, u"Ethernet");
    substitute::setFriendlyName(second, u"WLAN");
    substitute::failRouterConnection(true);

    InterfaceNameList list;
    collectInterfaceNames(list);

    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].index, 5u);
    EXPECT_EQ(list[0].guidText, "{A}");
    EXPECT_EQ(list[0].friendlyName, "");
    EXPECT_EQ(list[1].guidText, "{B}");
    EXPECT_EQ(list[1].friendlyName, "");
    // Nothing is asked of a service that is not connected.
    EXPECT_EQ(callNames(), (std::vector<std::string>{"interfaces", "interfaces"}));
}

TEST_F(InterfaceNamesTest, FailedQueriesAndEmptyTablesGiveNoRecordAndCloseTheConnection) {
    struct Case {
        const char* what;
        std::function<void(substitute::SystemTable&)> change;
        std::vector<std::string> calls;
    } const cases[] = {
        {"no table",
         [](auto& t) { t = substitute::SystemTable{}; },
         {"connect", "interfaces", "disconnect"}},
        {"size query answers 0",
         [](auto& t) { t.sizeResult = 0; },
         {"connect", "interfaces", "disconnect"}},
        {"size query answers 111",
         [](auto& t) { t.sizeResult = 111; },
         {"connect", "interfaces", "disconnect"}},
        {"fill fails",
         [](auto& t) { t.fillResult = 31; },
         {"connect", "interfaces", "interfaces", "disconnect"}},
        {"count 0",
         [](auto& t) { setCount(t, 0); },
         {"connect", "interfaces", "interfaces", "disconnect"}},
        {"negative count",
         [](auto& t) { setCount(t, -2); },
         {"connect", "interfaces", "interfaces", "disconnect"}},
    };
    for (const Case& c : cases) {
        substitute::reset();
        substitute::SystemTable table = substitute::interfaceTable({{1, u"{A}"}, {2, u"{B}"}});
        c.change(table);
        substitute::setInterfaceTable(table);

        InterfaceNameList list = staleList();
        collectInterfaceNames(list);

        EXPECT_TRUE(list.empty()) << c.what;
        EXPECT_EQ(callNames(), c.calls) << c.what;
        EXPECT_EQ(substitute::openRouterConnections(), 0) << c.what;
    }
}

TEST_F(InterfaceNamesTest, CountBeyondTheBufferGivesRecordsOnlyForTheEntriesItReaches) {
    constexpr std::size_t header = 4;
    constexpr std::size_t entry = 260;
    struct Case {
        const char* what;
        std::int32_t count;
        std::size_t bytes;  // of the table, which holds two entries in full
        std::vector<std::pair<std::uint32_t, std::string>> records;
    } const cases[] = {
        {"count 4, the buffer ends inside the second name, after {BC",
         4,
         header + entry + 4 + 3 * sizeof(char16_t),
         {{7, "{A}"}, {0x0308, "{BC"}}},
        {"count 2^31-1 over two whole entries",
         INT32_MAX,
         header + 2 * entry,
         {{7, "{A}"}, {0x0308, "{BCDEFGH}"}}},
        // The second entry's index is 08 03 00 00: only its first byte is held.
        {"count 2^31-1, the buffer ends one byte into the second entry",
         INT32_MAX,
         header + entry + 1,
         {{7, "{A}"}, {8, ""}}},
        {"count 2^31-1 over the count alone", INT32_MAX, header, {}},
        {"count 1 over two entries", 1, header + 2 * entry, {{7, "{A}"}}},
    };
    for (const Case& c : cases) {
        substitute::reset();
        substitute::SystemTable table =
            substitute::interfaceTable({{7, u"{A}"}, {0x0308, u"{BCDEFGH}"}});
        setCount(table, c.count);
        table.bytes.resize(c.bytes);
        substitute::setInterfaceTable(table);

        InterfaceNameList list;
        collectInterfaceNames(list);

        std::vector<std::pair<std::uint32_t, std::string>> records;
        std::vector<std::u16string> asked;
        for (const InterfaceNameRecord& r : list) {
            records.emplace_back(r.index, r.interfaceName);
            EXPECT_EQ(r.guidText, r.interfaceName) << c.what;
            asked.push_back(std::u16string(r.interfaceName.begin(), r.interfaceName.end()));
        }
        EXPECT_EQ(records, c.records) << c.what;
        // The service is asked once per record and never for an entry the buffer does not hold.
        EXPECT_EQ(namesAsked(), asked) << c.what;
    }
}

TEST_F(InterfaceNamesTest, NamesFillingAll256BytesEndAfter128Units) {
    // The first entry's name has no zero unit; the bytes after it (the next entry's index,
    // which reads as "CD", and its name) must not become part of it. The last entry's name
    // ends with the buffer.
    const std::u16string full(128, u'N');
    const std::u16string last(128, u'L');
    substitute::setInterfaceTable(
        substitute::interfaceTable({{1, full}, {0x00440043, u"E"}, {2, last}}));
    // The service's name is longer than the 255 bytes offered: it fills them, and the last
    // byte of the buffer, never offered, stays zero.
    substitute::setFriendlyName(full, std::u16string(200, u'F'));

    InterfaceNameList list;
    collectInterfaceNames(list);

    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].interfaceName, std::string(128, 'N'));
    EXPECT_EQ(list[0].friendlyName, std::string(128, 'F'));
    EXPECT_EQ(list[2].interfaceName, std::string(128, 'L'));
    EXPECT_EQ(namesAsked(), (std::vector<std::u16string>{full, u"E", last}));
}

TEST(WideToCodePage936, ConvertsUpToTheFirstZeroUnitOrTheEndOfTheBytes) {
    struct Case {
        std::vector<std::uint8_t> bytes;  // UTF-16, little-endian
        std::string text;                 // code page 936
    } const cases[] = {
        {{}, ""},
        {{0, 0, 'A', 0}, ""},
        {{'E', 0, 't', 0, 'h', 0, 0, 0}, "Eth"},
        {{'A', 0, 'B', 0}, "AB"},  // no zero unit
        {{'A', 0, 0, 0, 'B', 0}, "A"},
        {{'A', 0, 'B'}, "AB"},  // an odd byte count
        {{0xE5, 0x4E, 0x2A, 0x59, 0x51, 0x7F, 0, 0}, "\xD2\xD4\xCC\xAB\xCD\xF8"},  // 以太网
        {{'A', 0, 0x5C, 0xD5, 'B', 0}, "A?B"},  // 한 has no place in code page 936
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wideToCodePage936(std::as_bytes(std::span(c.bytes))), c.text) << c.text;
    }
}
