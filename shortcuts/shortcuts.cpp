#include "shortcuts/shortcuts.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include "core/paths.h"
#include "core/state.h"
#include "extract/install.h"
#include "resources/resource.h"
#include "shortcuts/linkpath.h"

// The shell link object and its interfaces, named here so the program needs no GUID library.
static const GUID ShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID ShellLinkInterface = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID PersistFileInterface = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

enum { LINK_PAUSE_MS = 200, PASS_END_PAUSE_MS = 500, WIDE_PATH_SIZE = 512 };

bool LookupSpecialFolder(char *out, int16_t size, int csidl)
{
    if (size < 1)
        return false;
    out[0] = 0;
    LPITEMIDLIST list = NULL;
    if (SHGetSpecialFolderLocation(NULL, csidl, &list) != S_OK)
        return false;
    char path[MAX_PATH];
    path[0] = 0;
    if (!SHGetPathFromIDListA(list, path))
        path[0] = 0;
    // A folder that does not fit is no folder at all: a cut path would put links elsewhere.
    if (!CopyText(out, path, (size_t)size))
        out[0] = 0;
    CoTaskMemFree(list);
    return true;
}

void CreateShellLink(const char *target, const char *workDir, const char *linkPath, const char *description)
{
    IShellLinkA *link = NULL;
    if (FAILED(CoCreateInstance(ShellLinkClass, NULL, CLSCTX_INPROC_SERVER, ShellLinkInterface, (void **)&link)))
        return;
    link->SetPath(target);
    link->SetWorkingDirectory(workDir);
    link->SetDescription(description);
    IPersistFile *file = NULL;
    if (SUCCEEDED(link->QueryInterface(PersistFileInterface, (void **)&file))) {
        WCHAR widePath[WIDE_PATH_SIZE];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, WIDE_PATH_SIZE) > 0)
            file->Save(widePath, TRUE);
        file->Release();
    }
    link->Release();
}

// Makes one link to folder\fileName in workDir, named name in linkFolder\group. A link whose
// folder is unknown (empty) or whose paths do not fit their buffers is left out, never cut.
static void MakeLink(const char *linkFolder, const char *group, const char *workDir, const char *fileName,
                     const char *name)
{
    char target[MAX_PATH];
    char linkPath[MAX_PATH];
    if (linkFolder[0] == 0 || !PathJoin(target, workDir, fileName) ||
        !BuildLinkPath(linkPath, sizeof linkPath, linkFolder, group, name))
        return;
    CreateShellLink(target, workDir, linkPath, name);
}

uint16_t CreateShortcuts(HWND page)
{
    if (CoInitialize(NULL) != S_OK)
        return 0;

    HWND bar = GetDlgItem(page, IDC_LINK_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, ProductInfo.ShortcutCount));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);

    char special[MAX_PATH];
    char workDir[MAX_PATH];
    bool allUsers = SetupState.AllUsers != 0;

    // The group folder lies below the Start-menu programs folder; without that folder the group
    // links are skipped rather than made below a bare backslash.
    if (!LookupSpecialFolder(special, (int16_t)sizeof special, allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS))
        special[0] = 0;
    if (special[0] != 0 && PathJoin(workDir, special, ProductInfo.Group))
        CreateFolderChain(workDir);

    for (int16_t i = 0; i < ProductInfo.FileCount && i < PRODUCT_ROWS; i++) {
        const FileEntry *row = &ProductInfo.Files[i];
        if (row->ShortcutName[0] == '-')
            continue;
        SetDlgItemTextA(page, IDC_LINK_STATUS, row->ShortcutName);
        const char *folder = (row->Flags & FE_IN_INSTALL_DIR) ? ProductInfo.InstallDir : ProductInfo.WindowsDir;
        CopyText(workDir, folder, sizeof workDir);
        MakeLink(special, ProductInfo.Group, workDir, row->FileName, row->ShortcutName);
        SendMessageA(bar, PBM_STEPIT, 0, 0);
        PumpMessagesFor(page, LINK_PAUSE_MS);
    }

    // The desktop link always goes to the main program of row 1.
    if (!LookupSpecialFolder(special, (int16_t)sizeof special,
                             allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY))
        special[0] = 0;
    const FileEntry *mainRow = &ProductInfo.Files[1];
    CopyText(workDir, ProductInfo.InstallDir, sizeof workDir);
    MakeLink(special, "", workDir, mainRow->FileName, mainRow->ShortcutName);

    SetDlgItemTextA(page, IDC_LINK_STATUS, "Success");
    PumpMessagesFor(page, PASS_END_PAUSE_MS);
    CoUninitialize();
    return 1;
}
