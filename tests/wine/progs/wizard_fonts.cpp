// Runs the real wizard frame in this process (modeless, so that it can be looked into) and prints
// the font of each control that the pages give a font of their own, one line per control:
//   <page> <id> <face>|<height>|<weight>|<handle of the shared font>
// and the dialog font of every page the same way, with id 0.
#include <windows.h>
#include <stdio.h>

#include "core/state.h"
#include "resources/resource.h"
#include "wizard/wizard.h"

static void PrintFont(const char *page, int id, HWND window)
{
    HFONT font = (HFONT)SendMessageA(window, WM_GETFONT, 0, 0);
    LOGFONTA info;
    memset(&info, 0, sizeof info);
    if (!font || !GetObjectA(font, sizeof info, &info)) {
        printf("%s %d none\n", page, id);
        return;
    }
    printf("%s %d %s|%ld|%ld|%p\n", page, id, info.lfFaceName, info.lfHeight, info.lfWeight, (void *)font);
}

static void PrintFonts(const char *page, const int *ids, int count)
{
    PrintFont(page, 0, SetupState.PageWindow);
    for (int i = 0; i < count; i++)
        PrintFont(page, ids[i], GetDlgItem(SetupState.PageWindow, ids[i]));
}

int main()
{
    SetupState.Instance = GetModuleHandleA(NULL);
    RegisterFrameClass();
    HWND frame = CreateDialogParamA(SetupState.Instance, MAKEINTRESOURCEA(IDD_FRAME), NULL, FrameDialogProc, 0);
    if (!frame) {
        printf("no frame\n");
        return 1;
    }
    static const int welcome[] = {IDC_BANNER, IDC_INTRO_HEADING, IDC_INTRO_TEXT, IDC_SPECIAL_HEADING};
    PrintFonts("welcome", welcome, 4);
    AdvancePage(frame);
    static const int license[] = {IDC_LICENSE_TEXT, IDC_LICENSE_ACCEPT};
    PrintFonts("license", license, 2);
    CheckDlgButton(SetupState.PageWindow, IDC_LICENSE_ACCEPT, BST_CHECKED);
    AdvancePage(frame);
    static const int destination[] = {IDC_DEST_FOLDER, IDC_DEST_SPACE};
    PrintFonts("destination", destination, 2);
    printf("page %d\n", SetupState.PageNumber);
    DestroyWindow(frame);
    return 0;
}
