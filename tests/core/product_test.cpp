#include <gtest/gtest.h>
#include <string.h>

#include "core/product.h"

struct VersionCase {
    uint32_t platform, major, minor;
    int cls;
};

TEST(WinVersionClass, Table)
{
    const VersionCase cases[] = {
        {1, 4, 0, 0},  {1, 4, 10, 0}, {1, 4, 90, 0}, // 95, 98, Me
        {0, 0, 0, 0},                                // failed query: zeroed structure
        {2, 4, 0, 1},  {2, 5, 0, 1},  {2, 5, 2, 1},  {2, 6, 1, 1}, {2, 6, 2, 1},
        {2, 10, 0, 1}, {2, 6, 3, 1},  {2, 5, 1, 2},  {2, 6, 0, 3},
    };
    for (const VersionCase &c : cases)
        EXPECT_EQ(c.cls, ClassifyWindowsVersion(c.platform, c.major, c.minor))
            << "platform " << c.platform << " version " << c.major << "." << c.minor;
}

TEST(RowRules, VariantAndFolder)
{
    FileEntry row = {};
    row.Flags = FE_VARIANT_98 | FE_VARIANT_XP;
    for (int cls = 0; cls < 4; cls++)
        EXPECT_TRUE(EntryApplies(&row, (WinVersionClass)cls));
    row.Flags = 0;
    for (int cls = 0; cls < 4; cls++)
        EXPECT_FALSE(EntryApplies(&row, (WinVersionClass)cls));
    row.Flags = FE_VARIANT_98;
    EXPECT_TRUE(EntryApplies(&row, 0));
    EXPECT_TRUE(EntryApplies(&row, 1));
    EXPECT_FALSE(EntryApplies(&row, 2));
    EXPECT_FALSE(EntryApplies(&row, 3));

    row.Flags = FE_TO_WINDOWS_DIR | FE_TO_SYSTEM_DIR;
    EXPECT_EQ(ProductInfo.WindowsDir, EntryTargetFolder(&row));
    row.Flags = FE_TO_SYSTEM_DIR;
    EXPECT_EQ(ProductInfo.SystemDir, EntryTargetFolder(&row));
    row.Flags = FE_IN_INSTALL_DIR;
    EXPECT_EQ(ProductInfo.InstallDir, EntryTargetFolder(&row));
    row.Flags = 0;
    EXPECT_EQ(ProductInfo.InstallDir, EntryTargetFolder(&row));
}

TEST(DefaultTable, SevenRowsApplyOnEveryClassWithTheRightBuild)
{
    for (int cls = 0; cls < 4; cls++) {
        int applicable = 0;
        uint32_t bytes = 0;
        for (int i = 0; i < ProductInfo.FileCount; i++)
            if (EntryApplies(&ProductInfo.Files[i], (WinVersionClass)cls)) {
                applicable++;
                bytes += ProductInfo.Files[i].Size;
            }
        EXPECT_EQ(7, applicable) << "class " << cls;
        bool newer = cls >= 2;
        EXPECT_EQ(!newer, EntryApplies(&ProductInfo.Files[1], (WinVersionClass)cls));
        EXPECT_EQ(newer, EntryApplies(&ProductInfo.Files[2], (WinVersionClass)cls));
        EXPECT_EQ(newer ? 424002u : 378946u, bytes) << "class " << cls;
    }
}

TEST(DefaultTable, Invariants)
{
    const ProductRecord &p = ProductInfo;
    ASSERT_EQ(8, p.FileCount);
    // 2: ShortcutCount counts the rows with a shortcut name.
    int shortcuts = 0;
    for (int i = 0; i < p.FileCount; i++)
        if (p.Files[i].ShortcutName[0] != '-')
            shortcuts++;
    EXPECT_EQ(shortcuts, p.ShortcutCount);
    for (int i = 0; i < p.FileCount; i++) {
        const FileEntry &r = p.Files[i];
        bool elsewhere = (r.Flags & (FE_TO_WINDOWS_DIR | FE_TO_SYSTEM_DIR)) != 0;
        // 3: FE_IN_INSTALL_DIR exactly on rows that stay in the install folder; no shortcut to System.
        EXPECT_EQ(!elsewhere, (r.Flags & FE_IN_INSTALL_DIR) != 0) << "row " << i;
        if (r.ShortcutName[0] != '-')
            EXPECT_FALSE((r.Flags & FE_TO_SYSTEM_DIR) && !(r.Flags & FE_TO_WINDOWS_DIR)) << "row " << i;
        // 4: at least one variant bit; same name and folder means disjoint variants.
        EXPECT_NE(0, r.Flags & (FE_VARIANT_98 | FE_VARIANT_XP)) << "row " << i;
        for (int j = i + 1; j < p.FileCount; j++) {
            const FileEntry &o = p.Files[j];
            if (strcmp(r.FileName, o.FileName) == 0 && EntryTargetFolder(&r) == EntryTargetFolder(&o))
                EXPECT_EQ(0, r.Flags & o.Flags & (FE_VARIANT_98 | FE_VARIANT_XP)) << "rows " << i << "," << j;
        }
        // 5: a compressed row decodes to at least one byte.
        if (r.PackedSize > 0)
            EXPECT_GE(r.Size, 1u) << "row " << i;
        // Every text is shorter than its field, so the NUL fits.
        EXPECT_LT(strlen(r.FileName), sizeof r.FileName);
        EXPECT_LT(strlen(r.ResourceName), sizeof r.ResourceName);
        EXPECT_LT(strlen(r.ShortcutName), sizeof r.ShortcutName);
    }
    // Fixed roles: row 0 is the remover in the Windows folder on every class, row 1 the main program.
    EXPECT_STREQ("QLRemove.exe", p.Files[0].FileName);
    EXPECT_TRUE(p.Files[0].Flags & FE_TO_WINDOWS_DIR);
    EXPECT_STREQ("Quillith.exe", p.Files[1].FileName);
    EXPECT_TRUE(p.Files[1].Flags & FE_IN_INSTALL_DIR);
}
