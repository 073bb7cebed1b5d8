#include "resources/payloads/pad_text.h"

#include <string.h>

bool PadHasNul(const char *bytes, size_t length)
{
    return memchr(bytes, 0, length) != NULL;
}

size_t PadTextLength(const char *bytes, size_t length)
{
    size_t total = length;
    for (size_t i = 0; i < length; i++)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            total++;
    return total;
}

bool PadTextFromBytes(const char *bytes, size_t length, char *out, size_t size)
{
    if (PadTextLength(bytes, length) >= size)
        return false;
    size_t at = 0;
    for (size_t i = 0; i < length; i++) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            out[at++] = '\r';
        out[at++] = bytes[i];
    }
    out[at] = 0;
    return true;
}
