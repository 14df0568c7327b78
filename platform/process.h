#pragma once
#include "platform/text.h"

namespace platform {

enum class ShowMode { Hidden, Normal };

// Starts `program`, a file name looked up in the system directory only, with the whole
// `commandLine` (code page 936) as its command line and the system directory as its working
// directory. No handles are inherited. Without `waitForExit` it waits at most 1000 ms for the
// process to become ready for input; with it, until the process ends. Returns whether the
// process was created.
bool runCommandLine(const Text& program, const Text& commandLine, bool waitForExit, ShowMode show);

// From here on the process loads libraries from the system directory only (not from its own
// directory nor the current one). Called first thing in the program.
void restrictDllSearchToSystem32();

}  // namespace platform
