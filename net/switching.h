#pragma once
#include "platform/text.h"

// The text of 组合框1's selected item; empty when none is selected.
platform::Text selectedConnectionName();

// Launch the network shell, hidden and without waiting, to disable or enable the connection.
// Return whether the command was launched: a name that cannot be passed safely (empty, or
// holding a double quote, a control byte or a broken two-byte character) is not.
bool disableConnection(const platform::Text& name);
bool enableConnection(const platform::Text& name);
