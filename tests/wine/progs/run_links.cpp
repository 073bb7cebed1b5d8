// Runs the shortcut pass on a window of its own and prints what the page would show.
//   run_links <all|user|busy> [install folder]
// "busy" initialises COM first, so the pass must refuse. Also prints the special folders as
// LookupSpecialFolder resolves them, so the scenario knows where to look for the links.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "core/paths.h"
#include "core/state.h"
#include "resources/resource.h"
#include "shortcuts/shortcuts.h"

int main(int argc, char **argv)
{
    const char *mode = argc > 1 ? argv[1] : "user";
    if (argc > 2)
        CopyText(ProductInfo.InstallDir, argv[2], sizeof ProductInfo.InstallDir);
    CopyText(ProductInfo.WindowsDir, "C:\\Windows", sizeof ProductInfo.WindowsDir);
    SetupState.AllUsers = strcmp(mode, "all") == 0 ? 1 : 0;

    static const int folders[] = {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_DESKTOPDIRECTORY,
                                  CSIDL_COMMON_DESKTOPDIRECTORY};
    for (int csidl : folders) {
        char path[MAX_PATH];
        bool ok = LookupSpecialFolder(path, (int16_t)sizeof path, csidl);
        printf("folder %d %d %s\n", csidl, ok ? 1 : 0, path);
    }
    // A folder that does not fit the buffer is given as no folder, never cut.
    char small[8] = "xxxxxxx";
    bool ok = LookupSpecialFolder(small, (int16_t)sizeof small, CSIDL_PROGRAMS);
    printf("small %d [%s]\n", ok ? 1 : 0, small);

    InitCommonControls();
    HWND page = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, NULL, NULL, NULL, NULL);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 300, 20, page, (HMENU)IDC_LINK_STATUS, NULL, NULL);
    HWND bar =
        CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 40, 300, 20, page, (HMENU)IDC_LINK_PROGRESS, NULL, NULL);
    if (strcmp(mode, "busy") == 0)
        printf("coinit %ld\n", (long)CoInitialize(NULL));

    DWORD start = GetTickCount();
    unsigned result = CreateShortcuts(page);
    DWORD took = GetTickCount() - start;
    char status[64];
    GetDlgItemTextA(page, IDC_LINK_STATUS, status, sizeof status);
    printf("result %u\n", result);
    printf("status [%s]\n", status);
    printf("bar %d %d %d\n", (int)SendMessageA(bar, PBM_GETPOS, 0, 0), (int)SendMessageA(bar, PBM_GETRANGE, TRUE, 0),
           (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    printf("ms %lu\n", (unsigned long)took);
    // COM must be free again after a pass that initialised it.
    HRESULT again = CoInitialize(NULL);
    printf("coinit-after %ld\n", (long)again);
    return 0;
}
