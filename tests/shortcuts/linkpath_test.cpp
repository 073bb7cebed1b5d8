#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/product.h"
#include "shortcuts/linkpath.h"

TEST(BuildLinkPath, Cases)
{
    struct Case {
        const char *what, *folder, *group, *name, *want;
    } cases[] = {
        {"group link", "C:\\Documents and Settings\\All Users\\Start Menu\\Programs", "YLTERA\\Quillith", "Help",
         "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\YLTERA\\Quillith\\Help.lnk"},
        {"desktop link, empty group", "C:\\Documents and Settings\\User\\Desktop", "", "Quillith",
         "C:\\Documents and Settings\\User\\Desktop\\Quillith.lnk"},
        {"folder ending in a backslash", "C:\\Menu\\", "YLTERA\\Quillith", "Update",
         "C:\\Menu\\YLTERA\\Quillith\\Update.lnk"},
        {"folder ending in a backslash, empty group", "C:\\Menu\\", "", "Remove", "C:\\Menu\\Remove.lnk"},
        {"group ending in a backslash", "C:\\Menu", "Grp\\", "Help", "C:\\Menu\\Grp\\Help.lnk"},
        {"drive root", "C:\\", "", "Quillith", "C:\\Quillith.lnk"},
        {"name with a space", "C:\\Menu", "G", "Yltera Online", "C:\\Menu\\G\\Yltera Online.lnk"},
        {"empty folder counts as not ending in a backslash", "", "G", "Help", "\\G\\Help.lnk"},
    };
    for (const Case &c : cases) {
        char out[PATH_SIZE];
        memset(out, 'z', sizeof out);
        EXPECT_TRUE(BuildLinkPath(out, sizeof out, c.folder, c.group, c.name)) << c.what;
        EXPECT_STREQ(c.want, out) << c.what;
        EXPECT_EQ(0, out[strlen(c.want) + 1]) << c.what << ": second NUL";
    }
}

// A link path of 258 characters plus its two NULs fills a 260-byte buffer exactly; one character
// more is refused whole, wherever the overflow would happen, and nothing is written past the end.
TEST(BuildLinkPath, LongestFitsAndLongerIsRefusedUncut)
{
    struct Case {
        const char *what;
        size_t folder, group, name; // lengths; the path is folder \ group \ name .lnk
    } cases[] = {
        {"fits exactly", 200, 20, 32},
        {"one too long in the name", 200, 20, 33},
        {"too long in the folder alone", 259, 0, 1},
        {"too long at the group", 250, 10, 1},
        {"too long at the separator after the group", 200, 57, 1},
    };
    for (const Case &c : cases) {
        std::string folder(c.folder, 'f'), group(c.group, 'g'), name(c.name, 'n');
        size_t want = c.folder + 1 + c.group + (c.group ? 1 : 0) + c.name + 4;
        char out[PATH_SIZE + 8];
        memset(out, 'z', sizeof out);
        bool fits = BuildLinkPath(out, PATH_SIZE, folder.c_str(), group.c_str(), name.c_str());
        EXPECT_EQ(want <= PATH_SIZE - 2, fits) << c.what << " (" << want << " characters)";
        if (fits) {
            EXPECT_EQ(want, strlen(out)) << c.what;
            EXPECT_EQ(0, out[want + 1]) << c.what << ": second NUL";
        } else {
            EXPECT_STREQ("", out) << c.what;
            EXPECT_EQ(0, out[1]) << c.what;
        }
        for (size_t i = PATH_SIZE; i < sizeof out; i++)
            ASSERT_EQ('z', out[i]) << c.what << ": byte " << i << " written past the buffer";
    }
}

TEST(BuildLinkPath, TinyBuffers)
{
    char out[4] = {'z', 'z', 'z', 'z'};
    EXPECT_FALSE(BuildLinkPath(out, 1, "C:", "", "a"));
    EXPECT_EQ(0, out[0]);
    EXPECT_EQ('z', out[1]);
    // "\a.lnk" needs 6 characters and two NULs.
    char small[8];
    EXPECT_TRUE(BuildLinkPath(small, sizeof small, "", "", "a"));
    EXPECT_STREQ("\\a.lnk", small);
    EXPECT_FALSE(BuildLinkPath(small, sizeof small - 1, "", "", "a"));
    EXPECT_STREQ("", small);
}
