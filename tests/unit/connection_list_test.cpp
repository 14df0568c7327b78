#include "net/connection_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "network.h"
#include "substitutes.h"

using substitute::gbk;
using substitute::utf16;

namespace {

using ConnectionListTest = Substituted;

// One adapter per name (UTF-8), in order, each tied to an interface that has that friendly
// name; an empty name gets none from the service.
void setConnections(const std::vector<const char*>& names) {
    std::vector<substitute::Interface> interfaces;
    std::vector<substitute::Adapter> adapters;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string guid = "{00000000-0000-0000-0000-00000000000" + std::to_string(i) + "}";
        const std::u16string interfaceName = u"\\DEVICE\\TCPIP_" + utf16(guid.c_str());
        const auto index = static_cast<std::uint32_t>(i + 1);
        interfaces.push_back({index, interfaceName});
        adapters.push_back({.name = guid, .index = index});
        if (*names[i] != '\0') {
            substitute::setFriendlyName(interfaceName, utf16(names[i]));
        }
    }
    substitute::setInterfaceTable(substitute::interfaceTable(interfaces));
    substitute::setAdapterTable(substitute::adapterTable(adapters));
}

std::vector<std::string> gbkTexts(const std::vector<const char*>& utf8) {
    std::vector<std::string> texts;
    for (const char* t : utf8) {
        texts.push_back(gbk(t));
    }
    return texts;
}

}  // namespace

TEST_F(ConnectionListTest, OffersEveryNonEmptyFriendlyNameInInventoryOrderAndSelectsTheFirst) {
    struct Case {
        std::vector<const char*> friendlyNames;
        std::vector<const char*> items;
        int selection;
    } const cases[] = {
        {{"以太网", "", "WLAN"}, {"以太网", "WLAN"}, 0},
        {{"Zeta", "Alpha", "Zeta"}, {"Zeta", "Alpha", "Zeta"}, 0},
        {{"", ""}, {}, -1},
        {{}, {}, -1},
    };
    for (const Case& c : cases) {
        substitute::reset();
        setConnections(c.friendlyNames);
        adapterList = std::make_shared<AdapterList>();
        platform::Form window = createMainWindow();
        // An item left from before, picked by the user: the loader's first step removes it.
        mainWindow.组合框1.addItem("old");
        mainWindow.组合框1.setSelection(0);
        ASSERT_EQ(substitute::pendingThreads(), 1);

        substitute::runPendingThreads();

        const substitute::FakeControl& box = substitute::control(mainWindow.组合框1.ref());
        EXPECT_EQ(box.items, gbkTexts(c.items));
        EXPECT_EQ(box.selection, c.selection);
        // Records without a friendly name stay in the list.
        EXPECT_EQ(adapterList->size(), c.friendlyNames.size());
        releaseAdapterList();
    }
}

TEST_F(ConnectionListTest, ClosingWhileTheLoaderRunsNeitherWaitsForItNorFreesItsList) {
    setConnections({"以太网", "WLAN"});
    // Holds the loader inside its adapter query until the test lets it go on. Shared with the
    // loader, which may outlive this test body if an expectation stops it early.
    struct Gate {
        std::promise<void> entered;
        std::promise<void> go;
        std::shared_future<void> goSignal = go.get_future().share();
        std::once_flag once;
        std::atomic<bool> letGo{false};
    };
    auto gate = std::make_shared<Gate>();
    substitute::setAdapterQueryHook([gate] {
        std::call_once(gate->once, [&] {
            gate->entered.set_value();
            gate->letGo =
                gate->goSignal.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        });
    });
    std::weak_ptr<AdapterList> list;
    substitute::setMessageLoop([&] {
        substitute::startPendingThreads();
        gate->entered.get_future().wait();
        list = adapterList;
    });

    EXPECT_EQ(runApplication(), 0);

    // The window is gone and the exit action has run; the loader still owns the list.
    EXPECT_EQ(adapterList, nullptr);
    EXPECT_FALSE(list.expired());

    gate->go.set_value();
    substitute::joinThreads();

    // It was let go by the test, not by the time-out: nothing had waited for it.
    EXPECT_TRUE(gate->letGo);
    // It ended as the list's last owner, and so freed it.
    EXPECT_TRUE(list.expired());
    // It went on to its end (a DNS query per adapter, each failing at once), but its requests
    // to the destroyed window had no effect.
    const std::vector<substitute::Call> calls = substitute::networkCalls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const substitute::Call& c) { return c.what == "perAdapter"; }),
              2);
    const substitute::FakeControl& box = substitute::control(mainWindow.组合框1.ref());
    EXPECT_TRUE(box.items.empty());
    EXPECT_EQ(box.selection, -1);
}
