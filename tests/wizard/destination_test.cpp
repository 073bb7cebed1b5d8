#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/product.h"
#include "wizard/destination_rules.h"

TEST(FormatByteSize, Table)
{
    struct Case {
        uint32_t count;
        const char *want;
    } cases[] = {
        {0, "0 Bytes"},
        {5, "5.00 Bytes"},
        {42, "42.0 Bytes"},
        {999, "999 Bytes"},
        {1000, "0.97 KB"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {999999, "976 KB"},
        {1000000, "0.95 MB"},
        {999999999, "953 MB"},
        {1000000000, "0.93 GB"},
        {4294967295u, "4.00 GB"},
        // Cut, not rounded: 1465 / 1024 = 1.4306...
        {1465, "1.43 KB"},
    };
    for (const Case &c : cases) {
        char out[32];
        FormatByteSize(out, sizeof out, c.count);
        EXPECT_STREQ(c.want, out) << c.count;
    }
}

TEST(FormatByteSize, StaysInASmallBuffer)
{
    char out[8];
    memset(out, 'z', sizeof out);
    FormatByteSize(out, 5, 999999999);
    EXPECT_STREQ("953 ", out);
    EXPECT_EQ('z', out[5]);
}

TEST(DiskSpace, DefaultTableByClass)
{
    const char *want[4] = {"370 KB", "370 KB", "414 KB", "414 KB"};
    for (int cls = 0; cls < 4; cls++) {
        char out[32];
        FormatByteSize(out, sizeof out, ApplicableSize(&ProductInfo, (WinVersionClass)cls));
        EXPECT_STREQ(want[cls], out) << "class " << cls;
    }
    EXPECT_EQ(378946u, ApplicableSize(&ProductInfo, 0));
    EXPECT_EQ(424002u, ApplicableSize(&ProductInfo, 2));
}

TEST(DiskSpace, NoRowsForACountOfZeroOrLess)
{
    ProductRecord product = ProductInfo;
    product.FileCount = 0;
    EXPECT_EQ(0u, ApplicableSize(&product, 1));
    product.FileCount = -3;
    EXPECT_EQ(0u, ApplicableSize(&product, 1));
}

TEST(ContainsName, AsciiCaseOnly)
{
    EXPECT_TRUE(ContainsName("D:\\apps\\QUILLITH", "Quillith"));
    EXPECT_TRUE(ContainsName("D:\\Quillith2\\bin", "Quillith"));
    EXPECT_TRUE(ContainsName("quillith", "Quillith"));
    EXPECT_TRUE(ContainsName("D:\\QuilQuillith", "Quillith")) << "a partial match before the real one";
    EXPECT_FALSE(ContainsName("D:\\Quillit", "Quillith")) << "cut at the end of the text";
    EXPECT_FALSE(ContainsName("D:\\Qu\xC9llith", "Quillith")) << "only ASCII letters fold";
    EXPECT_FALSE(ContainsName("", "Quillith"));
}

// typed: what the user typed; full: the same folder as GetFullPathNameA resolves it (null when
// the caller leaves it equal to typed).
struct DestinationCase {
    const char *typed;
    const char *full;
    DestinationVerdict verdict;
    const char *stored;
};

static void CheckDestinations(const DestinationCase *cases, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        const DestinationCase &c = cases[i];
        char out[PATH_SIZE];
        memset(out, 'z', sizeof out);
        DestinationVerdict got = DecideDestination(out, c.typed, c.full ? c.full : c.typed, "Quillith");
        EXPECT_EQ(c.verdict, got) << "typed " << c.typed;
        EXPECT_STREQ(c.stored, out) << "typed " << c.typed;
    }
}

TEST(DecideDestination, TypedForms)
{
    const DestinationCase cases[] = {
        {"", nullptr, DEST_EMPTY, ""},
        {"Quillith", nullptr, DEST_NO_DRIVE, ""},
        {"C\\Apps", nullptr, DEST_NO_DRIVE, ""},
        {"C:Apps", nullptr, DEST_NO_DRIVE, ""},
        {"C:", nullptr, DEST_NO_DRIVE, ""},
        {"C:/x", nullptr, DEST_NO_DRIVE, ""},
        {"\\\\server\\share\\Apps", nullptr, DEST_NO_DRIVE, ""},
        {"C:\\", nullptr, DEST_ROOT, ""},
        {"C:\\x", nullptr, DEST_ACCEPTED, "C:\\x\\Quillith"},
        {"D:\\Apps", nullptr, DEST_ACCEPTED, "D:\\Apps\\Quillith"},
        {"D:\\Apps\\", nullptr, DEST_ACCEPTED, "D:\\Apps\\Quillith"},
        {"D:\\apps\\QUILLITH", nullptr, DEST_ACCEPTED, "D:\\apps\\QUILLITH"},
        {"D:\\Quillith2\\bin", nullptr, DEST_ACCEPTED, "D:\\Quillith2\\bin"},
        // The first character is not examined.
        {"1:\\x", nullptr, DEST_ACCEPTED, "1:\\x\\Quillith"},
    };
    CheckDestinations(cases, sizeof cases / sizeof cases[0]);
}

