// QLRemove.exe: the product's remover, installed into the Windows folder and named by the
// uninstall entry. It removes exactly what setup made: the files of setup's own file table
// (core/product.cpp) in the folders that setup recorded, the Start-menu group and desktop links,
// and the registry entries; then it has itself deleted at the next start of Windows.
//
// Exit code: 0 removed, 1 nothing installed, 2 cancelled, 3 product running, 4 some parts could
// not be removed, 5 no administrator rights.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdarg.h>

#include "core/paths.h"
#include "core/product.h"
#include "resources/payloads/product_reg.h"
#include "resources/payloads/remove_rules.h"
#include "shortcuts/linkpath.h"

enum { TEXT_SIZE = 1024 };

// The folder that setup's default install folder puts between Program Files and the product.
static const char MakerFolder[] = "Yltera";

struct RemovalRecord {
    char Title[64];          // "YLTERA Quillith", the caption and the product in every message
    char Group[PATH_SIZE];   // the Start-menu group, relative to the programs folders
    bool HasFolder;          // a usable install folder was recorded (in ProductInfo.InstallDir)
    char Self[PATH_SIZE];    // this program's own file
    bool SelfInstalled;      // this program is the remover that setup installed
    char Failed[PATH_SIZE];  // the first item that could not be removed
    bool FolderKept;         // the install folder holds files of the user's own
    bool SelfScheduleFailed; // the deletion at the next start could not be arranged
};

static RemovalRecord Removal;

// Builds a text from NULL-terminated pieces into out (size bytes).
static void Compose(char *out, size_t size, const char *first, ...)
{
    CopyText(out, first, size);
    va_list pieces;
    va_start(pieces, first);
    for (const char *p = va_arg(pieces, const char *); p; p = va_arg(pieces, const char *))
        AppendText(out, p, size);
    va_end(pieces);
}

static int Say(const char *text, UINT style)
{
    return MessageBoxA(NULL, text, Removal.Title, style | MB_SETFOREGROUND);
}

static bool Exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static void NoteFailure(const char *item)
{
    if (!Removal.Failed[0])
        CopyText(Removal.Failed, item, sizeof Removal.Failed);
}

// Reads what setup recorded. False when nothing of the product is registered.
static bool ReadRecord()
{
    Compose(Removal.Title, sizeof Removal.Title, ProductInfo.Publisher, " ", ProductInfo.Name, NULL);
    char entry[256];
    ProductSubkey(entry, sizeof entry, UninstallListPath);
    char folder[PATH_SIZE], path[PATH_SIZE];
    bool hasValue = ReadInstalledText(ProductKeyPath, ProductInfo.Name, folder, sizeof folder);
    HKEY key;
    bool hasEntry = RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (hasEntry)
        RegCloseKey(key);
    if (!hasValue && !hasEntry)
        return false;

    // The product key's value is the folder setup used; the entry's copy stands in when it is gone.
    if (!IsInstallFolder(folder) && ReadInstalledText(entry, "Program Path", path, sizeof path))
        CopyText(folder, path, sizeof folder);
    Removal.HasFolder = IsInstallFolder(folder);
    if (Removal.HasFolder)
        CopyText(ProductInfo.InstallDir, folder, sizeof ProductInfo.InstallDir);

    if (!ReadInstalledText(entry, "Program Group", Removal.Group, sizeof Removal.Group) || !IsGroupPath(Removal.Group))
        CopyText(Removal.Group, ProductInfo.Group, sizeof Removal.Group);

    UINT len = GetWindowsDirectoryA(ProductInfo.WindowsDir, sizeof ProductInfo.WindowsDir);
    if (len == 0 || len >= sizeof ProductInfo.WindowsDir)
        ProductInfo.WindowsDir[0] = 0;
    len = GetSystemDirectoryA(ProductInfo.SystemDir, sizeof ProductInfo.SystemDir);
    if (len == 0 || len >= sizeof ProductInfo.SystemDir)
        ProductInfo.SystemDir[0] = 0;
    len = GetModuleFileNameA(NULL, Removal.Self, sizeof Removal.Self);
    if (len == 0 || len >= sizeof Removal.Self)
        Removal.Self[0] = 0;
    return true;
}

