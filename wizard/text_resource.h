// The extent of a text resource (LICENSE, WELCOME). Plain logic, no platform calls.
#pragma once
#include <stddef.h>

// Number of bytes of data (size bytes) to show: everything before the first line that holds a
// single full stop (CR LF "." CR LF; the CR LF that closes the last text line belongs to it), or
// before a NUL byte, whichever comes first; the whole data when it has neither.
size_t TextResourceLength(const char *data, size_t size);
