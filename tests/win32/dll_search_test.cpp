#include "platform/process.h"

#include <gtest/gtest.h>

#include <windows.h>

// Runs in a process of its own: the restriction holds for the rest of the process.
TEST(DllSearch, AfterTheRestrictionOnlyTheSystemDirectoryIsSearched) {
    // search_probe.dll lies beside the tests, which is searched by default.
    HMODULE probe = LoadLibraryW(L"search_probe.dll");
    ASSERT_NE(probe, nullptr);
    FreeLibrary(probe);

    platform::restrictDllSearchToSystem32();

    EXPECT_EQ(LoadLibraryW(L"search_probe.dll"), nullptr);
    HMODULE system = LoadLibraryW(L"iphlpapi.dll");
    EXPECT_NE(system, nullptr);
    if (system != nullptr) {
        FreeLibrary(system);
    }
}
