#include <gtest/gtest.h>
#include <string.h>

#include "core/startup.h"

TEST(TitleCasePath, Cases)
{
    struct Case {
        const char *in, *want;
    } cases[] = {
        {"C:\\WINDOWS", "C:\\Windows"},
        {"C:\\WINDOWS\\system32", "C:\\Windows\\System32"},
        {"c:\\winnt\\SYSTEM32", "C:\\Winnt\\System32"},
        {"C:\\Windows\\SysWOW64", "C:\\Windows\\Syswow64"},
        {"D:\\my windows\\SYSTEM", "D:\\My Windows\\System"},
        // After two separators in a row the next letter is an inner letter.
        {"C:\\WINDOWS\\ system", "C:\\Windows\\ system"},
        {"C:\\WINDOWS\\ SYSTEM", "C:\\Windows\\ system"},
        {"C:\\\\WINDOWS", "C:\\\\windows"},
        // The first character is never a separator.
        {"\\windows", "\\windows"},
        {"\\WINDOWS", "\\windows"},
        {" drive", " drive"},
        {"", ""},
        {"a", "A"},
        {"Z", "Z"},
        {"C:\\", "C:\\"},
        {"C:\\ ", "C:\\ "},
        {"C:\\1ST", "C:\\1st"},
        // Bytes of 0x80 and above stay as they are, whatever their place.
        {"\xe4pfel\\\xc4RGER", "\xe4pfel\\\xc4rger"},
        {"C:\\\xe9T\xc9", "C:\\\xe9t\xc9"},
        {"C:\\x\xff Y", "C:\\X\xff Y"},
    };
    for (const Case &c : cases) {
        char buf[64];
        strcpy(buf, c.in);
        TitleCasePath(buf);
        EXPECT_STREQ(c.want, buf) << "input: " << c.in;
    }
}

TEST(TitleCasePath, StopsAtTheTerminatorAfterASeparator)
{
    // A trailing separator: the NUL after it is taken as "the next character" and ends the walk,
    // so nothing past it is touched.
    char buf[8] = {'C', ':', '\\', 0, 'X', 'Y', 0, 0};
    TitleCasePath(buf);
    EXPECT_EQ(0, memcmp(buf, "C:\\\0XY", 7));
}
