// filter/module_win32.cpp -- DllMain: attach and detach on Windows.
#include <windows.h>

#include "filter/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE /*module*/, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            quorvane::startModule();
            return TRUE;  // attach cannot fail: no settings are read here
        case DLL_PROCESS_DETACH:
            quorvane::stopModule();
            return TRUE;
        default:
            return TRUE;
    }
}
