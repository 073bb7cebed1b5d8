// The Start-menu group and desktop shortcuts.
#pragma once
#include <windows.h>
#include <stdint.h>

// Makes the group links and the desktop link, showing progress in controls 505 and 506 of the
// page. 1 when the pass ran, 0 when COM could not be initialised.
uint16_t CreateShortcuts(HWND page);
// Writes one shell link file; a link that cannot be made is silently left out.
void CreateShellLink(const char *target, const char *workDir, const char *linkPath, const char *description);
// The file-system path of a special folder into out (size bytes); false, with an empty text,
// when the shell does not know the folder. The text is also empty when the folder has no path.
bool LookupSpecialFolder(char *out, int16_t size, int csidl);
