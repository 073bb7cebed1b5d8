#include "shortcuts/linkpath.h"

#include <string.h>

// Appends len bytes of src at *at when they fit below limit; false (nothing written) otherwise.
static bool Put(char *out, size_t limit, size_t *at, const char *src, size_t len)
{
    if (len > limit - *at)
        return false;
    memcpy(out + *at, src, len);
    *at += len;
    return true;
}

// Adds a backslash unless the text built so far ends in one (an empty text does not).
static bool PutSeparator(char *out, size_t limit, size_t *at)
{
    if (*at > 0 && out[*at - 1] == '\\')
        return true;
    return Put(out, limit, at, "\\", 1);
}

bool BuildLinkPath(char *out, size_t size, const char *folder, const char *group, const char *name)
{
    if (size < 2) {
        if (size == 1)
            out[0] = 0;
        return false;
    }
    // Room for the text itself; the last two bytes are kept for the two NULs.
    size_t limit = size - 2;
    size_t at = 0;
    bool fits = Put(out, limit, &at, folder, strlen(folder)) && PutSeparator(out, limit, &at) &&
                Put(out, limit, &at, group, strlen(group)) && PutSeparator(out, limit, &at) &&
                Put(out, limit, &at, name, strlen(name)) && Put(out, limit, &at, ".lnk", 4);
    if (!fits)
        at = 0;
    out[at] = 0;
    out[at + 1] = 0;
    return fits;
}
