// The plain rules of the product's programs: which recorded paths the remover trusts, its
// WININIT.INI line, and the pad's line ends, case by case.
#include <gtest/gtest.h>
#include <string.h>

#include "core/paths.h"
#include "core/product.h"
#include "resources/payloads/pad_text.h"
#include "resources/payloads/remove_rules.h"

static void Check(bool ok, const char *what, const char *input)
{
    EXPECT_TRUE(ok) << what << " [" << input << "]";
}

static void Paths()
{
    static const struct {
        const char *path;
        bool folder;
    } folders[] = {
        {"C:\\Program Files\\Yltera\\Quillith", true},
        {"c:\\x", true},
        {"C:\\", false},
        {"C:", false},
        {"", false},
        {"Quillith", false},
        {"\\Quillith", false},
        {"\\\\server\\share\\Quillith", false},
        {"C:\\\\Quillith", false},
        {"1:\\x", false},
        {"C:Quillith", false},
    };
    for (const auto &c : folders)
        Check(IsInstallFolder(c.path) == c.folder, "IsInstallFolder", c.path);

    static const struct {
        const char *group;
        bool ok;
        int depth;
    } groups[] = {
        {"YLTERA\\Quillith", true, 2},
        {"Quillith", true, 1},
        {"A\\B\\C", true, 3},
        {"Yltera.Tools", true, 1},
        {"", false, 0},
        {"\\YLTERA", false, 0},
        {"YLTERA\\", false, 0},
        {"YLTERA\\\\Quillith", false, 0},
        {"..\\Startup", false, 0},
        {"YLTERA\\..\\..", false, 0},
        {".", false, 0},
        {"...", false, 0},
        {"C:\\Windows", false, 0},
        {"YLTERA/Quillith", false, 0},
    };
    for (const auto &c : groups) {
        Check(IsGroupPath(c.group) == c.ok, "IsGroupPath", c.group);
        if (c.ok)
            Check(GroupDepth(c.group) == c.depth, "GroupDepth", c.group);
    }

    static const struct {
        const char *path, *cut;
        bool ok;
    } cuts[] = {
        {"C:\\A\\B", "C:\\A", true},     {"C:\\Program Files\\Yltera\\Quillith", "C:\\Program Files\\Yltera", true},
        {"C:\\A", "C:\\A", false},       {"C:\\", "C:\\", false},
        {"Quillith", "Quillith", false},
    };
    for (const auto &c : cuts) {
        char path[PATH_SIZE];
        CopyText(path, c.path, sizeof path);
        bool ok = CutLastName(path);
        Check(ok == c.ok && strcmp(path, c.cut) == 0, "CutLastName", c.path);
    }
    Check(strcmp(LastName("C:\\Program Files\\Yltera"), "Yltera") == 0, "LastName", "C:\\Program Files\\Yltera");
    Check(strcmp(LastName("Yltera"), "Yltera") == 0, "LastName", "Yltera");
}

static void Wininit()
{
    static const char Me[] = "C:\\WINDOWS\\QLREMOVE.EXE";
    static const struct {
        const char *before, *after;
    } texts[] = {
        {"", "[rename]\r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\n"},
        {"[rename]\r\nNUL=C:\\OLD.TMP\r\n", "[rename]\r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\nNUL=C:\\OLD.TMP\r\n"},
        {"[boot]\r\nshell=x\r\n", "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\n"},
        {"[boot]\r\nshell=x", "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\n"},
        {"[Rename]", "[Rename]\r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\n"},
        {"  [RENAME]  \r\n", "  [RENAME]  \r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\n"},
        {"[rename]\nNUL=C:\\OLD.TMP\n", "[rename]\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\nNUL=C:\\OLD.TMP\n"},
        // Already asked for: the text stays as it is.
        {"[rename]\r\nnul=c:\\windows\\qlremove.exe\r\n", "[rename]\r\nnul=c:\\windows\\qlremove.exe\r\n"},
        // The same line in another section does not count.
        {"[other]\r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\n[rename]\r\n",
         "[other]\r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\n[rename]\r\nNUL=C:\\WINDOWS\\QLREMOVE.EXE\r\n"},
    };
    for (const auto &c : texts) {
        char out[256];
        size_t length = 0;
        bool ok = AddWininitDelete(c.before, strlen(c.before), Me, out, sizeof out, &length);
        Check(ok && length == strlen(c.after) && strcmp(out, c.after) == 0, "AddWininitDelete", c.before);
    }
    // An output that cannot hold the new text is refused, never cut.
    const char *before = "[rename]\r\nNUL=C:\\OLD.TMP\r\n";
    char small[40];
    size_t length = 0;
    Check(!AddWininitDelete(before, strlen(before), Me, small, sizeof small, &length), "AddWininitDelete too small",
          before);
}

static void PadText()
{
    static const struct {
        const char *bytes, *text;
    } texts[] = {
        {"a\nb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"},
        {"\n", "\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"a\r", "a\r"},
        {"", ""},
        {"one\ntwo\r\nthree\n", "one\r\ntwo\r\nthree\r\n"},
    };
    for (const auto &c : texts) {
        char out[64];
        size_t n = strlen(c.bytes);
        Check(PadTextLength(c.bytes, n) == strlen(c.text), "PadTextLength", c.bytes);
        Check(PadTextFromBytes(c.bytes, n, out, sizeof out) && strcmp(out, c.text) == 0, "PadTextFromBytes", c.bytes);
        // Exactly the room for the text and its NUL is enough; one byte less is refused.
        Check(PadTextFromBytes(c.bytes, n, out, strlen(c.text) + 1), "PadTextFromBytes exact", c.bytes);
        Check(!PadTextFromBytes(c.bytes, n, out, strlen(c.text)), "PadTextFromBytes short", c.bytes);
    }
    Check(PadHasNul("ab\0cd", 5), "PadHasNul", "ab\\0cd");
    Check(!PadHasNul("abcd", 4), "PadHasNul", "abcd");
}

TEST(RemoverRules, RecordedPathsAndGroups)
{
    Paths();
}

TEST(RemoverRules, WininitDeleteLine)
{
    Wininit();
}

TEST(PadRules, LineEndsAndNuls)
{
    PadText();
}
