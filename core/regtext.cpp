#include "core/regtext.h"

bool TerminateRegText(char *buffer, uint32_t size, uint32_t got)
{
    if (size == 0)
        return false;
    if (got > size) {
        buffer[0] = 0;
        return false;
    }
    if (got > 0 && buffer[got - 1] == 0)
        return true;
    if (got == size) {
        buffer[0] = 0;
        return false;
    }
    buffer[got] = 0;
    return true;
}
