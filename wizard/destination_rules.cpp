#include "wizard/destination_rules.h"

#include <string.h>

#include "core/format.h"
#include "core/paths.h"

void FormatByteSize(char *out, size_t size, uint32_t count)
{
    const char *unit = "Bytes";
    double divisor = 1.0;
    if (count >= 1000000000u) {
        unit = "GB";
        divisor = 1073741824.0;
    } else if (count >= 1000000u) {
        unit = "MB";
        divisor = 1048576.0;
    } else if (count >= 1000u) {
        unit = "KB";
        divisor = 1024.0;
    }
    float value = (float)((double)count / divisor);
    if (value == 0.0f) {
        FormatText(out, size, "0 %s", unit);
        return;
    }
    // Three significant digits, cut: "976.561523" -> "976", "0.976562" -> "0.97".
    char work[20];
    FormatText(work, sizeof work, "%f", (double)value);
    int keep = work[3] == '.' ? 3 : 4;
    FormatText(out, size, "%.*s %s", keep, work, unit);
}

uint32_t ApplicableSize(const ProductRecord *product, WinVersionClass cls)
{
    uint32_t total = 0;
    for (int i = 0; i < product->FileCount && i < PRODUCT_ROWS; i++) {
        if (EntryApplies(&product->Files[i], cls))
            total += product->Files[i].Size;
    }
    return total;
}

DestinationVerdict CheckFolderForm(const char *text)
{
    if (text[0] == 0)
        return DEST_EMPTY;
    if (text[1] != ':' || text[2] != '\\')
        return DEST_NO_DRIVE;
    if (text[3] == 0)
        return DEST_ROOT;
    return DEST_ACCEPTED;
}

bool ContainsName(const char *text, const char *name)
{
    size_t nameLen = strlen(name);
    for (const char *at = text; *at; at++) {
        size_t i = 0;
        while (i < nameLen && at[i] && AsciiLower((unsigned char)at[i]) == AsciiLower((unsigned char)name[i]))
            i++;
        if (i == nameLen)
            return true;
    }
    return false;
}

DestinationVerdict DecideDestination(char *out, const char *typed, const char *full, const char *name)
{
    out[0] = 0;
    DestinationVerdict verdict = CheckFolderForm(typed);
    if (verdict != DEST_ACCEPTED)
        return verdict;
    if (!full)
        return DEST_TOO_LONG;
    // Checked again once resolved: C:\Quillith\.. is the root of C:.
    verdict = CheckFolderForm(full);
    if (verdict != DEST_ACCEPTED)
        return verdict;

    char folder[PATH_SIZE];
    bool fits = CopyText(folder, full, sizeof folder);
    if (fits && !ContainsName(folder, name)) {
        size_t len = strlen(folder);
        if (folder[len - 1] != '\\')
            fits = AppendText(folder, "\\", sizeof folder);
        fits = fits && AppendText(folder, name, sizeof folder);
    }
    if (!fits)
        return DEST_TOO_LONG;
    CopyText(out, folder, PATH_SIZE);
    return DEST_ACCEPTED;
}

void FormatDestinationWarning(char *out, size_t size, DestinationVerdict verdict)
{
    const char *reason = "";
    switch (verdict) {
    case DEST_EMPTY: reason = "Path may not be empty!"; break;
    case DEST_NO_DRIVE: reason = "Missing : or \\ in drive."; break;
    case DEST_ROOT: reason = "Path may not be a root drive..."; break;
    case DEST_TOO_LONG: reason = "Path may not be longer than 259 characters with the program folder added..."; break;
    case DEST_ACCEPTED: break;
    }
    FormatText(out, size, "Path Invalid!\r\n\r\n%s", reason);
}
