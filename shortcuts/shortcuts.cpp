#include "shortcuts/shortcuts.h"

// Placeholder until the shortcut pass lands.
uint16_t CreateShortcuts(HWND)
{
    return 0;
}