TEST(DecideDestination, ResolvedFolderIsCheckedAndKept)
{
    const DestinationCase cases[] = {
        // Passes as typed, but names the root of the drive.
        {"C:\\Quillith\\..", "C:\\", DEST_ROOT, ""},
        {"C:\\..", "C:\\", DEST_ROOT, ""},
        {"C:\\\\", "C:\\", DEST_ROOT, ""},
        // The name occurs only in a part that '..' removes: it is added again.
        {"C:\\Data\\Quillith\\..\\Other", "C:\\Data\\Other", DEST_ACCEPTED, "C:\\Data\\Other\\Quillith"},
        {"C:\\Data\\.\\Quillith", "C:\\Data\\Quillith", DEST_ACCEPTED, "C:\\Data\\Quillith"},
        // A device name resolves to a path without a drive.
        {"C:\\x\\NUL", "\\\\.\\NUL", DEST_NO_DRIVE, ""},
        // The typed form is judged first, whatever it resolves to.
        {"C:/x", "C:\\x", DEST_NO_DRIVE, ""},
    };
    CheckDestinations(cases, sizeof cases / sizeof cases[0]);

    char out[PATH_SIZE] = "z";
    EXPECT_EQ(DEST_TOO_LONG, DecideDestination(out, "C:\\x", nullptr, "Quillith")) << "unresolvable";
    EXPECT_STREQ("", out);
}

TEST(DecideDestination, LengthLimitWithTheNameAdded)
{
    // "\Quillith" adds 9 characters; the folder slot holds 259.
    std::string folder = "C:\\" + std::string(247, 'a');
    ASSERT_EQ(250u, folder.size());
    char out[PATH_SIZE + 8];
    memset(out, 'z', sizeof out);
    EXPECT_EQ(DEST_ACCEPTED, DecideDestination(out, folder.c_str(), folder.c_str(), "Quillith"));
    EXPECT_EQ(259u, strlen(out));
    EXPECT_EQ(folder + "\\Quillith", out);

    folder += "a";
    memset(out, 'z', sizeof out);
    EXPECT_EQ(DEST_TOO_LONG, DecideDestination(out, folder.c_str(), folder.c_str(), "Quillith"));
    EXPECT_STREQ("", out);
    EXPECT_EQ('z', out[PATH_SIZE]);

    // A 259-character folder: refused without the name, kept as it is with it.
    std::string longest = "C:\\" + std::string(256, 'b');
    ASSERT_EQ(259u, longest.size());
    EXPECT_EQ(DEST_TOO_LONG, DecideDestination(out, longest.c_str(), longest.c_str(), "Quillith"));
    longest.replace(100, 8, "quillith");
    EXPECT_EQ(DEST_ACCEPTED, DecideDestination(out, longest.c_str(), longest.c_str(), "Quillith"));
    EXPECT_EQ(longest, out);

    // Ending in a backslash, one character more fits.
    std::string slashed = "C:\\" + std::string(246, 'c') + "\\";
    ASSERT_EQ(250u, slashed.size());
    EXPECT_EQ(DEST_ACCEPTED, DecideDestination(out, slashed.c_str(), slashed.c_str(), "Quillith"));
    EXPECT_EQ(258u, strlen(out));
}

TEST(DestinationWarning, Texts)
{
    struct Case {
        DestinationVerdict verdict;
        const char *want;
    } cases[] = {
        {DEST_EMPTY, "Path Invalid!\r\n\r\nPath may not be empty!"},
        {DEST_NO_DRIVE, "Path Invalid!\r\n\r\nMissing : or \\ in drive."},
        {DEST_ROOT, "Path Invalid!\r\n\r\nPath may not be a root drive..."},
        {DEST_TOO_LONG,
         "Path Invalid!\r\n\r\nPath may not be longer than 259 characters with the program folder added..."},
    };
    for (const Case &c : cases) {
        char out[128];
        FormatDestinationWarning(out, sizeof out, c.verdict);
        EXPECT_STREQ(c.want, out);
    }
}
