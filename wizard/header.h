// The header picture painted across the top of the wizard frame.
#pragma once
#include <windows.h>

// Paints the cached header bitmap (made on first use); always returns 1.
int PaintHeader(HWND frame);
