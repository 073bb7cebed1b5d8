// What setup recorded about the installed product, as the product's own programs read it.
#pragma once
#include <windows.h>

// Below HKEY_LOCAL_MACHINE: the maker's key with one value and one subkey per product, and the
// system's list of installed programs with the product's entry.
extern const char MakerKeyPath[];
extern const char ProductKeyPath[];
extern const char UninstallListPath[];

// Reads a text value below HKEY_LOCAL_MACHINE into out (size bytes). False, with an empty text,
// when the key or value is missing, is not a text, or does not fit.
bool ReadInstalledText(const char *keyPath, const char *value, char *out, DWORD size);

// The product's key path inside a list ("<list>\Quillith") into out (size bytes).
bool ProductSubkey(char *out, DWORD size, const char *list);
