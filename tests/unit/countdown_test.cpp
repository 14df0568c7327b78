#include "schedule/countdown.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "substitutes.h"

namespace {

using platform::Text;
using substitute::gbk;

TEST(CountdownText, FillsTheDefaultTemplate) {
    struct Case {
        std::int32_t seconds;
        const char* expected;
    } const cases[] = {
        {0, "0天0小时0分0秒"},
        {1, "0天0小时0分1秒"},
        {59, "0天0小时0分59秒"},
        {60, "0天0小时1分0秒"},
        {61, "0天0小时1分1秒"},
        {3599, "0天0小时59分59秒"},
        {3600, "0天1小时0分0秒"},
        {3725, "0天1小时2分5秒"},
        {86399, "0天23小时59分59秒"},
        {86400, "1天0小时0分0秒"},
        {90061, "1天1小时1分1秒"},
        {2147483647, "24855天3小时14分7秒"},
        {-1, "0天0小时0分-1秒"},
        {-61, "0天0小时-1分-1秒"},
        {-2147483647 - 1, "-24855天-3小时-14分-8秒"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(countdownText(c.seconds, Text(), false, false), gbk(c.expected)) << c.seconds;
    }
}

TEST(CountdownText, PadsEveryNumberToTwoBytes) {
    struct Case {
        std::int32_t seconds;
        const char* expected;
    } const cases[] = {
        {59, "00天00小时00分59秒"},    {3725, "00天01小时02分05秒"},
        {90061, "01天01小时01分01秒"}, {8640000, "100天00小时00分00秒"},
        {-61, "00天00小时-1分-1秒"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(countdownText(c.seconds, Text(), false, true), gbk(c.expected)) << c.seconds;
    }
}

TEST(CountdownText, ReplacesTheLastPlaceholderOfEachLetterOutsideTwoByteCharacters) {
    // Real characters of code page 936 whose second byte is a placeholder letter.
    ASSERT_EQ(gbk("乨乭乵乻"), (Text{'\x81', 'd', '\x81', 'h', '\x81', 'm', '\x81', 's'}));
    struct Case {
        const char* what;
        Text templateText;
        bool useTemplate;
        bool pad;
        Text expected;
    } const cases[] = {
        {"days are not folded into the hours", "h:m:s", true, false, "2:3:4"},
        {"letters in any order", "s m h d", true, false, "4 3 2 1"},
        {"only the last d", "dd", true, false, "d1"},
        {"padding inside a template", "m:s", true, true, "03:04"},
        {"empty template", "", true, false, gbk("1天2小时3分4秒")},
        {"template not asked for", "h:m:s", false, false, gbk("1天2小时3分4秒")},
        {"no placeholder", "x:y:z", true, false, "x:y:z"},
        {"upper case only", "DHMS", true, false, "DHMS"},
        {"second bytes that look like letters", gbk("d乨h乭m乵s乻"), true, false,
         gbk("1乨2乭3乵4乻")},
        {"a letter after such a character", gbk("乨d"), true, false, gbk("乨1")},
        {"such characters only", gbk("乨乭乵乻"), true, false, gbk("乨乭乵乻")},
        {"lone lead byte at the end", "h:m:s\xB0", true, false, "2:3:4\xB0"},
        {"lone lead byte after the last letter", "s\x81", true, false, "4\x81"},
        {"a letter taken as a second byte", "\x81s", true, false, "\x81s"},
        {"the template ends at its first zero byte", Text("s\0m", 3), true, false, "4"},
    };
    // One day, two hours, three minutes and four seconds.
    for (const Case& c : cases) {
        EXPECT_EQ(countdownText(93784, c.templateText, c.useTemplate, c.pad), c.expected) << c.what;
    }
}

TEST(PadLeftZeros, PadsToTheWidthInBytes) {
    struct Case {
        Text text;
        int width;
        Text expected;
    } const cases[] = {
        {"5", 2, "05"}, {"12", 2, "12"}, {"123", 2, "123"},
        {"", 2, "00"},  {"-1", 2, "-1"}, {"7", 4, "0007"},
        {"7", 0, "7"},  {"7", -3, "7"},  {"\xC3\xEB", 3, "0\xC3\xEB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(padLeftZeros(c.text, c.width), c.expected) << c.text << " " << c.width;
    }
}

}  // namespace
