// The Start-menu group and desktop shortcuts.
#pragma once
#include <windows.h>
#include <stdint.h>

// 1 when the pass ran, 0 when COM could not be initialised.
uint16_t CreateShortcuts(HWND page);
