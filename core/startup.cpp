#include "core/startup.h"

#include "core/paths.h"
#include "core/registry.h"
#include "core/state.h"

// Drive and program-files folder are fixed, not asked of the system.
static const char DefaultParent[] = "C:\\Program Files\\Yltera\\";

// Asks for a Windows or System folder and title-cases it. A failed call, or a folder that
// does not fit, leaves the slot as it was.
static void FillSystemFolder(char *slot, UINT(WINAPI *query)(LPSTR, UINT))
{
    char folder[PATH_SIZE];
    UINT len = query(folder, sizeof folder);
    if (len == 0 || len >= sizeof folder)
        return;
    TitleCasePath(folder);
    CopyText(slot, folder, PATH_SIZE);
}

void InitializeSetup()
{
    if (!ReadPreviousInstallPath(ProductInfo.InstallDir, PATH_SIZE))
        PathJoin(ProductInfo.InstallDir, DefaultParent, ProductInfo.Name);
    FillSystemFolder(ProductInfo.WindowsDir, GetWindowsDirectoryA);
    FillSystemFolder(ProductInfo.SystemDir, GetSystemDirectoryA);
    ProbeAdminRights();
    DetectFilesInUse();
}

void DetectFilesInUse()
{
    WinVersionClass cls = GetWinVersionClass();
    for (int i = 0; i < ProductInfo.FileCount && i < PRODUCT_ROWS; i++) {
        const FileEntry *row = &ProductInfo.Files[i];
        if (!EntryApplies(row, cls))
            continue;
        char path[PATH_SIZE];
        if (!PathJoin(path, EntryTargetFolder(row), row->FileName))
            continue; // no such file can have been installed
        // Write access without sharing fails only when another program holds the file open.
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            continue;
        }
        if (GetLastError() == ERROR_SHARING_VIOLATION) {
            SetupState.FilesInUse = 1;
            return;
        }
    }
}

static void DeleteIfSet(HGDIOBJ object)
{
    if (object)
        DeleteObject(object);
}

void ReleaseGdiObjects()
{
    DeleteIfSet(SetupState.HeaderBitmap);
    SetupState.HeaderBitmap = NULL;
    DeleteIfSet(SetupState.FixedFont);
    SetupState.FixedFont = NULL;
    DeleteIfSet(SetupState.BoldFont);
    SetupState.BoldFont = NULL;
}
