// How the writing pad turns a file's bytes into the text of its edit area. Plain logic, no
// platform calls.
#pragma once
#include <stddef.h>

// True when the bytes hold a NUL: the edit area would end the text there, and saving it would cut
// the file, so such a file is not opened.
bool PadHasNul(const char *bytes, size_t length);

// Length of the text once every line feed that has no carriage return before it has one (the
// edit area breaks lines at CR LF only).
size_t PadTextLength(const char *bytes, size_t length);

// Writes that text, NUL-terminated, into out (size bytes); writes nothing and returns false when
// it does not fit.
bool PadTextFromBytes(const char *bytes, size_t length, char *out, size_t size);
