#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/paths.h"
#include "core/product.h"

TEST(PathJoin, Cases)
{
    struct Case {
        const char *folder, *name, *want;
    } cases[] = {
        {"C:\\Program Files\\Yltera", "Quillith", "C:\\Program Files\\Yltera\\Quillith"},
        {"D:\\Apps\\", "Quillith", "D:\\Apps\\Quillith"},
        {"C:\\", "x.txt", "C:\\x.txt"},
        {"", "name", "\\name"},
        {"C:\\a", "", "C:\\a\\"},
    };
    for (const Case &c : cases) {
        char out[PATH_SIZE];
        memset(out, 'z', sizeof out);
        EXPECT_TRUE(PathJoin(out, c.folder, c.name));
        EXPECT_STREQ(c.want, out);
        EXPECT_EQ(0, out[strlen(c.want) + 1]) << "second NUL";
    }
}

TEST(PathJoin, LongestFitsAndOneMoreIsRefusedUncut)
{
    // 258 characters with the two NULs fill 260 bytes exactly.
    std::string folder(250, 'a');
    std::string name(7, 'b');
    char out[PATH_SIZE + 8];
    memset(out, 'z', sizeof out);
    EXPECT_TRUE(PathJoin(out, folder.c_str(), name.c_str()));
    EXPECT_EQ(258u, strlen(out));
    EXPECT_EQ('z', out[PATH_SIZE]) << "nothing written past the buffer";

    memset(out, 'z', sizeof out);
    name += "c";
    EXPECT_FALSE(PathJoin(out, folder.c_str(), name.c_str()));
    EXPECT_STREQ("", out);
    EXPECT_EQ('z', out[2]);
}

TEST(PathJoin, IntoItsOwnFolderBuffer)
{
    char buf[PATH_SIZE] = "C:\\Data";
    EXPECT_TRUE(PathJoin(buf, buf, "Quillith"));
    EXPECT_STREQ("C:\\Data\\Quillith", buf);
}

TEST(CopyText, BoundedAndTerminated)
{
    char small[4];
    EXPECT_TRUE(CopyText(small, "abc", sizeof small));
    EXPECT_STREQ("abc", small);
    EXPECT_FALSE(CopyText(small, "abcd", sizeof small));
    EXPECT_STREQ("abc", small);
    char buf[8] = "ab";
    EXPECT_TRUE(AppendText(buf, "cdefg", sizeof buf));
    EXPECT_STREQ("abcdefg", buf);
    EXPECT_FALSE(AppendText(buf, "h", sizeof buf));
    EXPECT_STREQ("abcdefg", buf);
}

#include "core/format.h"

TEST(FormatText, BoundedTerminatedAndReportsCuts)
{
    char buf[8];
    memset(buf, 'z', sizeof buf);
    EXPECT_TRUE(FormatText(buf, sizeof buf, "v%s", "5.00"));
    EXPECT_STREQ("v5.00", buf);
    EXPECT_FALSE(FormatText(buf, sizeof buf, "YLTERA %s", "Quillith"));
    EXPECT_STREQ("YLTERA ", buf);
    EXPECT_TRUE(FormatText(buf, sizeof buf, "%.*s %s", 3, "1.430500", "KB"));
    EXPECT_STREQ("1.4 KB", buf);
}
