#include "net/connection_list.h"

#include <cstddef>
#include <memory>

#include "app/main_window.h"
#include "platform/thread.h"

void loadConnectionList(AdapterList& list, platform::DropDownList box) {
    box.clear();
    collectAdapters(list);
    const std::size_t n = list.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (!list[i].friendlyName.empty()) {
            box.addItem(list[i].friendlyName);
        }
    }
    box.setSelection(0);
}

void startConnectionListLoader() {
    // The thread owns a share of the list and its own handle on the box: the exit action may
    // drop the global share and the window may end while the loader still runs; the list then
    // ends with the loader and the box's requests have no effect. Nothing waits for the thread.
    std::shared_ptr<AdapterList> list = adapterList;
    // A window made without the start routine has no list: the loader then fills the box from
    // one of its own.
    if (!list) {
        list = std::make_shared<AdapterList>();
    }
    platform::startDetachedThread(
        [list = std::move(list), box = mainWindow.组合框1] { loadConnectionList(*list, box); });
}
