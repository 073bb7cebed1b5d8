// The wizard's process-wide state and the Win32 helpers every subsystem shares.
#pragma once
#include <windows.h>
#include <stdint.h>

#include "core/product.h"

struct SetupRecord {
    HINSTANCE Instance;
    BYTE NotAdministrator;
    BYTE FilesInUse;
    HWND FrameWindow;
    HWND PageWindow;
    uint16_t PageNumber;
    BYTE AllUsers;
    BYTE RunOnExit;
    HBITMAP HeaderBitmap;
    HFONT FixedFont;
    HFONT BoldFont;
};

extern SetupRecord SetupState;

// Asks the system for its version and classifies it (0 when the query fails).
WinVersionClass GetWinVersionClass();

// True when GetFileAttributesA succeeds for the path (a file or a folder).
bool PathExists(const char *path);

// Dispatches the messages of window (and its children) for the given time, without sleeping;
// makes at least one pass, so a duration of 0 handles at most one waiting message.
void PumpMessagesFor(HWND window, DWORD milliseconds);
