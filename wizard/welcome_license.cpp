#include <windows.h>

#include "core/format.h"
#include "core/state.h"
#include "resources/resource.h"
#include "wizard/wizard.h"

static void InitWelcomePage(HWND page)
{
    SetBoldFont(page, IDC_INTRO_HEADING);
    SetBoldFont(page, IDC_SPECIAL_HEADING);

    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[256];
    FormatText(text, sizeof text,
               "YLTERA Setup Wizard for all versions of Microsoft Windows\r\n"
               "Copyright (C) 2010-%i YLTERA. All rights reserved.\r\n",
               (int)now.wYear);
    SetDlgItemTextA(page, IDC_BANNER, text);

    FormatText(text, sizeof text,
               "Welcome to the new YLTERA installation wizard. This setup utility will guide you through a few "
               "simple steps to install the YLTERA %s software on your computer. Click the Continue button "
               "below now to being...",
               ProductInfo.Name);
    SetDlgItemTextA(page, IDC_INTRO_TEXT, text);

    // Either start-up problem leaves Cancel as the only way on.
    if (SetupState.FilesInUse) {
        EnableDlgControl(SetupState.FrameWindow, IDC_CONTINUE, FALSE);
        SetDlgItemTextA(page, IDC_SPECIAL_TEXT,
                        "Setup has detected that one or more files it needs to replace are currently loaded in "
                        "memory. It is strongly recommended that you quit all running programs and restart your "
                        "computer before you continue.");
    } else if (SetupState.NotAdministrator) {
        EnableDlgControl(SetupState.FrameWindow, IDC_CONTINUE, FALSE);
        SetDlgItemTextA(page, IDC_SPECIAL_TEXT,
                        "Setup has detected that it cannot continue in the current user mode. Please exit and "
                        "run setup again in the Administrative mode. For more information, please consult your "
                        "Windows help documentation.");
    } else {
        ShowDlgControl(page, IDC_SPECIAL_HEADING, FALSE);
    }
}

// The banner is dark blue on the button face; every other static keeps the default colours.
static INT_PTR BannerColors(HDC dc, HWND control)
{
    if (GetDlgCtrlID(control) != IDC_BANNER)
        return 0;
    SetTextColor(dc, RGB(0, 0, 128));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
}

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: InitWelcomePage(page); return 1;
    case WM_CTLCOLORSTATIC: return BannerColors((HDC)wParam, (HWND)lParam);
    }
    return 0;
}

static void InitLicensePage(HWND page)
{
    SetFixedFont(page, IDC_LICENSE_TEXT);
    LoadTextResource(page, IDC_LICENSE_TEXT, "LICENSE");
    SetDlgItemTextA(page, IDC_LICENSE_ACCEPT,
                    "I accept the terms outlined in the EULA above and indicate so by placing a check here.");
}

INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: InitLicensePage(page); return 1;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_LICENSE_ACCEPT)
            return 1;
        // Continue follows the box: checked enables it, clear disables it.
        if (HIWORD(wParam) == BN_CLICKED)
            EnableDlgControl(SetupState.FrameWindow, IDC_CONTINUE, (BOOL)IsDlgButtonChecked(page, IDC_LICENSE_ACCEPT));
        return 0;
    }
    return 0;
}

bool IsLicenseAccepted(HWND page)
{
    return IsDlgButtonChecked(page, IDC_LICENSE_ACCEPT) != 0;
}