// True when the user may change the keys setup wrote (setup itself needs the same rights).
static bool MayChangeRegistry()
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallListPath, 0, KEY_ALL_ACCESS, &key);
    if (result == ERROR_SUCCESS)
        RegCloseKey(key);
    return result != ERROR_ACCESS_DENIED;
}

// The same file compared by its long or its short (8.3) name.
static bool SameFile(const char *a, const char *b)
{
    if (lstrcmpiA(a, b) == 0)
        return true;
    char shortA[MAX_PATH], shortB[MAX_PATH];
    DWORD la = GetShortPathNameA(a, shortA, sizeof shortA);
    DWORD lb = GetShortPathNameA(b, shortB, sizeof shortB);
    return la && la < sizeof shortA && lb && lb < sizeof shortB && lstrcmpiA(shortA, shortB) == 0;
}

// The installed path of a row into out; false when the row is never written or its folder is
// unknown. Both builds of a file count, whichever Windows setup ran on.
static bool RowPath(const FileEntry *row, char *out)
{
    if (!(row->Flags & (FE_VARIANT_98 | FE_VARIANT_XP)))
        return false;
    const char *folder = EntryTargetFolder(row);
    if (folder == ProductInfo.InstallDir && !Removal.HasFolder)
        return false;
    return folder[0] && PathJoin(out, folder, row->FileName);
}

// The file a row's link points to, as setup made it.
static bool LinkTarget(const FileEntry *row, char *out)
{
    const char *folder = (row->Flags & FE_IN_INSTALL_DIR) ? ProductInfo.InstallDir : ProductInfo.WindowsDir;
    if (folder == ProductInfo.InstallDir && !Removal.HasFolder)
        return false;
    return PathJoin(out, folder, row->FileName);
}

// The same test setup makes before it replaces files: a file that another program holds open
// without sharing. The remover's own file is open too, and is not a sign of the product running.
static bool FindFileInUse(char *found)
{
    for (int i = 0; i < ProductInfo.FileCount; i++) {
        char path[PATH_SIZE];
        if (!RowPath(&ProductInfo.Files[i], path) || (Removal.Self[0] && SameFile(path, Removal.Self)))
            continue;
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
            CopyText(found, path, PATH_SIZE);
            return true;
        }
    }
    return false;
}

static void DeleteItem(const char *path)
{
    if (!Exists(path))
        return;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(path) && Exists(path))
        NoteFailure(path);
}

// False only when the link was read and points somewhere else: a link of that name that the user
// made for another file is not setup's. A link that cannot be read is taken by its name.
static bool LinkPointsTo(const char *linkPath, const char *target, bool comReady)
{
    if (!comReady)
        return true;
    IShellLinkA *link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link)))
        return true;
    bool same = true;
    IPersistFile *file = NULL;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
        WCHAR wide[512];
        char got[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, 512) && SUCCEEDED(file->Load(wide, STGM_READ)) &&
            link->GetPath(got, sizeof got, NULL, SLGP_RAWPATH) == S_OK)
            same = SameFile(got, target);
        file->Release();
    }
    link->Release();
    return same;
}

static bool SpecialFolder(int csidl, char *out)
{
    out[0] = 0;
    LPITEMIDLIST list = NULL;
    if (SHGetSpecialFolderLocation(NULL, csidl, &list) != S_OK)
        return false;
    char path[MAX_PATH] = "";
    bool ok = SHGetPathFromIDListA(list, path) && IsInstallFolder(path);
    CoTaskMemFree(list);
    return ok && CopyText(out, path, PATH_SIZE);
}

static void RemoveLink(const char *folder, const char *group, const FileEntry *row, bool comReady)
{
    char link[PATH_SIZE], target[PATH_SIZE];
    if (!BuildLinkPath(link, sizeof link, folder, group, row->ShortcutName) || !Exists(link))
        return;
    if (LinkTarget(row, target) && !LinkPointsTo(link, target, comReady))
        return;
    DeleteItem(link);
}

