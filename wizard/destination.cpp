#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <string.h>

#include "core/format.h"
#include "core/paths.h"
#include "core/state.h"
#include "resources/resource.h"
#include "wizard/destination_rules.h"
#include "wizard/wizard.h"

static void InitDestinationPage(HWND page)
{
    char text[512];
    FormatText(text, sizeof text,
               "The program files for YLTERA %s will be installed to the following default location. It is "
               "recommended that you do not change the location below as it is optimized especially for program "
               "files to help them start faster and run smoother.",
               ProductInfo.Name);
    SetDlgItemTextA(page, IDC_DEST_EXPLAIN, text);
    SendDlgItemMessageA(page, IDC_DEST_FOLDER, EM_LIMITTEXT, PATH_SIZE - 1, 0);
    ResetDestination(page);
    SetBoldFont(page, IDC_DEST_SPACE);
    UpdateDiskSpace(page);

    // The 95 family has one set of shortcuts for everybody: no choice to offer.
    if (GetWinVersionClass() != 0) {
        SetupState.AllUsers = 1;
        CheckDlgButton(page, IDC_SCOPE_MULTI, BST_CHECKED);
    } else {
        ShowDlgControl(page, IDC_SCOPE_GROUP, FALSE);
        ShowDlgControl(page, IDC_SCOPE_SINGLE, FALSE);
        ShowDlgControl(page, IDC_SCOPE_MULTI, FALSE);
    }
}

static INT_PTR OnDestinationCommand(HWND page, WPARAM wParam)
{
    bool clicked = HIWORD(wParam) == BN_CLICKED;
    switch (LOWORD(wParam)) {
    case IDC_DEST_BROWSE:
        if (clicked)
            BrowseForDestination(page);
        return 0;
    case IDC_DEST_RESET:
        if (clicked)
            ResetDestination(page);
        return 0;
    case IDC_SCOPE_SINGLE:
    case IDC_SCOPE_MULTI:
        if (clicked)
            SetupState.AllUsers = IsDlgButtonChecked(page, IDC_SCOPE_MULTI) ? 1 : 0;
        return 0;
    }
    return 1;
}

INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: InitDestinationPage(page); return 1;
    case WM_COMMAND: return OnDestinationCommand(page, wParam);
    }
    return 0;
}

void ResetDestination(HWND page)
{
    SetDlgItemTextA(page, IDC_DEST_FOLDER, ProductInfo.InstallDir);
}

void BrowseForDestination(HWND page)
{
    LPITEMIDLIST drives = NULL;
    SHGetSpecialFolderLocation(page, CSIDL_DRIVES, &drives);

    char path[PATH_SIZE];
    path[0] = 0;
    BROWSEINFOA info;
    memset(&info, 0, sizeof info);
    info.hwndOwner = page;
    info.pidlRoot = drives;
    info.pszDisplayName = path;
    info.lpszTitle = "Select Install To Folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen) {
        if (SHGetPathFromIDListA(chosen, path))
            SetDlgItemTextA(page, IDC_DEST_FOLDER, path);
        CoTaskMemFree(chosen);
    }
    if (drives)
        CoTaskMemFree(drives);
}

void UpdateDiskSpace(HWND page)
{
    char text[32];
    FormatByteSize(text, sizeof text, ApplicableSize(&ProductInfo, GetWinVersionClass()));
    SetDlgItemTextA(page, IDC_DEST_SPACE, text);
}

bool ValidateDestination(HWND page)
{
    char typed[PATH_SIZE];
    GetDlgItemTextA(page, IDC_DEST_FOLDER, typed, sizeof typed);
    // The folder as the system will use it: "C:\Quillith\.." is the root of C:.
    char full[PATH_SIZE];
    DWORD length = GetFullPathNameA(typed, sizeof full, full, NULL);
    bool resolved = length > 0 && length < sizeof full;

    char folder[PATH_SIZE];
    DestinationVerdict verdict = DecideDestination(folder, typed, resolved ? full : NULL, ProductInfo.Name);
    if (verdict != DEST_ACCEPTED) {
        char warning[128];
        FormatDestinationWarning(warning, sizeof warning, verdict);
        MessageBoxA(page, warning, SetupCaption, MB_ICONWARNING);
        return false;
    }
    CopyText(ProductInfo.InstallDir, folder, sizeof ProductInfo.InstallDir);
    SetDlgItemTextA(page, IDC_DEST_FOLDER, ProductInfo.InstallDir);
    return true;
}
