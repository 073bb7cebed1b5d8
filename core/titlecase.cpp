#include "core/startup.h"

#include "core/paths.h"

static bool IsSeparator(char c)
{
    return c == '\\' || c == ' ';
}

void TitleCasePath(char *text)
{
    unsigned char *p = (unsigned char *)text;
    if (p[0] == 0)
        return;
    // The first character is never a separator, even a leading backslash.
    p[0] = AsciiUpper(p[0]);
    p++;
    while (*p) {
        if (IsSeparator((char)*p)) {
            // The character after a separator is settled here and not looked at again, so a
            // second separator in a row does not start a new word.
            p++;
            *p = AsciiUpper(*p);
            if (*p == 0)
                break;
        } else {
            *p = AsciiLower(*p);
        }
        p++;
    }
}
