#include "net/switching.h"

#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "substitutes.h"

namespace {

using platform::Text;
using substitute::gbk;

class Switching : public Substituted {
  protected:
    void SetUp() override {
        Substituted::SetUp();
        window_ = createMainWindow();
        ASSERT_TRUE(window_);
    }
    void TearDown() override {
        window_ = platform::Form{};  // before the substitutes drop the form it refers to
        Substituted::TearDown();
    }

    platform::Form window_;
};

constexpr char before[] = "cmd /c netsh interface set interface \"";

TEST_F(Switching, TheSelectedNameIsTheSelectedItemsText) {
    EXPECT_EQ(selectedConnectionName(), "");
    for (const char* name : {"以太网", "WLAN", "本地连接 2"}) {
        mainWindow.组合框1.addItem(gbk(name));
    }
    mainWindow.组合框1.setSelection(1);
    EXPECT_EQ(selectedConnectionName(), "WLAN");
    mainWindow.组合框1.setSelection(2);
    EXPECT_EQ(selectedConnectionName(), gbk("本地连接 2"));
    mainWindow.组合框1.setSelection(-1);
    EXPECT_EQ(selectedConnectionName(), "");
}

TEST_F(Switching, LaunchesTheNetworkShellHiddenWithTheNameByteForByte) {
    EXPECT_TRUE(disableConnection("Ethernet 2"));
    EXPECT_TRUE(enableConnection("Ethernet 2"));
    auto launches = substitute::launches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].commandLine,
              "cmd /c netsh interface set interface \"Ethernet 2\" disabled");
    EXPECT_EQ(launches[1].commandLine,
              "cmd /c netsh interface set interface \"Ethernet 2\" enabled");
    for (const auto& launch : launches) {
        EXPECT_EQ(launch.program, "cmd.exe");
        EXPECT_FALSE(launch.waitForExit);
        EXPECT_EQ(launch.show, platform::ShowMode::Hidden);
    }

    // Inside the quotes these bytes mean nothing to the command interpreter.
    const Text names[] = {
        "Local Area Connection* 12",
        "A&B",
        "50%PATH%",
        "a^b",
        "Wi-Fi!",
        "#1",
        "'single'",
        " leading and trailing ",
        Text(255, 'x'),
        "#" +
            [] {
                Text t;
                for (int i = 0; i < 127; ++i) {
                    t += gbk("网");
                }
                return t;
            }(),
        gbk("以太网 2 (乨乭乵乻)"),
        "\x80\xFF\x7F",
    };
    for (const Text& name : names) {
        const std::size_t first = substitute::launches().size();
        ASSERT_TRUE(disableConnection(name)) << name;
        ASSERT_TRUE(enableConnection(name)) << name;
        launches = substitute::launches();
        ASSERT_EQ(launches.size(), first + 2);
        EXPECT_EQ(launches[first].commandLine, before + name + "\" disabled");
        EXPECT_EQ(launches[first + 1].commandLine, before + name + "\" enabled");
    }
}

TEST_F(Switching, EveryTwoByteCharacterPassesUnchanged) {
    Text name;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F) {
                name += static_cast<char>(lead);
                name += static_cast<char>(trail);
            }
        }
    }
    ASSERT_TRUE(disableConnection(name));
    const auto launches = substitute::launches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, before + name + "\" disabled");
}

TEST_F(Switching, NamesThatCouldLeaveTheQuotesAreNotLaunched) {
    const Text names[] = {
        "",
        "\"",
        "a\" & shutdown /s & \"",
        "a\x01",
        "tab\tname",
        "line\nbreak",
        "\x1F",
        Text("cut\0short", 9),
        "unfinished \xB0",        // the lead byte would take the closing quote
        "\xB0\x22 disabled & x",  // a double quote is never a second byte
        "\xB0\x7F",
        "\xB0 ",
    };
    for (const Text& name : names) {
        EXPECT_FALSE(disableConnection(name)) << name;
        EXPECT_FALSE(enableConnection(name)) << name;
    }
    EXPECT_TRUE(substitute::launches().empty());
}

TEST_F(Switching, AProcessThatCannotBeCreatedIsReported) {
    substitute::failLaunches(true);
    EXPECT_FALSE(disableConnection("Ethernet"));
    EXPECT_FALSE(enableConnection("Ethernet"));
}

}  // namespace