// The group links below one programs folder, then the group's folders as far as they are empty.
static void RemoveGroup(int csidl, bool comReady)
{
    char programs[PATH_SIZE], folder[PATH_SIZE];
    if (!SpecialFolder(csidl, programs) || !PathJoin(folder, programs, Removal.Group))
        return;
    for (int i = 0; i < ProductInfo.FileCount; i++)
        if (ProductInfo.Files[i].ShortcutName[0] != '-')
            RemoveLink(programs, Removal.Group, &ProductInfo.Files[i], comReady);
    for (int depth = GroupDepth(Removal.Group); depth > 0; depth--) {
        if (!RemoveDirectoryA(folder))
            break;
        CutLastName(folder);
    }
}

static void RemoveDesktopLink(int csidl, bool comReady)
{
    char desktop[PATH_SIZE];
    if (SpecialFolder(csidl, desktop))
        RemoveLink(desktop, "", &ProductInfo.Files[1], comReady);
}

static void RemoveLinks()
{
    // The remover runs on its own thread with nothing else of COM, so S_OK is the answer to expect.
    bool comReady = SUCCEEDED(CoInitialize(NULL));
    RemoveGroup(CSIDL_PROGRAMS, comReady);
    RemoveGroup(CSIDL_COMMON_PROGRAMS, comReady);
    RemoveDesktopLink(CSIDL_DESKTOPDIRECTORY, comReady);
    RemoveDesktopLink(CSIDL_COMMON_DESKTOPDIRECTORY, comReady);
    if (comReady)
        CoUninitialize();
}

static void RemoveFiles()
{
    for (int i = 0; i < ProductInfo.FileCount; i++) {
        char path[PATH_SIZE];
        if (!RowPath(&ProductInfo.Files[i], path))
            continue;
        if (Removal.Self[0] && SameFile(path, Removal.Self)) {
            Removal.SelfInstalled = true;
            continue;
        }
        DeleteItem(path);
    }
    if (!Removal.HasFolder || !Exists(ProductInfo.InstallDir))
        return;
    if (!RemoveDirectoryA(ProductInfo.InstallDir)) {
        Removal.FolderKept = true;
        return;
    }
    // The maker's folder of the default install folder goes too once nothing else is in it.
    char parent[PATH_SIZE];
    CopyText(parent, ProductInfo.InstallDir, sizeof parent);
    if (CutLastName(parent) && lstrcmpiA(LastName(parent), MakerFolder) == 0)
        RemoveDirectoryA(parent);
}

// Deletes parent\child when the key holds no value and no subkey.
static void DeleteKeyIfEmpty(const char *parent, const char *child)
{
    char path[256];
    Compose(path, sizeof path, parent, "\\", child, NULL);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    LONG result = RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || subkeys || values)
        return;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteKeyA(key, child);
        RegCloseKey(key);
    }
}

static void RemoveRegistry()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKeyPath, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, ProductInfo.Name);
        RegDeleteKeyA(key, ProductInfo.Name);
        RegCloseKey(key);
    }
    // Other products of the maker keep their values, and with them the maker's keys.
    DeleteKeyIfEmpty(MakerKeyPath, LastName(ProductKeyPath));
    DeleteKeyIfEmpty("Software", LastName(MakerKeyPath));
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallListPath, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteKeyA(key, ProductInfo.Name);
        RegCloseKey(key);
    }
}

static bool ReadWholeFile(const char *path, char *out, DWORD size, DWORD *got)
{
    *got = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    DWORD high = 0, length = GetFileSize(file, &high);
    bool ok = length != INVALID_FILE_SIZE && high == 0 && length < size && ReadFile(file, out, length, got, NULL) &&
              *got == length;
    CloseHandle(file);
    return ok;
}

