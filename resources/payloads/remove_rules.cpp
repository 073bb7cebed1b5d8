#include "resources/payloads/remove_rules.h"

#include <string.h>

#include "core/paths.h"

bool IsInstallFolder(const char *path)
{
    return IsAsciiLetter((unsigned char)path[0]) && path[1] == ':' && path[2] == '\\' && path[3] != 0 &&
           path[3] != '\\';
}

bool IsGroupPath(const char *group)
{
    if (group[0] == 0)
        return false;
    const char *name = group;
    for (const char *p = group;; p++) {
        if (*p == ':' || *p == '/')
            return false;
        if (*p != '\\' && *p != 0)
            continue;
        // Windows drops trailing dots, so a name of dots only would mean this folder or one above.
        bool dotsOnly = true;
        for (const char *c = name; c < p; c++)
            dotsOnly = dotsOnly && *c == '.';
        if (dotsOnly)
            return false;
        if (*p == 0)
            return true;
        name = p + 1;
    }
}

int GroupDepth(const char *group)
{
    int depth = 1;
    for (const char *p = group; *p; p++)
        if (*p == '\\')
            depth++;
    return depth;
}

bool CutLastName(char *path)
{
    char *slash = strrchr(path, '\\');
    if (!slash || slash == path || slash[-1] == ':')
        return false;
    *slash = 0;
    return true;
}

const char *LastName(const char *path)
{
    const char *slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

// Bounded output for AddWininitDelete.
struct IniOut {
    char *text;
    size_t size, length;
    bool full;
};

static void Put(IniOut *o, const char *bytes, size_t count)
{
    if (o->full || count >= o->size - o->length) {
        o->full = true;
        return;
    }
    memcpy(o->text + o->length, bytes, count);
    o->length += count;
    o->text[o->length] = 0;
}

// The line from start to its line end (CR and LF excluded), without spaces and tabs at both ends.
static void TrimmedLine(const char *start, const char *end, const char **from, const char **to)
{
    const char *stop = start;
    while (stop < end && *stop != '\r' && *stop != '\n')
        stop++;
    while (start < stop && (*start == ' ' || *start == '\t'))
        start++;
    while (stop > start && (stop[-1] == ' ' || stop[-1] == '\t'))
        stop--;
    *from = start;
    *to = stop;
}

static bool SameText(const char *from, const char *to, const char *text)
{
    size_t len = strlen(text);
    if ((size_t)(to - from) != len)
        return false;
    for (size_t i = 0; i < len; i++)
        if (AsciiLower((unsigned char)from[i]) != AsciiLower((unsigned char)text[i]))
            return false;
    return true;
}

static const char *NextLine(const char *p, const char *end)
{
    while (p < end && *p != '\n')
        p++;
    return p < end ? p + 1 : end;
}

bool AddWininitDelete(const char *ini, size_t length, const char *path, char *out, size_t size, size_t *outLength)
{
    char line[300];
    if (size == 0 || !CopyText(line, "NUL=", sizeof line) || !AppendText(line, path, sizeof line))
        return false;
    const char *end = ini + length;
    const char *header = NULL; // the first [rename] header line
    bool inRename = false, present = false;
    for (const char *p = ini; p < end; p = NextLine(p, end)) {
        const char *from, *to;
        TrimmedLine(p, end, &from, &to);
        if (from < to && *from == '[') {
            inRename = SameText(from, to, "[rename]");
            if (inRename && !header)
                header = p;
        } else if (inRename && SameText(from, to, line)) {
            present = true;
        }
    }
    IniOut o = {out, size, 0, false};
    out[0] = 0;
    if (present) {
        Put(&o, ini, length);
    } else if (header) {
        const char *after = NextLine(header, end);
        Put(&o, ini, (size_t)(after - ini));
        if (after == end && end[-1] != '\n') // the header is the last line and has no line end
            Put(&o, "\r\n", 2);
        Put(&o, line, strlen(line));
        Put(&o, "\r\n", 2);
        Put(&o, after, (size_t)(end - after));
    } else {
        Put(&o, ini, length);
        if (length > 0 && end[-1] != '\n')
            Put(&o, "\r\n", 2);
        Put(&o, "[rename]\r\n", 10);
        Put(&o, line, strlen(line));
        Put(&o, "\r\n", 2);
    }
    if (o.full)
        return false;
    *outLength = o.length;
    return true;
}
