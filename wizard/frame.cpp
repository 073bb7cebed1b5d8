#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>

#include "core/format.h"
#include "core/paths.h"
#include "core/state.h"
#include "resources/resource.h"
#include "wizard/header.h"
#include "wizard/text_resource.h"
#include "wizard/wizard.h"

// The 32-bit build must hand the system the structure sizes it expects of it.
#ifndef _WIN64
static_assert(sizeof(WNDCLASSEXA) == 48, "WNDCLASSEXA size");
static_assert(DLGWINDOWEXTRA == 30, "DLGWINDOWEXTRA");
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA size");
#endif
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA size");

// The dialog manager's own bytes of a dialog window: 30 on 32-bit Windows; 64-bit Windows keeps
// pointer-sized values there and needs 48, though MinGW's header says 30 for both.
#ifdef _WIN64
enum { FRAME_DIALOG_EXTRA = 48 };
#else
enum { FRAME_DIALOG_EXTRA = DLGWINDOWEXTRA };
#endif

struct PageTemplate {
    WORD Template;
    DLGPROC Proc;
};

// Pages 1 to 5, in the order the wizard shows them.
static const PageTemplate Pages[] = {
    {IDD_WELCOME, WelcomePageProc},   {IDD_LICENSE, LicensePageProc}, {IDD_DESTINATION, DestinationPageProc},
    {IDD_PROGRESS, ProgressPageProc}, {IDD_FINISH, FinishPageProc},
};

bool RegisterFrameClass()
{
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    // 0x8002: the system dialog class.
    if (!GetClassInfoExA(NULL, MAKEINTRESOURCEA(0x8002), &wc))
        return false;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbWndExtra = FRAME_DIALOG_EXTRA;
    wc.hInstance = SetupState.Instance;
    wc.hIcon = LoadIconA(SetupState.Instance, MAKEINTRESOURCEA(IDI_PRODUCT));
    wc.hIconSm =
        (HICON)LoadImageA(SetupState.Instance, MAKEINTRESOURCEA(IDI_PRODUCT), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
    wc.lpszClassName = "SetupDlg";
    return RegisterClassExA(&wc) != 0;
}

static void InitFrame(HWND frame)
{
    char title[64];
    FormatText(title, sizeof title, "YLTERA %s", ProductInfo.Name);
    SetWindowTextA(frame, title);
    SetupState.FrameWindow = frame;
    CenterWindow(frame);
    AdvancePage(frame);
}

// Only commands 101 and 102 do anything: IDOK (Enter) and IDCANCEL (Esc, Alt+F4, the close box)
// are left unanswered, so the wizard ends through Cancel alone.
static INT_PTR OnFrameCommand(HWND frame, WPARAM wParam)
{
    WORD id = LOWORD(wParam);
    WORD code = HIWORD(wParam);
    if (id == IDC_CONTINUE) {
        if (code == BN_CLICKED)
            AdvancePage(frame);
        return 0;
    }
    if (id == IDC_CANCEL) {
        if (code == BN_CLICKED)
            CloseWizard(frame);
        return 0;
    }
    return 1;
}

INT_PTR CALLBACK FrameDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_PAINT: return PaintHeader(window);
    case WM_INITDIALOG: InitFrame(window); return 1;
    case WM_COMMAND: return OnFrameCommand(window, wParam);
    }
    return 0;
}

static void CreatePage(HWND frame, int number)
{
    const PageTemplate &page = Pages[number - 1];
    HWND window = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(page.Template), frame, page.Proc, 0);
    SetupState.PageNumber = (uint16_t)number;
    SetupState.PageWindow = window;
}

// The page takes exactly the place and size of the hidden placeholder.
static void PlacePage(HWND frame)
{
    RECT rect;
    GetWindowRect(GetDlgItem(frame, IDC_PLACEHOLDER), &rect);
    MapWindowPoints(NULL, frame, (POINT *)&rect, 2);
    SetWindowPos(SetupState.PageWindow, NULL, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void AdvancePage(HWND frame)
{
    switch (SetupState.PageNumber) {
    case 0: CreatePage(frame, 1); break;
    case 1:
        DestroyWindow(SetupState.PageWindow);
        EnableDlgControl(frame, IDC_CONTINUE, FALSE);
        CreatePage(frame, 2);
        break;
    case 2:
        if (IsLicenseAccepted(SetupState.PageWindow)) {
            DestroyWindow(SetupState.PageWindow);
            CreatePage(frame, 3);
        }
        break;
    case 3:
        if (ValidateDestination(SetupState.PageWindow)) {
            DestroyWindow(SetupState.PageWindow);
            ShowDlgControl(frame, IDC_CONTINUE, FALSE);
            CreatePage(frame, 4);
        }
        break;
    case 4:
        DestroyWindow(SetupState.PageWindow);
        SetDlgItemTextA(frame, IDC_CANCEL, "Close");
        CreatePage(frame, 5);
        break;
    default: break;
    }
    PlacePage(frame);
}

void CloseWizard(HWND frame)
{
    if (SetupState.RunOnExit)
        LaunchMainProgram(frame);
    DestroyWindow(SetupState.PageWindow);
    EndDialog(frame, 1);
}

void LaunchMainProgram(HWND owner)
{
    char path[PATH_SIZE];
    // An install folder too long for the program's name would leave an empty path, which the
    // shell would take for the working folder itself.
    if (!PathJoin(path, ProductInfo.InstallDir, ProductInfo.Files[1].FileName))
        return;
    SHELLEXECUTEINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_DDEWAIT;
    info.hwnd = owner;
    info.lpFile = path;
    info.lpDirectory = ProductInfo.InstallDir;
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
}

void CenterWindow(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    MoveWindow(window, x, y, width, height, FALSE);
}

void EnableDlgControl(HWND dialog, int id, BOOL enable)
{
    EnableWindow(GetDlgItem(dialog, id), enable);
}

void ShowDlgControl(HWND dialog, int id, BOOL show)
{
    ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

// Gives a control the cached font, derived on first use from the dialog's own font.
static void SetCachedFont(HWND dialog, int id, HFONT *cache, bool fixed)
{
    if (!*cache) {
        LOGFONTA font;
        memset(&font, 0, sizeof font);
        HFONT base = (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0);
        GetObjectA(base, sizeof font, &font);
        if (fixed) {
            font.lfHeight = -12;
            CopyText(font.lfFaceName, "Courier New", sizeof font.lfFaceName);
        } else {
            font.lfWeight = FW_BOLD;
        }
        *cache = CreateFontIndirectA(&font);
    }
    SendMessageA(GetDlgItem(dialog, id), WM_SETFONT, (WPARAM)*cache, 1);
}

void SetFixedFont(HWND dialog, int id)
{
    SetCachedFont(dialog, id, &SetupState.FixedFont, true);
}

void SetBoldFont(HWND dialog, int id)
{
    SetCachedFont(dialog, id, &SetupState.BoldFont, false);
}

void LoadTextResource(HWND dialog, int id, const char *name)
{
    HRSRC found = FindResourceA(SetupState.Instance, name, MAKEINTRESOURCEA(10));
    if (!found)
        return;
    HGLOBAL loaded = LoadResource(SetupState.Instance, found);
    const char *data = (const char *)LockResource(loaded);
    if (!data)
        return;
    size_t length = TextResourceLength(data, SizeofResource(SetupState.Instance, found));
    // The resource is read-only and has no NUL of its own: show a copy.
    char *text = (char *)malloc(length + 1);
    if (!text)
        return;
    memcpy(text, data, length);
    text[length] = 0;
    SetDlgItemTextA(dialog, id, text);
    free(text);
}
