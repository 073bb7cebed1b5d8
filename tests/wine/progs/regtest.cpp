// Runs the registry operations, the start-up checks and the shared helpers of setup and prints what
// they did.
//   regtest read                       ReadPreviousInstallPath, then what start-up makes of it
//   regtest setvalue TEXT [nonul]      stores the product's folder value (without its NUL if asked)
//   regtest protect KEY                lets everyone read KEY (below HKLM) but not change it
//   regtest probe                      ProbeAdminRights
//   regtest register [install=DIR] [windir=DIR]   start-up, then RegisterProduct, then dump
//   regtest dump                       every value of the product's keys, read back
//   regtest init [split] [hold=PATH] [probe=PATH]   InitializeSetup and its results; split gives
//                                      the two builds of the main program distinct names, probe
//                                      shows the error a writer of PATH gets
//   regtest attrib PATH readonly|normal
//   regtest gdi                        ReleaseGdiObjects on three live objects
//   regtest pump                       PumpMessagesFor on a window, its child and another window
//   regtest exists PATH...             PathExists of each path
//   regtest hold PATH EVENT            (child) holds PATH open without sharing until killed
// Output lines are name=value, or tab-separated fields for read-back values.
#include <stdio.h>
#include <string.h>

#include "core/paths.h"
#include "core/registry.h"
#include "core/startup.h"
#include "core/state.h"

static const char ProductKey[] = "Software\\Yltera\\Programs";
static const char UninstallEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillith";

static const char *Option(int argc, char **argv, const char *name)
{
    size_t len = strlen(name);
    for (int i = 2; i < argc; i++)
        if (strncmp(argv[i], name, len) == 0 && argv[i][len] == '=')
            return argv[i] + len + 1;
    return NULL;
}

static bool Flag(int argc, char **argv, const char *name)
{
    for (int i = 2; i < argc; i++)
        if (strcmp(argv[i], name) == 0)
            return true;
    return false;
}

// Prints bytes as text, with NUL bytes shown as \0 so that the stored terminator is visible.
static void PrintBytes(const BYTE *data, DWORD count)
{
    for (DWORD i = 0; i < count; i++) {
        if (data[i] == 0)
            fputs("\\0", stdout);
        else
            putchar(data[i]);
    }
}

// What the registry itself hands back for the folder value in a buffer of the slot's size.
static void PrintRawQuery()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    BYTE data[PATH_SIZE + 8];
    memset(data, '#', sizeof data);
    DWORD count = PATH_SIZE;
    LONG r = RegQueryValueExA(key, ProductInfo.Name, NULL, NULL, data, &count);
    RegCloseKey(key);
    printf("raw_result=%ld\nraw_count=%lu\nraw_nul_after=%d\n", r, count,
           r == ERROR_SUCCESS && count < PATH_SIZE && data[count] == 0);
}

static int ReadCommand()
{
    PrintRawQuery();
    char buffer[PATH_SIZE + 8];
    memset(buffer, '#', sizeof buffer);
    bool result = ReadPreviousInstallPath(buffer, PATH_SIZE);
    bool intact = true;
    for (size_t i = PATH_SIZE; i < sizeof buffer; i++)
        intact = intact && buffer[i] == '#';
    bool terminated = memchr(buffer, 0, PATH_SIZE) != NULL;
    printf("result=%d\nterminated=%d\nintact=%d\n", result, terminated, intact);
    if (terminated)
        printf("text=%s\n", buffer);
    InitializeSetup();
    printf("InstallDir=%s\n", ProductInfo.InstallDir);
    return 0;
}

static int SetValueCommand(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    // Without its NUL, the byte after the text is not a NUL either: the system adds a NUL the
    // caller forgot to count when one happens to follow the data.
    static char text[4096];
    size_t len = strlen(argv[2]);
    if (len + 2 > sizeof text)
        return 2;
    memcpy(text, argv[2], len + 1);
    DWORD count = (DWORD)len + 1;
    if (Flag(argc, argv, "nonul")) {
        text[len] = '#';
        count = (DWORD)len;
    }
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return 3;
    LONG r = RegSetValueExA(key, ProductInfo.Name, 0, REG_SZ, (const BYTE *)text, count);
    RegCloseKey(key);
    printf("set=%ld\nbytes=%lu\n", r, count);
    return r == ERROR_SUCCESS ? 0 : 3;
}

