#include "extract/install.h"

// Placeholder until the file pass lands.
bool InstallFiles(HWND)
{
    return false;
}
void CreateFolderChain(const char *) {}
void ClearFolder(const char *) {}
