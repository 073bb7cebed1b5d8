// Quillith.exe: the writing pad, a plain-text editor. Two builds share this source and the file
// name: the XP build (QUILLITH_XP) for Windows XP and Vista, with the visual-styles manifest, and
// the other for every other Windows. A file named on the command line is opened at the start.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include "core/paths.h"
#include "core/product.h"
#include "resources/payloads/pad_text.h"
#include "resources/payloads/product_ids.h"

#ifdef QUILLITH_XP
#define QUILLITH_EDITION "Edition for Windows XP and Windows Vista."
#else
#define QUILLITH_EDITION "Edition for Windows 95, 98, Me, NT 4.0, 2000, Server 2003 and Windows 7 onwards."
#endif

static const char ClassName[] = "QuillithPad";
static const char AppName[] = "Quillith";
static const char HelpFileName[] = "Quillith.chm";

static HINSTANCE Instance;
static HWND MainWindow, EditBox;
static HFONT PadFont;
static char DocPath[PATH_SIZE]; // empty while the text has no file
static bool Dirty;              // the text differs from its file
static bool Loading;            // our own SetWindowTextA: not a change of the user's

static void Say(const char *first, const char *second, const char *third, UINT style)
{
    char text[768];
    CopyText(text, first, sizeof text);
    AppendText(text, second, sizeof text);
    AppendText(text, third, sizeof text);
    MessageBoxA(MainWindow, text, AppName, style);
}

static const char *DocName()
{
    if (!DocPath[0])
        return "Untitled";
    const char *slash = DocPath;
    for (const char *p = DocPath; *p; p++)
        if (*p == '\\')
            slash = p + 1;
    return slash;
}

static void UpdateTitle()
{
    char title[PATH_SIZE + 16];
    CopyText(title, DocName(), sizeof title);
    AppendText(title, " - ", sizeof title);
    AppendText(title, AppName, sizeof title);
    SetWindowTextA(MainWindow, title);
}

static bool SetPadText(const char *text)
{
    Loading = true;
    bool ok = SetWindowTextA(EditBox, text) != 0;
    Loading = false;
    return ok;
}

static void NewDocument()
{
    SetPadText("");
    DocPath[0] = 0;
    Dirty = false;
    UpdateTitle();
}

