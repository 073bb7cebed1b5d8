// Rules of the remover that need no platform: which recorded paths it trusts, and how it asks
// Windows 95, 98 and Me to delete it at the next start. Plain logic, no platform calls.
#pragma once
#include <stddef.h>

// True when path names a folder below a drive root: "X:\" and at least one name after it. Only
// such a recorded install folder is used; an empty or relative one would aim the removal at the
// current folder or a drive root.
bool IsInstallFolder(const char *path);

// True when group is a relative path of one or more names below the Start-menu programs folder:
// not empty, no drive, no leading, trailing or doubled backslash, no name of dots only.
bool IsGroupPath(const char *group);

// Number of names in a group path that IsGroupPath accepts ("YLTERA\Quillith" has 2).
int GroupDepth(const char *group);

// Cuts the last name off path in place ("C:\A\B" becomes "C:\A"); false, leaving path as it is,
// when only the drive root is left.
bool CutLastName(char *path);

// The last name of a path (the whole text when it has no backslash).
const char *LastName(const char *path);

// Adds the line "NUL=<path>" to the [rename] section of a WININIT.INI text (length bytes, may be
// empty), which makes Windows 95, 98 and Me delete the file at their next start. The line goes
// right after the section's header, or a new section is added at the end; other programs' lines
// stay as they are, and a text that already has the line is kept unchanged. Writes the new text
// into out (size bytes) and its length into *outLength; false when it does not fit.
bool AddWininitDelete(const char *ini, size_t length, const char *path, char *out, size_t size, size_t *outLength);
