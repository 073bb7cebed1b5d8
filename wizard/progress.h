// The installation run that the progress page starts from its timer.
#pragma once
#include <windows.h>

// Runs the file pass, the shortcut pass and the registration once, then moves the wizard on
// (Continue) or aborts it (Cancel). Returns 0, the progress page's answer to WM_TIMER.
INT_PTR RunInstallation(HWND page, UINT_PTR timerId);
// Tells the user the installation failed and closes the wizard.
void AbortInstallation();