// Opens a file into the pad. Nothing changes when the file cannot be taken whole.
static bool LoadDocument(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        Say("Quillith cannot open the file\r\n", path, "\r\n\r\nCheck that it exists and that you may read it.",
            MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The edit area holds at most its limit: 64 KB on Windows 95, 98 and Me.
    DWORD limit = (DWORD)SendMessageA(EditBox, EM_GETLIMITTEXT, 0, 0);
    DWORD high = 0, size = GetFileSize(file, &high);
    char *bytes = NULL, *text = NULL;
    const char *problem = NULL;
    DWORD got = 0;
    size_t length = 0;
    if (size == INVALID_FILE_SIZE || high != 0 || size > limit) {
        problem = "\r\nis too large for Quillith.";
    } else if (!(bytes = (char *)HeapAlloc(GetProcessHeap(), 0, size + 1)) ||
               !ReadFile(file, bytes, size, &got, NULL) || got != size) {
        problem = "\r\ncould not be read.";
    } else if (PadHasNul(bytes, size)) {
        problem = "\r\nis not a plain-text file.";
    } else if ((length = PadTextLength(bytes, size)) > limit) {
        problem = "\r\nis too large for Quillith.";
    } else if (!(text = (char *)HeapAlloc(GetProcessHeap(), 0, length + 1)) ||
               !PadTextFromBytes(bytes, size, text, length + 1)) {
        problem = "\r\ndoes not fit into memory.";
    }
    CloseHandle(file);
    if (!problem) {
        if (SetPadText(text) && (size_t)GetWindowTextLengthA(EditBox) == length) {
            CopyText(DocPath, path, sizeof DocPath);
            Dirty = false;
            UpdateTitle();
        } else {
            // A part of the file in the pad would be saved over the whole of it later.
            NewDocument();
            problem = "\r\ndoes not fit into the pad.";
        }
    }
    if (bytes)
        HeapFree(GetProcessHeap(), 0, bytes);
    if (text)
        HeapFree(GetProcessHeap(), 0, text);
    if (problem)
        Say("The file\r\n", path, problem, MB_OK | MB_ICONEXCLAMATION);
    return !problem;
}

// Writes the pad's text into a file; the text stays unsaved when that fails.
static bool WriteDocument(const char *path)
{
    int length = GetWindowTextLengthA(EditBox);
    char *text = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length + 1);
    bool ok = text != NULL;
    if (ok) {
        length = GetWindowTextA(EditBox, text, length + 1);
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        DWORD written = 0;
        ok = file != INVALID_HANDLE_VALUE && WriteFile(file, text, (DWORD)length, &written, NULL) &&
             written == (DWORD)length;
        if (file != INVALID_HANDLE_VALUE)
            ok = CloseHandle(file) && ok;
        HeapFree(GetProcessHeap(), 0, text);
    }
    if (!ok) {
        Say("Quillith could not save the file\r\n", path,
            "\r\n\r\nYour text is still here: save it under another name or in another folder.",
            MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (lstrcmpA(DocPath, path) != 0)
        CopyText(DocPath, path, sizeof DocPath);
    Dirty = false;
    UpdateTitle();
    return true;
}

typedef BOOL(WINAPI *FileDialogProc)(LPOPENFILENAMEA);

// The common file dialogs. comdlg32 is loaded when a dialog is first needed.
static bool ChooseFile(bool save, char *path)
{
    static HMODULE dialogs;
    if (!dialogs)
        dialogs = LoadLibraryA("comdlg32.dll");
    FileDialogProc show = NULL;
    if (dialogs)
        show = (FileDialogProc)(void *)GetProcAddress(dialogs, save ? "GetSaveFileNameA" : "GetOpenFileNameA");
    if (!show) {
        Say("The file dialogs of Windows (comdlg32.dll) are not available.", "", "", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    CopyText(path, save ? DocPath : "", PATH_SIZE);
    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    // The size that Windows 95 and NT 4.0 know; the later fields are not used.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = MainWindow;
    ofn.lpstrFilter = "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = PATH_SIZE;
    ofn.lpstrDefExt = "txt";
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    return show(&ofn) != 0;
}

static bool SaveDocumentAs()
{
    char path[PATH_SIZE];
    return ChooseFile(true, path) && WriteDocument(path);
}

static bool SaveDocument()
{
    return DocPath[0] ? WriteDocument(DocPath) : SaveDocumentAs();
}

// Before the text is replaced or the pad closes: true when the caller may go on, because the text
// is saved, was saved now, or the user chose to drop the changes.
static bool MayDropText()
{
    if (!Dirty)
        return true;
    int answer = MessageBoxA(MainWindow, "The text has changed.\r\n\r\nDo you want to save the changes?", AppName,
                             MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDYES)
        return SaveDocument();
    return answer == IDNO;
}

static void OpenDocument()
{
    char path[PATH_SIZE];
    if (MayDropText() && ChooseFile(false, path))
        LoadDocument(path);
}

// The help file lies beside the program.
static void ShowHelp()
{
    char folder[PATH_SIZE], help[PATH_SIZE];
    DWORD len = GetModuleFileNameA(NULL, folder, sizeof folder);
    if (len == 0 || len >= sizeof folder)
        return;
    char *slash = folder;
    for (char *p = folder; *p; p++)
        if (*p == '\\')
            slash = p;
    *slash = 0;
    if (!PathJoin(help, folder, HelpFileName) || GetFileAttributesA(help) == INVALID_FILE_ATTRIBUTES) {
        Say("The help file\r\n", help[0] ? help : HelpFileName, "\r\nis missing.", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if ((INT_PTR)ShellExecuteA(MainWindow, "open", help, NULL, folder, SW_SHOWNORMAL) <= 32)
        Say("Windows could not open the help file\r\n", help, "", MB_OK | MB_ICONEXCLAMATION);
}

static void ShowAbout()
{
    MessageBoxA(MainWindow, PAYLOAD_PRODUCT "\r\n\r\nThe plain-text writing pad from YLTERA.\r\n" QUILLITH_EDITION,
                "About Quillith", MB_OK | MB_ICONINFORMATION);
}

// Menu items that have nothing to act on are greyed.
static void UpdateEditMenu(HMENU menu)
{
    DWORD from = 0, to = 0;
    SendMessageA(EditBox, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
    UINT selection = from != to ? MF_ENABLED : MF_GRAYED;
    EnableMenuItem(menu, IDM_UNDO, SendMessageA(EditBox, EM_CANUNDO, 0, 0) ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, IDM_CUT, selection);
    EnableMenuItem(menu, IDM_COPY, selection);
    EnableMenuItem(menu, IDM_DELETE, selection);
    EnableMenuItem(menu, IDM_PASTE, IsClipboardFormatAvailable(CF_TEXT) ? MF_ENABLED : MF_GRAYED);
}

static void Command(WORD id, WORD code, HWND control)
{
    if (control == EditBox) {
        if (code == EN_CHANGE && !Loading)
            Dirty = true;
        else if (code == EN_ERRSPACE || code == EN_MAXTEXT)
            Say("The text has reached the most that Quillith can hold.", "", "", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    switch (id) {
    case IDM_NEW:
        if (MayDropText())
            NewDocument();
        break;
    case IDM_OPEN: OpenDocument(); break;
    case IDM_SAVE: SaveDocument(); break;
    case IDM_SAVEAS: SaveDocumentAs(); break;
    case IDM_EXIT: PostMessageA(MainWindow, WM_CLOSE, 0, 0); break;
    case IDM_UNDO: SendMessageA(EditBox, EM_UNDO, 0, 0); break;
    case IDM_CUT: SendMessageA(EditBox, WM_CUT, 0, 0); break;
    case IDM_COPY: SendMessageA(EditBox, WM_COPY, 0, 0); break;
    case IDM_PASTE: SendMessageA(EditBox, WM_PASTE, 0, 0); break;
    case IDM_DELETE: SendMessageA(EditBox, WM_CLEAR, 0, 0); break;
    case IDM_SELECTALL: SendMessageA(EditBox, EM_SETSEL, 0, -1); break;
    case IDM_HELP: ShowHelp(); break;
    case IDM_ABOUT: ShowAbout(); break;
    }
}

static void CreatePad(HWND window)
{
    MainWindow = window;
    EditBox = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                  ES_AUTOHSCROLL | ES_NOHIDESEL,
                              0, 0, 0, 0, window, (HMENU)(INT_PTR)IDC_PAD_EDIT, Instance, NULL);
    // 0 asks for the largest text the system allows.
    SendMessageA(EditBox, EM_SETLIMITTEXT, 0, 0);
    HDC dc = GetDC(window);
    PadFont = CreateFontA(-MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          FIXED_PITCH | FF_MODERN, "Courier New");
    ReleaseDC(window, dc);
    if (PadFont)
        SendMessageA(EditBox, WM_SETFONT, (WPARAM)PadFont, 0);
    UpdateTitle();
}

static LRESULT CALLBACK PadProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: CreatePad(window); return EditBox ? 0 : -1;
    case WM_SIZE: MoveWindow(EditBox, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE); return 0;
    case WM_SETFOCUS: SetFocus(EditBox); return 0;
    case WM_COMMAND: Command(LOWORD(wParam), HIWORD(wParam), (HWND)lParam); return 0;
    case WM_INITMENUPOPUP: UpdateEditMenu((HMENU)wParam); return 0;
    case WM_CLOSE:
        if (MayDropText())
            DestroyWindow(window);
        return 0;
    case WM_QUERYENDSESSION: return MayDropText();
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The command line names at most one file, with or without quotes.
static void FileFromCommandLine(const char *line, char *path)
{
    while (*line == ' ' || *line == '\t')
        line++;
    bool quoted = *line == '"';
    if (quoted)
        line++;
    CopyText(path, line, PATH_SIZE);
    char *end = path + lstrlenA(path);
    while (end > path && (end[-1] == ' ' || end[-1] == '\t' || (quoted && end[-1] == '"')))
        *--end = 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    Instance = instance;
#ifdef QUILLITH_XP
    InitCommonControls(); // loads the common-controls library that the manifest names
#endif
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = PadProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_PAD_MENU);
    wc.lpszClassName = ClassName;
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowExA(0, ClassName, AppName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                                  NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    char path[PATH_SIZE];
    FileFromCommandLine(commandLine, path);
    if (path[0])
        LoadDocument(path);

    HACCEL keys = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_PAD_KEYS));
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (!TranslateAcceleratorA(window, keys, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (PadFont)
        DeleteObject(PadFont);
    return (int)msg.wParam;
}
