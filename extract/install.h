// The file installation pass and the folder operations it owns.
#pragma once
#include <windows.h>

// Writes every applicable row into its folder; false (after telling the user) when a file fails.
bool InstallFiles(HWND page);
// Creates every missing folder of an absolute path that begins with a drive root.
void CreateFolderChain(const char *path);
// Deletes every file in folder and its subfolders; keeps the folders.
void ClearFolder(const char *folder);
