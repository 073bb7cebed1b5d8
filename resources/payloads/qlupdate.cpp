// QLUpdate.exe: the product's updater. Quillith has no update service of its own, so the updater
// shows the installed version and opens the maker's support page through the shell.
#include <windows.h>
#include <shellapi.h>

#include "core/paths.h"
#include "core/product.h"
#include "resources/payloads/product_ids.h"
#include "resources/payloads/product_reg.h"

static char SupportPage[PATH_SIZE];

// Only a web address is handed to the shell: the registry's text could name any program.
static bool IsWebAddress(const char *text)
{
    static const char *const schemes[] = {"http://", "https://"};
    for (const char *scheme : schemes) {
        size_t i = 0;
        while (scheme[i] && AsciiLower((unsigned char)text[i]) == scheme[i])
            i++;
        if (!scheme[i] && text[i] > ' ')
            return true;
    }
    return false;
}

static void ShowInstalled(HWND dialog)
{
    char entry[256], version[32], folder[PATH_SIZE], text[PATH_SIZE + 32];
    ProductSubkey(entry, sizeof entry, UninstallListPath);
    if (!ReadInstalledText(entry, "HelpLink", SupportPage, sizeof SupportPage) || !IsWebAddress(SupportPage))
        CopyText(SupportPage, ProductInfo.HelpLink, sizeof SupportPage);
    SetDlgItemTextA(dialog, IDC_UPDATE_LINK, SupportPage);

    char versionKey[256];
    ProductSubkey(versionKey, sizeof versionKey, ProductKeyPath);
    if (ReadInstalledText(versionKey, "Version", version, sizeof version)) {
        CopyText(text, "Installed version: ", sizeof text);
        AppendText(text, ProductInfo.Publisher, sizeof text);
        AppendText(text, " ", sizeof text);
        AppendText(text, ProductInfo.Name, sizeof text);
        AppendText(text, " ", sizeof text);
        AppendText(text, version, sizeof text);
    } else {
        CopyText(text, "Quillith is not installed on this computer.", sizeof text);
    }
    SetDlgItemTextA(dialog, IDC_UPDATE_VERSION, text);
    if (ReadInstalledText(ProductKeyPath, ProductInfo.Name, folder, sizeof folder)) {
        CopyText(text, "Installed in: ", sizeof text);
        AppendText(text, folder, sizeof text);
        SetDlgItemTextA(dialog, IDC_UPDATE_FOLDER, text);
    }
}

static void OpenSupportPage(HWND dialog)
{
    if ((INT_PTR)ShellExecuteA(dialog, "open", SupportPage, NULL, NULL, SW_SHOWNORMAL) > 32)
        return;
    char text[PATH_SIZE + 96];
    CopyText(text, "Windows could not open the support page. Please visit\r\n", sizeof text);
    AppendText(text, SupportPage, sizeof text);
    AppendText(text, "\r\nwith your web browser.", sizeof text);
    MessageBoxA(dialog, text, "Quillith Update", MB_OK | MB_ICONEXCLAMATION);
}

static INT_PTR CALLBACK UpdateProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: ShowInstalled(dialog); return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        if (LOWORD(wParam) == IDC_UPDATE_SUPPORT)
            OpenSupportPage(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UPDATE), NULL, UpdateProc, 0) < 0 ? 1 : 0;
}
