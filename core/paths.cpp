#include "core/paths.h"

#include <string.h>

#include "core/product.h"

bool CopyText(char *dst, const char *src, size_t size)
{
    size_t len = strlen(src);
    if (len < size) {
        memcpy(dst, src, len + 1);
        return true;
    }
    memcpy(dst, src, size - 1);
    dst[size - 1] = 0;
    return false;
}

bool AppendText(char *dst, const char *src, size_t size)
{
    size_t have = strlen(dst);
    size_t add = strlen(src);
    if (have + add >= size)
        return false;
    memcpy(dst + have, src, add + 1);
    return true;
}

bool PathJoin(char *out, const char *folder, const char *name)
{
    size_t folderLen = strlen(folder);
    size_t nameLen = strlen(name);
    bool slash = folderLen == 0 || folder[folderLen - 1] != '\\';
    size_t total = folderLen + (slash ? 1 : 0) + nameLen;
    if (total + 2 > PATH_SIZE) {
        out[0] = 0;
        out[1] = 0;
        return false;
    }
    // memmove: a caller may join into the buffer that holds the folder.
    memmove(out, folder, folderLen);
    size_t at = folderLen;
    if (slash)
        out[at++] = '\\';
    memmove(out + at, name, nameLen);
    at += nameLen;
    out[at] = 0;
    out[at + 1] = 0;
    return true;
}
