#include "resources/payloads/product_reg.h"

#include "core/paths.h"
#include "core/product.h"
#include "core/regtext.h"

const char MakerKeyPath[] = "Software\\Yltera";
const char ProductKeyPath[] = "Software\\Yltera\\Programs";
const char UninstallListPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool ReadInstalledText(const char *keyPath, const char *value, char *out, DWORD size)
{
    out[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, got = size;
    LONG result = RegQueryValueExA(key, value, NULL, &type, (BYTE *)out, &got);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) {
        out[0] = 0;
        return false;
    }
    return TerminateRegText(out, size, got);
}

bool ProductSubkey(char *out, DWORD size, const char *list)
{
    return CopyText(out, list, size) && AppendText(out, "\\", size) && AppendText(out, ProductInfo.Name, size);
}
