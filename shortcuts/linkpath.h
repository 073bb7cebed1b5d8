// The file path of a shell link. Plain logic, no platform calls.
#pragma once
#include <stddef.h>

// Writes folder, backslash, group, backslash, name and ".lnk" into out (size bytes), ended with
// two NUL bytes. A backslash is added only where the text built so far does not already end in
// one, so an empty group adds nothing. A path that would not fit is never cut: out is left empty
// and the call returns false.
bool BuildLinkPath(char *out, size_t size, const char *folder, const char *group, const char *name);
