#include "platform/text_conversion.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

struct Case {
    std::u16string text;
    std::string bytes;  // code page 936
};

const Case cases[] = {
    {u"网络连接", "\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3"},
    {u"本地连接 2", "\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3 2"},
    {u"Local Area Connection", "Local Area Connection"},
    {u"", ""},
    // A character that code page 936 lacks becomes its default character.
    {u"\u0E01", "?"},
    {u"以太网 \u0E01"
     u"2",
     "\xD2\xD4\xCC\xAB\xCD\xF8 ?2"},
};

}  // namespace

TEST(WideToCodePage936Bytes, ConvertsWithTheTerminatorWhateverTheAnsiCodePage) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const int needed = platform::wideToCodePage936Bytes(c.text.c_str(), nullptr, 0);
        ASSERT_EQ(needed, static_cast<int>(c.bytes.size()) + 1);
        std::vector<char> out(static_cast<std::size_t>(needed) + 4, '\x7F');
        EXPECT_EQ(platform::wideToCodePage936Bytes(c.text.c_str(), out.data(), needed), needed);
        EXPECT_EQ(std::string(out.data(), static_cast<std::size_t>(needed)),
                  c.bytes + std::string(1, '\0'));
        EXPECT_EQ(out[static_cast<std::size_t>(needed)], '\x7F') << "nothing past the size";
    }
}

TEST(WideToCodePage936Bytes, FailsWithZeroWhenTheBufferIsTooSmall) {
    char out[4] = {};
    EXPECT_EQ(platform::wideToCodePage936Bytes(u"网络连接", out, 4), 0);
}

TEST(WideTextLength, CountsTheUnitsBeforeTheFirstZero) {
    EXPECT_EQ(platform::wideTextLength(u""), 0);
    EXPECT_EQ(platform::wideTextLength(u"abc"), 3);
    EXPECT_EQ(platform::wideTextLength(u"网络连接"), 4);
    EXPECT_EQ(platform::wideTextLength(u"ab\0cd"), 2);
    EXPECT_EQ(platform::wideTextLength(u"\U0001F600"), 2) << "UTF-16 units, not characters";
}

// The suite runs under more than one system code page; this makes sure that it really did.
TEST(AnsiCodePage, IsTheOneThisRunAskedFor) {
    const char* expected = std::getenv("VELLIMOR_EXPECT_ANSI_CODE_PAGE");
    if (expected == nullptr) {
        GTEST_SKIP() << "no code page asked for";
    }
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::strtoul(expected, nullptr, 10)));
}
