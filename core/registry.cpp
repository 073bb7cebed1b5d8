#include "core/registry.h"

#include <string.h>

#include "core/format.h"
#include "core/paths.h"
#include "core/regtext.h"
#include "core/state.h"

static const char ProductKeyPath[] = "Software\\Yltera\\Programs";
static const char TestKeyName[] = "YLTERA-TEST";
static const char UninstallListPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

enum { WORK_SIZE = 256 };

// RegCreateKeyExA takes the class as a writable pointer; an empty class, never a null one.
static char EmptyClass[] = "";

static bool CreateKey(HKEY parent, const char *path, HKEY *key)
{
    DWORD disposition;
    return RegCreateKeyExA(parent, path, 0, EmptyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, key,
                           &disposition) == ERROR_SUCCESS;
}

// Every value is a REG_SZ stored with its terminating NUL; a failed write is not looked at.
static void SetText(HKEY key, const char *name, const char *text)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)(strlen(text) + 1));
}

bool ReadPreviousInstallPath(char *buffer, uint32_t size)
{
    buffer[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD got = size;
    LONG result = RegQueryValueExA(key, ProductInfo.Name, NULL, NULL, (BYTE *)buffer, &got);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        // A value too long for the buffer may have left part of itself behind.
        buffer[0] = 0;
        return false;
    }
    // Another program may have stored the folder without its NUL.
    return TerminateRegText(buffer, size, got);
}

void ProbeAdminRights()
{
    char work[WORK_SIZE];
    CopyText(work, ProductKeyPath, sizeof work);
    AppendText(work, "\\", sizeof work);
    AppendText(work, TestKeyName, sizeof work);
    HKEY key;
    if (!CreateKey(HKEY_LOCAL_MACHINE, work, &key)) {
        SetupState.NotAdministrator = 1;
        return;
    }
    RegCloseKey(key);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteKeyA(key, TestKeyName);
    RegCloseKey(key);
}

void RegisterProduct()
{
    char work[WORK_SIZE];
    CopyText(work, ProductKeyPath, sizeof work);
    HKEY key;
    if (CreateKey(HKEY_LOCAL_MACHINE, work, &key)) {
        SetText(key, ProductInfo.Name, ProductInfo.InstallDir);
        HKEY sub;
        if (CreateKey(key, ProductInfo.Name, &sub)) {
            SetText(sub, "Version", ProductInfo.Version);
            RegCloseKey(sub);
        }
        RegCloseKey(key);
    }

    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallListPath, 0, KEY_ALL_ACCESS, &list) != ERROR_SUCCESS)
        return;
    HKEY entry;
    if (!CreateKey(list, ProductInfo.Name, &entry)) {
        RegCloseKey(list);
        return;
    }
    SetText(entry, "DisplayName", ProductInfo.Name);
    FormatText(work, sizeof work, "v%s", ProductInfo.Version);
    SetText(entry, "DisplayVersion", work);
    // Joined by the same rule as the file pass that wrote the remover, so the command names that
    // very file. A Windows folder too long for that join leaves the command out rather than
    // recording a cut path.
    char command[PATH_SIZE];
    if (PathJoin(command, ProductInfo.WindowsDir, ProductInfo.Files[0].FileName))
        SetText(entry, "UninstallString", command);
    SetText(entry, "Program Path", ProductInfo.InstallDir);
    SetText(entry, "Program Group", ProductInfo.Group);
    SetText(entry, "Publisher", ProductInfo.Publisher);
    SetText(entry, "HelpLink", ProductInfo.HelpLink);
    RegCloseKey(entry);
    RegCloseKey(list);
}
