// Text and path helpers shared by every subsystem. Plain logic, no platform calls.
#pragma once
#include <stddef.h>

// Copies src into dst (size bytes, size >= 1), always NUL-terminated; cuts a text that does not
// fit. Returns true when the whole text fitted.
bool CopyText(char *dst, const char *src, size_t size);

// Appends src to the text in dst (size bytes); appends nothing and returns false when the
// result would not fit.
bool AppendText(char *dst, const char *src, size_t size);

// Joins folder and name into out (a PATH_SIZE buffer) with one backslash between them (none added
// when the folder already ends in one) and ends the result with two NUL bytes. A result that would
// not fit (more than 258 characters) is never cut: out is left empty and the call returns false,
// so the empty path fails visibly wherever it is used.
bool PathJoin(char *out, const char *folder, const char *name);

// True when c is a letter A-Z or a-z; case folding below touches ASCII letters only.
inline bool IsAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline unsigned char AsciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + 32) : c;
}
inline unsigned char AsciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? (unsigned char)(c - 32) : c;
}
