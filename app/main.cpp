// Vellimor.exe's entry point.
#include "app/startup.h"
#include "platform/process.h"

int main() {
    // The program runs with administrator rights: no DLL may come from beside it or from the
    // current directory, only from the system directory.
    platform::restrictDllSearchToSystem32();
    return runApplication();
}
