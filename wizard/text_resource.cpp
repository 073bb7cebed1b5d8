#include "wizard/text_resource.h"

#include <string.h>

size_t TextResourceLength(const char *data, size_t size)
{
    static const char terminator[5] = {'\r', '\n', '.', '\r', '\n'};
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0)
            return i;
        if (size - i >= sizeof terminator && memcmp(data + i, terminator, sizeof terminator) == 0)
            return i;
    }
    return size;
}