// Windows 95, 98 and Me delete the files named in WININIT.INI's [rename] section as "NUL=" lines,
// by their short names, when they start.
static bool ScheduleByWininit(const char *self)
{
    char shortPath[MAX_PATH], ini[PATH_SIZE];
    DWORD len = GetShortPathNameA(self, shortPath, sizeof shortPath);
    if (len == 0 || len >= sizeof shortPath || !PathJoin(ini, ProductInfo.WindowsDir, "WININIT.INI"))
        return false;
    enum { INI_LIMIT = 32768 };
    char *old = (char *)HeapAlloc(GetProcessHeap(), 0, INI_LIMIT);
    char *text = (char *)HeapAlloc(GetProcessHeap(), 0, INI_LIMIT + PATH_SIZE + 32);
    DWORD got = 0;
    size_t length = 0;
    bool ok = old && text && ReadWholeFile(ini, old, INI_LIMIT, &got) &&
              AddWininitDelete(old, got, shortPath, text, INI_LIMIT + PATH_SIZE + 32, &length);
    if (ok) {
        HANDLE file = CreateFileA(ini, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        DWORD written = 0;
        ok = file != INVALID_HANDLE_VALUE && WriteFile(file, text, (DWORD)length, &written, NULL) && written == length;
        if (file != INVALID_HANDLE_VALUE)
            ok = CloseHandle(file) && ok;
    }
    if (old)
        HeapFree(GetProcessHeap(), 0, old);
    if (text)
        HeapFree(GetProcessHeap(), 0, text);
    return ok;
}

// A running program's file cannot be deleted: the system deletes it at its next start.
static void ScheduleSelfDeletion()
{
    if (!Removal.SelfInstalled)
        return;
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    bool ok = version.dwPlatformId == VER_PLATFORM_WIN32_NT
                  ? MoveFileExA(Removal.Self, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0
                  : ScheduleByWininit(Removal.Self);
    Removal.SelfScheduleFailed = !ok;
}

static int Finish()
{
    char text[TEXT_SIZE];
    if (Removal.Failed[0]) {
        Compose(text, sizeof text, "Some parts of ", Removal.Title, " could not be removed, for example:\r\n",
                Removal.Failed,
                "\r\n\r\nIts entry in the list of installed programs was kept, so that you can "
                "run the removal again once the item can be deleted.",
                NULL);
        Say(text, MB_OK | MB_ICONEXCLAMATION);
        return 4;
    }
    Compose(text, sizeof text, Removal.Title, " was removed from your computer.", NULL);
    if (Removal.FolderKept)
        Compose(text + lstrlenA(text), sizeof text - lstrlenA(text), "\r\n\r\nThe folder ", ProductInfo.InstallDir,
                " was kept because it holds files that were not installed with ", ProductInfo.Name, ".", NULL);
    if (Removal.SelfScheduleFailed)
        Compose(text + lstrlenA(text), sizeof text - lstrlenA(text), "\r\n\r\nThe removal program ", Removal.Self,
                " could not arrange to be deleted when Windows restarts; you may delete it yourself.", NULL);
    Say(text, MB_OK | MB_ICONINFORMATION);
    return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char text[TEXT_SIZE];
    if (!ReadRecord()) {
        Compose(text, sizeof text, Removal.Title, " is not installed on this computer, so there is nothing to remove.",
                NULL);
        Say(text, MB_OK | MB_ICONINFORMATION);
        return 1;
    }
    if (!MayChangeRegistry()) {
        Compose(text, sizeof text, "Only an administrator can remove ", Removal.Title, ". Nothing has been removed.",
                NULL);
        Say(text, MB_OK | MB_ICONEXCLAMATION);
        return 5;
    }
    Compose(text, sizeof text, "Do you want to remove ", Removal.Title,
            " and all of its components from this computer?", NULL);
    if (Say(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 2;
    char inUse[PATH_SIZE];
    if (FindFileInUse(inUse)) {
        Compose(text, sizeof text, Removal.Title, " cannot be removed while it is running: the file\r\n", inUse,
                "\r\nis in use. Please close ", ProductInfo.Name, " and try again. Nothing has been removed.", NULL);
        Say(text, MB_OK | MB_ICONEXCLAMATION);
        return 3;
    }
    RemoveLinks();
    RemoveFiles();
    if (!Removal.Failed[0]) {
        RemoveRegistry();
        ScheduleSelfDeletion();
    }
    return Finish();
}
