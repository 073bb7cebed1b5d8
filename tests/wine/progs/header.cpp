// Paints the header with the real PaintHeader in a window 506 pixels wide and reports what it made:
//   window W H client W H        the window and client sizes
//   paint N result R             each paint and what PaintHeader returned
//   bitmap W H                   the size of the cached HeaderBitmap
//   same handle 1|0              the second paint kept the bitmap of the first
//   bitmap pixels differ N       HeaderBitmap against the pure stages run on the resource here
//   screen pixels differ N       the client area's top rows against the same
//   below header plain 1|0       the row under the picture shows the window's own background
//   missing resource bitmap 0|1  a paint with a module that lacks the picture
//   icon ID W H                  the icons loaded at their sizes
//   ready                        the window stays up (for a screenshot) until C:\header-done exists
#include <stdio.h>
#include <string.h>

#include "core/state.h"
#include "resources/resource.h"
#include "wizard/header.h"
#include "wizard/image.h"

static int paints = 0;

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        int result = PaintHeader(window);
        printf("paint %d result %d\n", ++paints, result);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void Paint(HWND window)
{
    InvalidateRect(window, NULL, TRUE);
    UpdateWindow(window);
}

// The header as the pure stages make it from this program's own resource: rows of 24-bit
// pixels, bottom row first, in image->ScaledPixels.
static bool ExpectedHeader(ScalableImage *image, uint16_t width)
{
    HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(IDB_HEADER), MAKEINTRESOURCEA(2));
    const uint8_t *dib = (const uint8_t *)LockResource(LoadResource(NULL, found));
    memset(image, 0, sizeof *image);
    if (!dib || !ReadPackedDib(image, dib, SizeofResource(NULL, found), GetSysColor(COLOR_BTNFACE)))
        return false;
    image->TargetWidth = width;
    image->FitMode = FIT_WIDTH;
    return ScaleImage(image);
}

// Pixels (24-bit rows, bottom row first) that differ from the expected header.
static int CountDifferences(const ScalableImage &expected, const uint8_t *rows, int width, int height, size_t stride)
{
    int differ = 0;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (memcmp(rows + (size_t)y * stride + 3 * x,
                       expected.ScaledPixels + (size_t)y * expected.ScaledStride + 3 * x, 3) != 0)
                differ++;
    return differ;
}

static BITMAPINFO Info24(int width, int height)
{
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

static void CheckPixels(HWND window)
{
    BITMAP bm;
    GetObjectA(SetupState.HeaderBitmap, sizeof bm, &bm);
    ScalableImage expected;
    if (!ExpectedHeader(&expected, 506)) {
        printf("no expected header\n");
        return;
    }
    size_t stride = ((size_t)bm.bmWidth * 3 + 3) & ~(size_t)3;
    static uint8_t rows[4 * 1024 * 1024];
    HDC screen = GetDC(NULL);
    BITMAPINFO info = Info24(bm.bmWidth, bm.bmHeight);
    int got = GetDIBits(screen, SetupState.HeaderBitmap, 0, bm.bmHeight, rows, &info, DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    printf("bitmap pixels differ %d\n",
           got == bm.bmHeight ? CountDifferences(expected, rows, bm.bmWidth, bm.bmHeight, stride) : -1);

    // The client area: the picture's left part, as wide as the client, at the top-left corner;
    // one more row shows what lies under it.
    RECT client;
    GetClientRect(window, &client);
    int width = client.right < bm.bmWidth ? client.right : bm.bmWidth;
    int height = bm.bmHeight + 1;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO copyInfo = Info24(width, height);
    void *bits = NULL;
    HBITMAP copy = CreateDIBSection(dc, &copyInfo, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    size_t copyStride = ((size_t)width * 3 + 3) & ~(size_t)3;
    // The DIB section is bottom-up: its row 0 is the row under the header.
    const uint8_t *top = (const uint8_t *)bits + copyStride;
    printf("screen pixels differ %d\n", CountDifferences(expected, top, width, bm.bmHeight, copyStride));
    COLORREF windowColour = GetSysColor(COLOR_WINDOW);
    const uint8_t *below = (const uint8_t *)bits;
    int plain = 0;
    for (int x = 0; x < width; x++)
        if (below[3 * x] == GetBValue(windowColour) && below[3 * x + 1] == GetGValue(windowColour) &&
            below[3 * x + 2] == GetRValue(windowColour))
            plain++;
    printf("below header plain %d\n", plain == width ? 1 : 0);
    SelectObject(memory, previous);
    DeleteObject(copy);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    FreeImage(&expected);
}

int main()
{
    SetupState.Instance = GetModuleHandleA(NULL);
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = SetupState.Instance;
    wc.hCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "HeaderTest";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("HeaderTest", "Header test", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 10, 10, 506, 300,
                                NULL, NULL, SetupState.Instance, NULL);
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    printf("window %ld %ld client %ld %ld\n", outer.right - outer.left, outer.bottom - outer.top, client.right,
           client.bottom);
    ShowWindow(window, SW_SHOWNORMAL);
    Paint(window);

    HBITMAP first = SetupState.HeaderBitmap;
    BITMAP bm;
    memset(&bm, 0, sizeof bm);
    if (first)
        GetObjectA(first, sizeof bm, &bm);
    printf("bitmap %ld %ld\n", (long)bm.bmWidth, (long)bm.bmHeight);

    // A second paint copies the cached bitmap, even when the frame's width has changed since.
    SetWindowPos(window, NULL, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    Paint(window);
    printf("same handle %d\n", first != NULL && SetupState.HeaderBitmap == first ? 1 : 0);
    SetWindowPos(window, NULL, 0, 0, 506, 300, SWP_NOMOVE | SWP_NOZORDER);
    Paint(window);
    if (first)
        CheckPixels(window);

    // A module without the picture: the paint still ends and makes nothing.
    HBITMAP kept = SetupState.HeaderBitmap;
    SetupState.HeaderBitmap = NULL;
    SetupState.Instance = GetModuleHandleA("kernel32.dll");
    Paint(window);
    printf("missing resource bitmap %d\n", SetupState.HeaderBitmap != NULL ? 1 : 0);
    SetupState.Instance = GetModuleHandleA(NULL);
    SetupState.HeaderBitmap = kept;
    Paint(window);

    const struct {
        int id, size;
    } icons[] = {{IDI_PRODUCT, 32}, {IDI_PRODUCT, 16}, {IDI_FILES, 32}, {IDI_SHORTCUTS, 32}};
    for (const auto &i : icons) {
        HICON icon =
            (HICON)LoadImageA(SetupState.Instance, MAKEINTRESOURCEA(i.id), IMAGE_ICON, i.size, i.size, LR_DEFAULTCOLOR);
        ICONINFO info;
        BITMAP colour;
        memset(&colour, 0, sizeof colour);
        if (icon && GetIconInfo(icon, &info)) {
            GetObjectA(info.hbmColor, sizeof colour, &colour);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        printf("icon %d %ld %ld\n", i.id, (long)colour.bmWidth, (long)colour.bmHeight);
        if (icon)
            DestroyIcon(icon);
    }

    printf("ready\n");
    fflush(stdout);
    DWORD start = GetTickCount();
    while (GetFileAttributesA("C:\\header-done") == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 60000) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(50);
    }
    DestroyWindow(window);
    DeleteObject(SetupState.HeaderBitmap);
    return 0;
}
