#include "extract/install.h"

#include <commctrl.h>
#include <string.h>

#include "core/paths.h"
#include "core/state.h"
#include "extract/decode_win.h"
#include "resources/resource.h"

static const char CreateFailedText[] = "Unable to create destination file!\r\nInstallation will now be aborted.";

enum { FILE_PAUSE = 200, PASS_PAUSE = 500 };

static_assert(sizeof(StampTime) == sizeof(SYSTEMTIME), "FileTime is a SYSTEMTIME");

void CreateFolderChain(const char *path)
{
    char work[PATH_SIZE];
    if (!CopyText(work, path, sizeof work))
        return; // too long to be a folder of ours; the first file in it fails visibly
    size_t at = strlen(work);
    if (at == 0)
        return;
    // Cut the copy into its folder prefixes, from the end back to the drive root's backslash; a
    // path without a drive root creates nothing.
    at--;
    int count = 0;
    for (;;) {
        while (at > 0 && work[at] != '\\')
            at--;
        if (at == 0)
            return;
        count++;
        if (work[at - 1] == ':')
            break;
        work[at] = 0;
        at--;
    }
    // Outermost first: test and create one folder, then put its backslash back.
    for (int n = 0; n < count; n++) {
        if (!PathExists(work))
            CreateDirectoryA(work, NULL);
        if (n + 1 < count)
            work[strlen(work)] = '\\';
    }
}

void ClearFolder(const char *folder)
{
    char path[PATH_SIZE];
    if (!PathJoin(path, folder, "*.*"))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        DWORD attributes = found.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            // ".", ".." and every folder whose name begins with '.' are left alone, and so is a
            // junction or symbolic link: it may lead out of the install folder.
            if (found.cFileName[0] == '.' || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            if (PathJoin(path, folder, found.cFileName))
                ClearFolder(path);
        } else if (PathJoin(path, folder, found.cFileName)) {
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Writes the row's payload into a new file at path and stamps it. False when the payload is
// missing, the file cannot be created or a write fails or falls short; a partly written file is
// deleted again.
static bool WriteRow(const FileEntry *row, const char *path, const FILETIME *stamp)
{
    HINSTANCE instance = SetupState.Instance;
    DWORD need = row->PackedSize != 0 ? row->PackedSize : row->Size;
    HRSRC info = FindResourceA(instance, row->ResourceName, RT_RCDATA);
    if (!info || SizeofResource(instance, info) < need)
        return false;
    const uint8_t *payload = (const uint8_t *)LockResource(LoadResource(instance, info));
    if (!payload)
        return false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                              FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written;
    if (row->PackedSize != 0) {
        written = DecodeToFile(payload, row->PackedSize, row->Size, file);
    } else {
        DWORD done = 0;
        written = WriteFile(file, payload, row->Size, &done, NULL) && done == row->Size;
    }
    SetFileTime(file, stamp, stamp, stamp);
    CloseHandle(file);
    if (!written)
        DeleteFileA(path);
    return written;
}

bool InstallFiles(HWND page)
{
    bool result = true;
    if (PathExists(ProductInfo.InstallDir))
        ClearFolder(ProductInfo.InstallDir);
    else
        CreateFolderChain(ProductInfo.InstallDir);

    HWND bar = GetDlgItem(page, IDC_FILE_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, ProductInfo.FileCount));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);

    // FileTime is local time of this machine; the files take it in UTC.
    SYSTEMTIME local;
    memcpy(&local, &ProductInfo.FileTime, sizeof local);
    FILETIME localTime = {0, 0}, stamp = {0, 0};
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &stamp);

    WinVersionClass versionClass = GetWinVersionClass();
    const char *status = "Success";
    for (int i = 0; i < ProductInfo.FileCount; i++) {
        const FileEntry *row = &ProductInfo.Files[i];
        DWORD pause = 0;
        if (EntryApplies(row, versionClass)) {
            char path[PATH_SIZE];
            // A path too long for its buffer is refused, not cut: it fails like any other.
            bool joined = PathJoin(path, EntryTargetFolder(row), row->FileName);
            SetDlgItemTextA(page, IDC_FILE_STATUS, path);
            if (!joined || !WriteRow(row, path, &stamp)) {
                MessageBoxA(page, CreateFailedText, SetupCaption, MB_ICONERROR);
                result = false;
                status = "";
                break;
            }
            pause = FILE_PAUSE;
        }
        SendMessageA(bar, PBM_STEPIT, 0, 0);
        PumpMessagesFor(page, pause);
    }
    SetDlgItemTextA(page, IDC_FILE_STATUS, status);
    PumpMessagesFor(page, PASS_PAUSE);
    return result;
}
