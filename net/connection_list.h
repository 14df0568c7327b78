#pragma once
#include "net/adapter_inventory.h"
#include "platform/controls.h"

// Rebuilds `list` with the adapter inventory and offers every non-empty friendly name in `box`,
// in inventory order, then selects the first.
void loadConnectionList(AdapterList& list, platform::DropDownList box);

// Starts loadConnectionList on a detached thread for `adapterList` and 组合框1.
void startConnectionListLoader();
