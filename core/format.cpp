// Deliberately includes only C headers: in a C++ translation unit the MinGW C++ headers switch
// printf to MinGW's own locale-aware formatter, which would add imports to setup.exe.
#include "core/format.h"

#include <stdarg.h>
#include <stdio.h>

bool FormatText(char *out, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
#ifdef _WIN32
    // The C runtime's own formatter: returns -1 and leaves the text unterminated when it is cut.
    int n = _vsnprintf(out, size, format, args);
    out[size - 1] = 0;
    bool fitted = n >= 0 && (size_t)n < size;
#else
    int n = vsnprintf(out, size, format, args);
    bool fitted = n >= 0 && (size_t)n < size;
#endif
    va_end(args);
    return fitted;
}