// Everyone may read the key; changing it, its values or its subkeys is refused, as for a user
// without administrator rights.
static int ProtectCommand(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return 3;
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID everyone;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return 3;
    BYTE aclBuffer[256];
    PACL acl = (PACL)aclBuffer;
    const DWORD denied = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;
    bool ok = InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
              AddAccessDeniedAce(acl, ACL_REVISION, denied, everyone) &&
              AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
    SECURITY_DESCRIPTOR sd;
    ok = ok && InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    LONG r = ok ? RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) : -1;
    RegCloseKey(key);
    FreeSid(everyone);
    // What the protection does to a caller that asks for full access.
    LONG reopen = RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, KEY_ALL_ACCESS, &key);
    if (reopen == ERROR_SUCCESS)
        RegCloseKey(key);
    char child[512];
    snprintf(child, sizeof child, "%s\\regtest-child", argv[2]);
    HKEY sub;
    LONG create = RegCreateKeyExA(HKEY_LOCAL_MACHINE, child, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &sub, NULL);
    printf("protect=%ld\nreopen=%ld\ncreatesub=%ld\n", r, reopen, create);
    if (create == ERROR_SUCCESS) {
        RegCloseKey(sub);
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegDeleteKeyA(key, "regtest-child");
            RegCloseKey(key);
        }
    }
    return r == ERROR_SUCCESS ? 0 : 3;
}

// Enumerates the values of one key and reads each back by name.
static void DumpKey(const char *label, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        printf("key\t%s\tmissing\n", label);
        return;
    }
    printf("key\t%s\tpresent\n", label);
    for (DWORD i = 0;; i++) {
        char name[256];
        DWORD nameLen = sizeof name;
        if (RegEnumValueA(key, i, name, &nameLen, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        BYTE data[1024];
        DWORD type = 0;
        DWORD count = sizeof data;
        LONG r = RegQueryValueExA(key, name, NULL, &type, data, &count);
        printf("value\t%s\t%s\t%ld\t%lu\t%lu\t", label, name, r, type, count);
        if (r == ERROR_SUCCESS)
            PrintBytes(data, count);
        putchar('\n');
    }
    RegCloseKey(key);
}

static int DumpCommand()
{
    DumpKey("product", ProductKey);
    DumpKey("version", "Software\\Yltera\\Programs\\Quillith");
    DumpKey("uninstall", UninstallEntry);
    return 0;
}

static int RegisterCommand(int argc, char **argv)
{
    InitializeSetup();
    const char *install = Option(argc, argv, "install");
    const char *windir = Option(argc, argv, "windir");
    if (install)
        CopyText(ProductInfo.InstallDir, install, PATH_SIZE);
    if (windir)
        CopyText(ProductInfo.WindowsDir, windir, PATH_SIZE);
    RegisterProduct();
    return DumpCommand();
}

static void PrintState()
{
    printf("InstallDir=%s\nWindowsDir=%s\nSystemDir=%s\n", ProductInfo.InstallDir, ProductInfo.WindowsDir,
           ProductInfo.SystemDir);
    printf("NotAdministrator=%d\nFilesInUse=%d\n", SetupState.NotAdministrator, SetupState.FilesInUse);
}

// Starts this program again to hold path open without sharing; returns the child, or NULL.
static HANDLE StartHolder(const char *path)
{
    static const char eventName[] = "regtest-holding";
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, eventName);
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    char line[3 * MAX_PATH];
    snprintf(line, sizeof line, "\"%s\" hold \"%s\" %s", self, path, eventName);
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        CloseHandle(ready);
        return NULL;
    }
    CloseHandle(pi.hThread);
    HANDLE both[2] = {ready, pi.hProcess};
    DWORD w = WaitForMultipleObjects(2, both, FALSE, 30000);
    CloseHandle(ready);
    if (w != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        return NULL;
    }
    return pi.hProcess;
}

