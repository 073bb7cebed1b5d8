// What the destination page computes: the disk-space figure and the verdict on a typed folder.
// Plain logic, no platform calls.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "core/product.h"

// The size text of a byte count ("0 Bytes", "42.0 Bytes", "370 KB", "4.00 GB"): three
// significant digits, cut rather than rounded, decimal thresholds with binary units.
void FormatByteSize(char *out, size_t size, uint32_t count);

// Sum of Size over the rows that apply on the class, as the disk-space figure counts them.
uint32_t ApplicableSize(const ProductRecord *product, WinVersionClass cls);

enum DestinationVerdict {
    DEST_ACCEPTED,
    DEST_EMPTY,    // nothing typed
    DEST_NO_DRIVE, // not of the form X:\...
    DEST_ROOT,     // a bare drive root such as C:\ (also after '..' has been resolved)
    DEST_TOO_LONG, // the folder with the name added does not fit in 259 characters
};

// The form checks on one folder text: empty, drive colon and backslash, bare root.
DestinationVerdict CheckFolderForm(const char *text);

// True when name occurs anywhere in text, ASCII letters compared without regard to case.
bool ContainsName(const char *text, const char *name);

// The whole decision on the destination folder. typed is the text as the user typed it; full is
// the same text as the system resolves it (GetFullPathNameA: '.' and '..' gone), or null when it
// could not be resolved within a path buffer. The form checks apply to both; the folder that is
// kept is the resolved one, with name added when it does not occur in it. On DEST_ACCEPTED out
// (PATH_SIZE bytes) holds the install folder; otherwise out is left empty.
DestinationVerdict DecideDestination(char *out, const char *typed, const char *full, const char *name);

// The warning shown for a refused verdict: "Path Invalid!\r\n\r\n" and the reason.
void FormatDestinationWarning(char *out, size_t size, DestinationVerdict verdict);
