// The product descriptor: everything setup knows about the product it installs.
#pragma once
#include <stdint.h>

enum {
    FE_IN_INSTALL_DIR = 0x0001, // shortcut target and working folder are InstallDir, else WindowsDir
    FE_TO_WINDOWS_DIR = 0x0002, // written into WindowsDir
    FE_TO_SYSTEM_DIR = 0x0004,  // written into SystemDir (unless FE_TO_WINDOWS_DIR)
    FE_VARIANT_98 = 0x0100,     // applies on version classes 0 and 1
    FE_VARIANT_XP = 0x0200,     // applies on version classes 2 and 3
};

enum { PATH_SIZE = 260, PRODUCT_ROWS = 8 };

// Same layout as the Win32 SYSTEMTIME, so the descriptor builds without windows.h.
struct StampTime {
    uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

struct FileEntry {
    char FileName[20];
    uint16_t Flags;
    char ResourceName[20];
    char ShortcutName[22]; // '-' first: the row has no shortcut
    uint32_t Size;         // bytes of the installed file
    uint32_t PackedSize;   // bytes of the LZHUF stream; 0 = stored
};

struct ProductRecord {
    char Name[20];
    char Version[6];
    char Group[40];
    char Publisher[10];
    char HelpLink[40];
    StampTime FileTime;
    FileEntry Files[PRODUCT_ROWS];
    int16_t FileCount;
    uint16_t ShortcutCount;
    char InstallDir[PATH_SIZE];
    char WindowsDir[PATH_SIZE];
    char SystemDir[PATH_SIZE];
};

extern ProductRecord ProductInfo;

// The caption of every message box of the wizard.
extern const char SetupCaption[];

typedef uint8_t WinVersionClass;

// Class 0..3 from the values GetVersionExA reports (platform 2 is NT).
WinVersionClass ClassifyWindowsVersion(uint32_t platform, uint32_t major, uint32_t minor);
// The variant bit that applies on a class.
uint16_t VariantMask(WinVersionClass cls);
bool EntryApplies(const FileEntry *row, WinVersionClass cls);
// The folder slot of ProductInfo that the row's file is written into.
char *EntryTargetFolder(const FileEntry *row);