static int HoldCommand(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    HANDLE file = CreateFileA(argv[2], GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    if (!ready)
        return 3;
    SetEvent(ready);
    Sleep(60000); // the parent ends this process once it has looked
    CloseHandle(file);
    return 0;
}

static int InitCommand(int argc, char **argv)
{
    if (Flag(argc, argv, "split")) {
        // Distinct names for the two builds of the main program, so that which of them the
        // probe opens can be seen.
        CopyText(ProductInfo.Files[1].FileName, "Quillith98.exe", sizeof ProductInfo.Files[1].FileName);
        CopyText(ProductInfo.Files[2].FileName, "QuillithXP.exe", sizeof ProductInfo.Files[2].FileName);
    }
    HANDLE holder = NULL;
    const char *hold = Option(argc, argv, "hold");
    if (hold && !(holder = StartHolder(hold))) {
        printf("holder failed\n");
        return 3;
    }
    printf("class=%d\n", GetWinVersionClass());
    InitializeSetup();
    PrintState();
    const char *probe = Option(argc, argv, "probe");
    if (probe) {
        // The error a writer gets, to show which failure the start-up probe met.
        HANDLE f = CreateFileA(probe, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        printf("open_error=%lu\n", f == INVALID_HANDLE_VALUE ? GetLastError() : 0);
        if (f != INVALID_HANDLE_VALUE)
            CloseHandle(f);
    }
    if (holder) {
        TerminateProcess(holder, 0);
        WaitForSingleObject(holder, 10000);
        CloseHandle(holder);
    }
    return 0;
}

static int AttribCommand(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    DWORD attributes = strcmp(argv[3], "readonly") == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(argv[2], attributes) ? 0 : 3;
}

static int GdiCommand()
{
    HDC screen = GetDC(NULL);
    SetupState.HeaderBitmap = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(NULL, screen);
    SetupState.FixedFont = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH, "Courier");
    SetupState.BoldFont = NULL; // one slot never filled
    HGDIOBJ bitmap = SetupState.HeaderBitmap, font = SetupState.FixedFont;
    printf("before=%lu,%lu\n", GetObjectType(bitmap), GetObjectType(font));
    ReleaseGdiObjects();
    printf("after=%lu,%lu\n", GetObjectType(bitmap), GetObjectType(font));
    printf("handles=%d,%d,%d\n", SetupState.HeaderBitmap != NULL, SetupState.FixedFont != NULL,
           SetupState.BoldFont != NULL);
    ReleaseGdiObjects(); // a second release finds nothing to delete
    printf("again=ok\n");
    return 0;
}

// Counts the WM_APP messages each window gets.
static int Delivered[3];

static LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        Delivered[GetWindowLongPtrA(window, GWLP_USERDATA)]++;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND CountingWindow(int index, HWND parent)
{
    HWND window = CreateWindowExA(0, "regtest-counting", "", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                  parent, NULL, GetModuleHandleA(NULL), NULL);
    SetWindowLongPtrA(window, GWLP_USERDATA, index);
    return window;
}

static int PumpCommand()
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "regtest-counting";
    if (!RegisterClassA(&wc))
        return 3;
    HWND page = CountingWindow(0, NULL);
    HWND child = CountingWindow(1, page);
    HWND other = CountingWindow(2, NULL);
    // Let the windows' own creation messages go first.
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    for (int i = 0; i < 3; i++)
        PostMessageA(page, WM_APP, 0, 0);
    PostMessageA(child, WM_APP, 0, 0);
    PostMessageA(other, WM_APP, 0, 0);
    PumpMessagesFor(page, 0);
    printf("pump0=%d,%d,%d\n", Delivered[0], Delivered[1], Delivered[2]);
    DWORD start = GetTickCount();
    PumpMessagesFor(page, 100);
    DWORD took = GetTickCount() - start;
    printf("pump100=%d,%d,%d\n", Delivered[0], Delivered[1], Delivered[2]);
    printf("pump100_full=%d\n", took >= 100);
    printf("other_waiting=%d\n", PeekMessageA(&msg, other, WM_APP, WM_APP, PM_NOREMOVE) ? 1 : 0);
    DestroyWindow(other);
    DestroyWindow(page);
    return 0;
}

static int ExistsCommand(int argc, char **argv)
{
    for (int i = 2; i < argc; i++)
        printf("exists%d=%d\n", i - 1, PathExists(argv[i]) ? 1 : 0);
    return 0;
}

int main(int argc, char **argv)
{
    setvbuf(stdout, NULL, _IOFBF, 1 << 16);
    if (argc < 2)
        return 2;
    const char *cmd = argv[1];
    int rc = 2;
    if (strcmp(cmd, "read") == 0)
        rc = ReadCommand();
    else if (strcmp(cmd, "setvalue") == 0)
        rc = SetValueCommand(argc, argv);
    else if (strcmp(cmd, "protect") == 0)
        rc = ProtectCommand(argc, argv);
    else if (strcmp(cmd, "probe") == 0) {
        ProbeAdminRights();
        printf("NotAdministrator=%d\n", SetupState.NotAdministrator);
        rc = 0;
    } else if (strcmp(cmd, "register") == 0)
        rc = RegisterCommand(argc, argv);
    else if (strcmp(cmd, "dump") == 0)
        rc = DumpCommand();
    else if (strcmp(cmd, "init") == 0)
        rc = InitCommand(argc, argv);
    else if (strcmp(cmd, "attrib") == 0)
        rc = AttribCommand(argc, argv);
    else if (strcmp(cmd, "gdi") == 0)
        rc = GdiCommand();
    else if (strcmp(cmd, "pump") == 0)
        rc = PumpCommand();
    else if (strcmp(cmd, "exists") == 0)
        rc = ExistsCommand(argc, argv);
    else if (strcmp(cmd, "hold") == 0)
        rc = HoldCommand(argc, argv);
    fflush(stdout);
    return rc;
}
