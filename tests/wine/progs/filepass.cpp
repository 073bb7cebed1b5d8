// filepass [-o REPORT] [-r ROW RESOURCE] [-p ROW PACKEDSIZE] INSTALLDIR WINDOWSDIR SYSTEMDIR
// filepass -c PATH...   (only CreateFolderChain on each path, in order)
// Creates the progress page (dialog 1005) in a window titled "File pass", fills the folder slots
// of ProductInfo, runs the real file pass and reports on stdout (or into REPORT):
// -r and -p change one row of the table first, to make its payload missing or too short.
//   result 0|1
//   bar POSITION LOW HIGH
//   status TEXT
//   time PATH CREATION ACCESS WRITE      (UTC, for every row that applies and whose file exists)
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/paths.h"
#include "core/state.h"
#include "extract/install.h"
#include "resources/resource.h"

static INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

static void FormatTime(const FILETIME *t, char *out, size_t size)
{
    SYSTEMTIME s;
    FileTimeToSystemTime(t, &s);
    snprintf(out, size, "%04u-%02u-%02uT%02u:%02u:%02u", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond);
}

static void Report(FILE *out, HWND page, bool result)
{
    HWND bar = GetDlgItem(page, IDC_FILE_PROGRESS);
    PBRANGE range;
    SendMessageA(bar, PBM_GETRANGE, 0, (LPARAM)&range);
    char status[PATH_SIZE];
    GetDlgItemTextA(page, IDC_FILE_STATUS, status, sizeof status);
    fprintf(out, "result %d\nbar %d %d %d\nstatus %s\n", result ? 1 : 0, (int)SendMessageA(bar, PBM_GETPOS, 0, 0),
            range.iLow, range.iHigh, status);
    WinVersionClass cls = GetWinVersionClass();
    for (int i = 0; i < ProductInfo.FileCount; i++) {
        const FileEntry *row = &ProductInfo.Files[i];
        char path[PATH_SIZE];
        if (!EntryApplies(row, cls) || !PathJoin(path, EntryTargetFolder(row), row->FileName))
            continue;
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        FILETIME t[3];
        GetFileTime(file, &t[0], &t[1], &t[2]);
        CloseHandle(file);
        char text[3][32];
        for (int k = 0; k < 3; k++)
            FormatTime(&t[k], text[k], sizeof text[k]);
        fprintf(out, "time %s %s %s %s\n", path, text[0], text[1], text[2]);
    }
}

int main(int argc, char **argv)
{
    if (argc > 1 && strcmp(argv[1], "-c") == 0) {
        for (int i = 2; i < argc; i++)
            CreateFolderChain(argv[i]);
        return 0;
    }
    const char *reportPath = NULL;
    while (argc > 2 && argv[1][0] == '-') {
        if (strcmp(argv[1], "-o") == 0) {
            reportPath = argv[2];
            argc -= 2;
            argv += 2;
            continue;
        }
        if (argc < 4 || atoi(argv[2]) < 0 || atoi(argv[2]) >= ProductInfo.FileCount)
            break;
        FileEntry *row = &ProductInfo.Files[atoi(argv[2])];
        if (strcmp(argv[1], "-r") == 0)
            CopyText(row->ResourceName, argv[3], sizeof row->ResourceName);
        else if (strcmp(argv[1], "-p") == 0)
            row->PackedSize = (uint32_t)atol(argv[3]);
        else
            break;
        argc -= 3;
        argv += 3;
    }
    if (argc != 4) {
        fprintf(stderr, "usage: filepass [-o REPORT] [-r ROW RESOURCE] [-p ROW PACKEDSIZE] INSTALLDIR "
                        "WINDOWSDIR SYSTEMDIR\n");
        return 2;
    }
    CopyText(ProductInfo.InstallDir, argv[1], PATH_SIZE);
    CopyText(ProductInfo.WindowsDir, argv[2], PATH_SIZE);
    CopyText(ProductInfo.SystemDir, argv[3], PATH_SIZE);
    SetupState.Instance = GetModuleHandleA(NULL);
    InitCommonControls();

    HWND host = CreateWindowExA(0, "STATIC", "File pass", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 320, NULL, NULL,
                                SetupState.Instance, NULL);
    HWND page = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(IDD_PROGRESS), host, PageProc, 0);
    if (!host || !page) {
        fprintf(stderr, "cannot create the progress page\n");
        return 3;
    }
    bool result = InstallFiles(page);
    // A program started by the test driver shares the driver's standard output: it reports into
    // a file instead.
    FILE *out = reportPath ? fopen(reportPath, "w") : stdout;
    if (out) {
        Report(out, page, result);
        if (out != stdout)
            fclose(out);
    }
    DestroyWindow(host);
    return result ? 0 : 1;
}
