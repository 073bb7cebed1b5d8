// The bounded text formatter of the product: printf formats into a fixed buffer.
#pragma once
#include <stddef.h>

// Formats into out (size bytes, size >= 1); the result is always NUL-terminated, and a text that
// does not fit is cut at size - 1 characters. Returns true when the whole text fitted.
bool FormatText(char *out, size_t size, const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 3, 4)))
#endif
    ;
