// Test driver: starts a program, finds its windows, reads and sets control texts, clicks, sends keys
// and answers message boxes. One command per line on stdin, fields separated by tabs; one reply
// line per command: "ok<TAB>value" or "err<TAB>reason". Tabs, line ends and backslashes inside
// fields and values are escaped as \t, \r, \n and \\.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

static PROCESS_INFORMATION Started;
static HWND Current; // the window that control ids refer to

static std::string Escape(const std::string &s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

static std::string Unescape(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out += n == 't' ? '\t' : n == 'r' ? '\r' : n == 'n' ? '\n' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

static std::string Fmt(const char *format, ...)
{
    char buf[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

// One WM_GETTEXT into a large buffer: asking for the length first would race with a control whose
// text changes in between.
static std::string WindowText(HWND w)
{
    static char buf[65536];
    DWORD_PTR got = 0;
    buf[0] = 0;
    if (!SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, (LPARAM)buf, SMTO_ABORTIFHUNG, 5000, &got))
        return "";
    buf[sizeof buf - 1] = 0;
    return buf;
}

static std::string ClassOf(HWND w)
{
    char name[256] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

struct Found {
    std::string title, cls;
    DWORD pid;
    std::vector<HWND> list;
};

static BOOL CALLBACK CollectTop(HWND w, LPARAM param)
{
    Found *f = (Found *)param;
    if (!IsWindowVisible(w))
        return TRUE;
    if (f->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != f->pid)
            return TRUE;
    }
    if (!f->cls.empty() && ClassOf(w) != f->cls)
        return TRUE;
    if (!f->title.empty() && WindowText(w) != f->title)
        return TRUE;
    f->list.push_back(w);
    return TRUE;
}

static std::vector<HWND> TopWindows(const std::string &title, const std::string &cls, DWORD pid)
{
    Found f{title, cls, pid, {}};
    EnumWindows(CollectTop, (LPARAM)&f);
    return f.list;
}

static BOOL CALLBACK CollectChild(HWND w, LPARAM param)
{
    ((std::vector<HWND> *)param)->push_back(w);
    return TRUE;
}

static std::vector<HWND> Descendants(HWND top)
{
    std::vector<HWND> all;
    EnumChildWindows(top, CollectChild, (LPARAM)&all);
    return all;
}

// The control with this id below the current window; a visible one wins over a hidden one.
static HWND Control(int id)
{
    if (id == 0)
        return Current;
    HWND hidden = NULL;
    for (HWND w : Descendants(Current)) {
        if (GetDlgCtrlID(w) != id)
            continue;
        if (IsWindowVisible(w))
            return w;
        if (!hidden)
            hidden = w;
    }
    return hidden;
}

static DWORD TargetPid()
{
    return Started.hProcess ? Started.dwProcessId : 0;
}

static bool IsMessageBox(HWND w)
{
    if (ClassOf(w) != "#32770")
        return false;
    for (HWND c : Descendants(w))
        if (GetDlgCtrlID(c) == 0xFFFF && ClassOf(c) == "Static" && !WindowText(c).empty())
            return true;
    return false;
}

static std::string MessageBoxText(HWND w)
{
    for (HWND c : Descendants(w))
        if (GetDlgCtrlID(c) == 0xFFFF && ClassOf(c) == "Static" && !WindowText(c).empty())
            return WindowText(c);
    return "";
}

static void Foreground(HWND top)
{
    SetForegroundWindow(top);
    Sleep(50);
}

static void MouseClick(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    HWND top = GetAncestor(w, GA_ROOT);
    Foreground(top);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Sleep(30);
    INPUT in[2];
    memset(in, 0, sizeof in);
    in[0].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].type = INPUT_MOUSE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(30);
    SendInput(1, &in[1], sizeof(INPUT));
    Sleep(100);
}

static void Key(WORD vk, bool alt)
{
    std::vector<INPUT> in;
    INPUT k;
    memset(&k, 0, sizeof k);
    k.type = INPUT_KEYBOARD;
    if (alt) {
        k.ki.wVk = VK_MENU;
        in.push_back(k);
    }
    k.ki.wVk = vk;
    k.ki.dwFlags = 0;
    in.push_back(k);
    k.ki.dwFlags = KEYEVENTF_KEYUP;
    in.push_back(k);
    if (alt) {
        k.ki.wVk = VK_MENU;
        in.push_back(k);
    }
    for (INPUT &i : in) {
        SendInput(1, &i, sizeof(INPUT));
        Sleep(20);
    }
    Sleep(100);
}

static std::string Describe(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    return Fmt("%d\t%s\tvisible=%d enabled=%d\t%ld,%ld,%ld,%ld\t", GetDlgCtrlID(w), ClassOf(w).c_str(),
               IsWindowVisible(w) ? 1 : 0, IsWindowEnabled(w) ? 1 : 0, r.left, r.top, r.right, r.bottom) +
           WindowText(w);
}

// For the wizard scenarios: "command ID" posts WM_COMMAND (ID, notification 0, no control) to the
// current window's top-level window, the way a page posts Continue (101) or Cancel (102) to the
// frame; it reaches the frame even while the button itself is disabled or hidden.
static bool PostCommand(HWND current, long id, std::string &out)
{
    if (!PostMessageA(GetAncestor(current, GA_ROOT), WM_COMMAND, MAKEWPARAM(id, 0), 0)) {
        out = Fmt("PostMessage failed, error %lu", GetLastError());
        return false;
    }
    Sleep(100);
    return true;
}

static bool Run(const std::vector<std::string> &a, std::string &out)
{
    const std::string &cmd = a[0];
    auto arg = [&](size_t i) -> std::string { return i < a.size() ? a[i] : std::string(); };
    auto num = [&](size_t i, long def) -> long {
        return i < a.size() && !a[i].empty() ? strtol(a[i].c_str(), 0, 0) : def;
    };

    if (cmd == "start") { // command line, working folder (optional)
        STARTUPINFOA si;
        memset(&si, 0, sizeof si);
        si.cb = sizeof si;
        std::string line = arg(1);
        std::string dir = arg(2);
        if (Started.hProcess) {
            CloseHandle(Started.hProcess);
            CloseHandle(Started.hThread);
        }
        memset(&Started, 0, sizeof Started);
        // The program gets standard handles of its own, so that nothing it prints mixes with the
        // driver's replies.
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
        HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 OPEN_EXISTING, 0, NULL);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
        BOOL created =
            CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, dir.empty() ? NULL : dir.c_str(), &si, &Started);
        if (nul != INVALID_HANDLE_VALUE)
            CloseHandle(nul);
        if (!created) {
            out = Fmt("CreateProcess failed, error %lu", GetLastError());
            return false;
        }
        out = Fmt("%lu", Started.dwProcessId);
        return true;
    }
    if (cmd == "wait") { // title, class, timeout ms, any process (1)
        DWORD until = GetTickCount() + num(3, 10000);
        do {
            std::vector<HWND> w = TopWindows(arg(1), arg(2), num(4, 0) ? 0 : TargetPid());
            if (!w.empty()) {
                Current = w[0];
                out = Fmt("%p", (void *)Current);
                return true;
            }
            Sleep(50);
        } while ((LONG)(until - GetTickCount()) > 0);
        out = "no such window";
        return false;
    }
    if (cmd == "gone") { // title, class, timeout: waits until no such window is visible
        DWORD until = GetTickCount() + num(3, 10000);
        do {
            if (TopWindows(arg(1), arg(2), TargetPid()).empty())
                return true;
            Sleep(50);
        } while ((LONG)(until - GetTickCount()) > 0);
        out = "window still there";
        return false;
    }
    if (cmd == "windows") { // visible top-level windows of the started program (or all with 1)
        for (HWND w : TopWindows("", "", num(1, 0) ? 0 : TargetPid()))
            out += Escape(Fmt("%p ", (void *)w) + ClassOf(w) + " " + WindowText(w)) + "\t";
        return true;
    }
    if (cmd == "msgbox") { // timeout: waits for a message box, makes it current; caption, text
        DWORD until = GetTickCount() + num(1, 10000);
        do {
            for (HWND w : TopWindows("", "#32770", TargetPid()))
                if (IsMessageBox(w)) {
                    Current = w;
                    out = Escape(WindowText(w)) + "\t" + Escape(MessageBoxText(w));
                    return true;
                }
            Sleep(50);
        } while ((LONG)(until - GetTickCount()) > 0);
        out = "no message box";
        return false;
    }
    if (cmd == "answer") { // button id of the current dialog (message box: 1 = OK)
        HWND b = GetDlgItem(Current, num(1, IDOK));
        PostMessageA(Current, WM_COMMAND, MAKEWPARAM(num(1, IDOK), BN_CLICKED), (LPARAM)b);
        Sleep(100);
        return true;
    }
    if (cmd == "waitexit") { // timeout: exit code of the started program
        if (!Started.hProcess) {
            out = "nothing started";
            return false;
        }
        if (WaitForSingleObject(Started.hProcess, num(1, 10000)) != WAIT_OBJECT_0) {
            out = "still running";
            return false;
        }
        DWORD code = 0;
        GetExitCodeProcess(Started.hProcess, &code);
        out = Fmt("%lu", code);
        return true;
    }
    if (cmd == "running") {
        out = Started.hProcess && WaitForSingleObject(Started.hProcess, 0) == WAIT_TIMEOUT ? "1" : "0";
        return true;
    }
    if (cmd == "sleep") {
        Sleep(num(1, 100));
        return true;
    }
    if (cmd == "screen") {
        out = Fmt("%d\t%d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return true;
    }
    if (!Current || !IsWindow(Current)) {
        out = "no current window";
        return false;
    }
    if (cmd == "children") {
        for (HWND w : Descendants(Current))
            out += Escape(Describe(w)) + "\t";
        return true;
    }
    if (cmd == "key") { // esc, enter, tab, space, altf4 to the current window's program
        Foreground(GetAncestor(Current, GA_ROOT));
        std::string k = arg(1);
        if (k == "esc")
            Key(VK_ESCAPE, false);
        else if (k == "enter")
            Key(VK_RETURN, false);
        else if (k == "tab")
            Key(VK_TAB, false);
        else if (k == "space")
            Key(VK_SPACE, false);
        else if (k == "altf4")
            Key(VK_F4, true);
        else {
            out = "unknown key";
            return false;
        }
        return true;
    }
    if (cmd == "command")
        return PostCommand(Current, num(1, 0), out);
    if (cmd == "close") { // the title bar's close box
        PostMessageA(GetAncestor(Current, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
        Sleep(100);
        return true;
    }
    HWND c = Control(num(1, 0));
    if (!c) {
        out = "no control " + arg(1);
        return false;
    }
    if (cmd == "text") {
        out = Escape(WindowText(c));
        return true;
    }
    if (cmd == "settext") {
        std::string t = arg(2);
        DWORD_PTR r;
        SendMessageTimeoutA(c, WM_SETTEXT, 0, (LPARAM)t.c_str(), SMTO_ABORTIFHUNG, 5000, &r);
        return true;
    }
    if (cmd == "state") {
        DWORD_PTR checked = 0;
        if (ClassOf(c) == "Button")
            SendMessageTimeoutA(c, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &checked);
        out = Fmt("enabled=%d visible=%d checked=%d", IsWindowEnabled(c) ? 1 : 0, IsWindowVisible(c) ? 1 : 0,
                  (int)checked);
        return true;
    }
    if (cmd == "click") { // a real mouse click in the middle of the control
        MouseClick(c);
        return true;
    }
    if (cmd == "postclick") { // BM_CLICK without the mouse
        PostMessageA(c, BM_CLICK, 0, 0);
        Sleep(100);
        return true;
    }
    if (cmd == "rect") { // window rect; client rect in screen coordinates
        RECT r, cr;
        GetWindowRect(c, &r);
        GetClientRect(c, &cr);
        POINT p = {0, 0};
        ClientToScreen(c, &p);
        out = Fmt("%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld", r.left, r.top, r.right, r.bottom, p.x, p.y, p.x + cr.right,
                  p.y + cr.bottom);
        return true;
    }
    if (cmd == "font") { // face, height, weight of the control's font
        DWORD_PTR f = 0;
        SendMessageTimeoutA(c, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, 5000, &f);
        LOGFONTA lf;
        memset(&lf, 0, sizeof lf);
        if (!f || !GetObjectA((HFONT)f, sizeof lf, &lf)) {
            out = "font unreadable";
            return false;
        }
        out = Fmt("%s\t%ld\t%ld", lf.lfFaceName, lf.lfHeight, lf.lfWeight);
        return true;
    }
    if (cmd == "progress") { // position, low, high of a progress bar
        DWORD_PTR pos = 0, lo = 0, hi = 0;
        SendMessageTimeoutA(c, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &pos);
        SendMessageTimeoutA(c, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &lo);
        SendMessageTimeoutA(c, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &hi);
        out = Fmt("%d\t%d\t%d", (int)pos, (int)lo, (int)hi);
        return true;
    }
    out = "unknown command " + cmd;
    return false;
}

int main()
{
    setvbuf(stdout, NULL, _IONBF, 0);
    char line[65536];
    while (fgets(line, sizeof line, stdin)) {
        size_t n = strlen(line);
        while (n && (line[n - 1] == '\n' || line[n - 1] == '\r'))
            line[--n] = 0;
        if (!n)
            continue;
        std::vector<std::string> args;
        std::string field;
        for (size_t i = 0; i <= n; i++) {
            if (i == n || line[i] == '\t') {
                args.push_back(Unescape(field));
                field.clear();
            } else {
                field += line[i];
            }
        }
        if (args[0] == "quit")
            break;
        std::string out;
        bool ok = Run(args, out);
        printf("%s\t%s\n", ok ? "ok" : "err", out.c_str());
    }
    return 0;
}
