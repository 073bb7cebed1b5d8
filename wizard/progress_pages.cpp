
#include "core/format.h"
#include "core/registry.h"
#include "core/state.h"
#include "extract/install.h"
#include "resources/resource.h"
#include "shortcuts/shortcuts.h"
#include "wizard/progress.h"
#include "wizard/wizard.h"

enum { RUN_DELAY_MS = 500, TEXT_SIZE = 256 };

void AbortInstallation()
{
    char text[TEXT_SIZE];
    FormatText(text, sizeof text,
               "Installation Aborted!\r\n\r\nYLTERA %s could not be installed at this time.\r\n"
               "Please restart your computer before running setup again.",
               ProductInfo.Name);
    MessageBoxA(SetupState.FrameWindow, text, SetupCaption, MB_ICONWARNING);
    PostMessageA(SetupState.FrameWindow, WM_COMMAND, IDC_CANCEL, 0);
}

INT_PTR RunInstallation(HWND page, UINT_PTR timerId)
{
    // The timer is periodic; killing it first makes this run the only one.
    KillTimer(page, timerId);
    if (!InstallFiles(page) || !CreateShortcuts(page)) {
        AbortInstallation();
        return 0;
    }
    RegisterProduct();
    PostMessageA(SetupState.FrameWindow, WM_COMMAND, IDC_CONTINUE, 0);
    return 0;
}

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: SetTimer(page, IDT_INSTALL, RUN_DELAY_MS, NULL); return 1;
    case WM_TIMER: return RunInstallation(page, wParam);
    }
    return 0;
}

static void InitFinishPage(HWND page)
{
    char text[TEXT_SIZE];
    FormatText(text, sizeof text,
               "YLTERA %s was sucessfully installed. Please take a moment to check out the Survival "
               "Guide below and remember to tell a friend or two about YLTERA and share the "
               "experience together!",
               ProductInfo.Name);
    SetDlgItemTextA(page, IDC_FINISH_TEXT, text);
    SetFixedFont(page, IDC_GUIDE_TEXT);
    LoadTextResource(page, IDC_GUIDE_TEXT, "WELCOME");
    FormatText(text, sizeof text, "Place a check here to run YLTERA %s on exit...", ProductInfo.Name);
    SetDlgItemTextA(page, IDC_RUN_ON_EXIT, text);
}

INT_PTR CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: InitFinishPage(page); return 1;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_RUN_ON_EXIT)
            return 1;
        if (HIWORD(wParam) == BN_CLICKED)
            SetupState.RunOnExit = IsDlgButtonChecked(page, IDC_RUN_ON_EXIT) == BST_CHECKED ? 1 : 0;
        return 0;
    }
    return 0;
}
