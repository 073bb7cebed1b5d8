#include <string.h>

#include "core/state.h"

SetupRecord SetupState;

// The 32-bit build must see the structure sizes the system expects of it.
#ifndef _WIN64
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA size");
#endif

WinVersionClass GetWinVersionClass()
{
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    // A failed query leaves the zeroed structure: platform 0, class 0.
    GetVersionExA(&info);
    return ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool PathExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void PumpMessagesFor(HWND window, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    MSG msg;
    do {
        DWORD now = GetTickCount();
        if (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (now - start >= milliseconds)
            break;
    } while (true);
}
