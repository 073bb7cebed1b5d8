#include <windows.h>
#include <commctrl.h>

#include "core/startup.h"
#include "core/state.h"
#include "resources/resource.h"
#include "wizard/wizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    SetupState.Instance = instance;
    RegisterFrameClass();
    InitializeSetup();
    // The progress page's bars are msctls_progress32, which exists only once the common controls
    // are loaded; without a manifest (Windows 95 to 2000) nothing else loads them, and the page
    // could not be created.
    InitCommonControls();
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FRAME), NULL, FrameDialogProc, 0);
    ReleaseGdiObjects();
    return 1;
}
