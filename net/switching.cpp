#include "net/switching.h"

#include <cstddef>

#include "app/main_window.h"
#include "platform/process.h"

namespace {

constexpr char program[] = "cmd.exe";
constexpr char commandBeforeName[] = "cmd /c netsh interface set interface \"";
constexpr char disableAfterName[] = "\" disabled";
constexpr char enableAfterName[] = "\" enabled";

bool isLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
bool isTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// The name goes between double quotes without escaping, so it must not be able to end the
// quoted part or the command line: no double quote, no control byte (a zero byte would cut the
// line short), and no unfinished two-byte character, whose lead byte would take the closing
// quote as its second byte. Every other byte (&, ^, %, ! and the like) is inert inside the
// quotes. A trail byte is never 0x22 or below 0x20, so the byte test holds for every byte.
bool isPassable(const platform::Text& name) {
    if (name.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c == '"' || c < 0x20) {
            return false;
        }
        if (isLeadByte(c)) {
            if (i + 1 == name.size() || !isTrailByte(static_cast<unsigned char>(name[i + 1]))) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

bool switchConnection(const platform::Text& name, const char* afterName) {
    if (!isPassable(name)) {
        return false;
    }
    platform::Text commandLine(commandBeforeName);
    commandLine += name;
    commandLine += afterName;
    return platform::runCommandLine(program, commandLine, false, platform::ShowMode::Hidden);
}

}  // namespace

platform::Text selectedConnectionName() {
    // The item text is empty for an index outside the list, -1 (nothing selected) included.
    return mainWindow.组合框1.itemText(mainWindow.组合框1.selection());
}

bool disableConnection(const platform::Text& name) {
    return switchConnection(name, disableAfterName);
}

bool enableConnection(const platform::Text& name) {
    return switchConnection(name, enableAfterName);
}
