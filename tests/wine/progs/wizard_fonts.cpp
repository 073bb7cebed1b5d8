// Runs the real wizard frame in this process (modeless, so that it can be looked into) and prints
// the font of each control that the pages give a font of their own, one line per control:
//   <page> <id> <face>|<height>|<weight>|<handle of the shared font>
// and the dialog font of every page the same way, with id 0. Before them, what RegisterFrameClass
// registered, each line "class <what> <value>", the fields it takes over from the system dialog
// class as "class copied 1|0".
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

static void PrintIconSize(const char *what, HICON icon)
{
    ICONINFO info;
    BITMAP bm;
    if (!icon || !GetIconInfo(icon, &info) ||
        !GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm)) {
        printf("class %s none\n", what);
        return;
    }
    printf("class %s %ld %ld\n", what, bm.bmWidth, bm.bmHeight);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

static void PrintFrameClass()
{
    WNDCLASSEXA system, frame;
    memset(&system, 0, sizeof system);
    memset(&frame, 0, sizeof frame);
    system.cbSize = frame.cbSize = sizeof frame;
    GetClassInfoExA(NULL, MAKEINTRESOURCEA(0x8002), &system);
    if (!GetClassInfoExA(SetupState.Instance, "SetupDlg", &frame)) {
        printf("class none\n");
        return;
    }
    printf("class extra %d %d\n", frame.cbWndExtra, (int)(sizeof(void *) == 8 ? 48 : DLGWINDOWEXTRA));
    printf("class proc %d\n", frame.lpfnWndProc == DefDlgProcA);
    printf("class instance %d\n", frame.hInstance == SetupState.Instance);
    bool copied = frame.style == system.style && frame.cbClsExtra == system.cbClsExtra &&
                  frame.hCursor == system.hCursor && frame.hbrBackground == system.hbrBackground &&
                  frame.lpszMenuName == system.lpszMenuName;
    printf("class copied %d\n", copied);
    PrintIconSize("icon", frame.hIcon);
    PrintIconSize("smallicon", frame.hIconSm);
}

int main()
{
    SetupState.Instance = GetModuleHandleA(NULL);
    printf("class registered %d\n", RegisterFrameClass());
    PrintFrameClass();
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
