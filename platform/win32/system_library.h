#pragma once
// Functions of libraries that the program reaches at run time, from the system directory only.

namespace platform::win32 {

enum class SystemLibrary { IpHelper, RouterAdministration };

using AnyFunction = void (*)();

// The named function of the library, or null when the library or the function cannot be had.
// Each library is loaded on first use and stays loaded until the process ends.
AnyFunction systemProcedure(SystemLibrary library, const char* name);

template <typename Function>
Function systemFunction(SystemLibrary library, const char* name) {
    return reinterpret_cast<Function>(systemProcedure(library, name));
}

}  // namespace platform::win32
