#include "core/product.h"

#include <stddef.h>

static_assert(sizeof(StampTime) == 16, "StampTime mirrors SYSTEMTIME");
static_assert(sizeof(FileEntry) == 72, "FileEntry layout");
static_assert(offsetof(FileEntry, Flags) == 20 && offsetof(FileEntry, ResourceName) == 22 &&
                  offsetof(FileEntry, ShortcutName) == 42 && offsetof(FileEntry, Size) == 64 &&
                  offsetof(FileEntry, PackedSize) == 68,
              "FileEntry field offsets");
static_assert(sizeof(ProductRecord) == 1492, "ProductInfo layout");
static_assert(offsetof(ProductRecord, Version) == 20 && offsetof(ProductRecord, Group) == 26 &&
                  offsetof(ProductRecord, Publisher) == 66 && offsetof(ProductRecord, HelpLink) == 76 &&
                  offsetof(ProductRecord, FileTime) == 116 && offsetof(ProductRecord, Files) == 132 &&
                  offsetof(ProductRecord, FileCount) == 708 && offsetof(ProductRecord, ShortcutCount) == 710 &&
                  offsetof(ProductRecord, InstallDir) == 712 && offsetof(ProductRecord, WindowsDir) == 972 &&
                  offsetof(ProductRecord, SystemDir) == 1232,
              "ProductInfo field offsets");

const char SetupCaption[] = "YLTERA Setup";

ProductRecord ProductInfo = {
    "Quillith",
    "5.00",
    "YLTERA\\Quillith",
    "YLTERA",
    "http://www.yltera.com/support.html",
    {2010, 2, 1, 1, 3, 0, 0, 0},
    {
        {"QLRemove.exe", 0x0302, "CLEANUP", "Remove", 99328, 60800},
        {"Quillith.exe", 0x0101, "PROGRAM_98", "Quillith", 176128, 84782},
        {"Quillith.exe", 0x0201, "PROGRAM_XP", "-", 221184, 110757},
        {"Quillith.chm", 0x0301, "PROGRAMHLP", "Help", 43164, 36259},
        {"QLUpdate.exe", 0x0301, "UPDATER", "Update", 57344, 29817},
        {"Yltera Online.url", 0x0301, "WEBLINK", "Yltera Online", 47, 0},
        {"Purchase.txt", 0x0301, "ORDER", "-", 1993, 755},
        {"Pricing.txt", 0x0301, "REGINFO", "-", 942, 555},
    },
    8,
    5,
    ".",
    ".",
    ".",
};

WinVersionClass ClassifyWindowsVersion(uint32_t platform, uint32_t major, uint32_t minor)
{
    if (platform != 2) // VER_PLATFORM_WIN32_NT
        return 0;
    if (major == 5)
        return minor == 1 ? 2 : 1;
    if (major == 6 && minor == 0)
        return 3;
    return 1;
}

uint16_t VariantMask(WinVersionClass cls)
{
    return (cls == 2 || cls == 3) ? FE_VARIANT_XP : FE_VARIANT_98;
}

bool EntryApplies(const FileEntry *row, WinVersionClass cls)
{
    return (row->Flags & VariantMask(cls)) != 0;
}

char *EntryTargetFolder(const FileEntry *row)
{
    if (row->Flags & FE_TO_WINDOWS_DIR)
        return ProductInfo.WindowsDir;
    if (row->Flags & FE_TO_SYSTEM_DIR)
        return ProductInfo.SystemDir;
    return ProductInfo.InstallDir;
}
