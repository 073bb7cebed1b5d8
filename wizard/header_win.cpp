#include "wizard/header.h"

#include <stdint.h>
#include <string.h>

#include "core/state.h"
#include "resources/resource.h"
#include "wizard/image.h"

static_assert(sizeof(DibHeader) == sizeof(BITMAPINFOHEADER), "DibHeader must match BITMAPINFOHEADER");

// A device-dependent bitmap of 24-bit rows, bottom row first; whatever CreateDIBitmap returns.
static HBITMAP CreateRgb24Bitmap(HDC dc, int16_t width, int16_t height, const uint8_t *rows)
{
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = (((DWORD)width * 24 + 31) / 32) * (DWORD)height * 4;
    info.bmiHeader.biXPelsPerMeter = 72;
    info.bmiHeader.biYPelsPerMeter = 72;
    return CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, rows, &info, DIB_RGB_COLORS);
}

// The bitmap resource id, tinted toward the 3-D face colour and reduced to width pixels (0 keeps
// its own size), as a bitmap that suits dc. Null when the resource is missing or gives no picture.
static HBITMAP LoadScaledBitmap(HDC dc, HINSTANCE instance, uint16_t id, uint16_t width)
{
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)); // RT_BITMAP
    if (!found)
        return NULL;
    // The resource is read no further than its size.
    DWORD size = SizeofResource(instance, found);
    HGLOBAL loaded = LoadResource(instance, found);
    const uint8_t *dib = loaded ? (const uint8_t *)LockResource(loaded) : NULL;
    if (!dib || size == 0)
        return NULL;

    ScalableImage image;
    memset(&image, 0, sizeof image);
    if (!ReadPackedDib(&image, dib, size, GetSysColor(COLOR_BTNFACE)))
        return NULL;
    HBITMAP bitmap = NULL;
    if (width != 0) {
        image.TargetWidth = width;
        image.TargetHeight = 0;
        image.FitMode = FIT_WIDTH;
        if (ScaleImage(&image))
            bitmap = CreateRgb24Bitmap(dc, (int16_t)image.ScaledWidth, (int16_t)image.ScaledHeight, image.ScaledPixels);
    } else {
        bitmap = CreateRgb24Bitmap(dc, (int16_t)image.Width, (int16_t)image.Height, image.Pixels);
    }
    FreeImage(&image);
    return bitmap;
}

int PaintHeader(HWND frame)
{
    PAINTSTRUCT ps;
    HDC paint = BeginPaint(frame, &ps);
    HDC memory = CreateCompatibleDC(paint);
    RECT window;
    if (!GetWindowRect(frame, &window))
        memset(&window, 0, sizeof window);
    // Made once, for the frame's outer width; later paints only copy it.
    if (!SetupState.HeaderBitmap)
        SetupState.HeaderBitmap =
            LoadScaledBitmap(paint, SetupState.Instance, IDB_HEADER, (uint16_t)(window.right - window.left));
    BITMAP size;
    if (SetupState.HeaderBitmap && memory && GetObjectA(SetupState.HeaderBitmap, sizeof size, &size) == sizeof size) {
        HGDIOBJ previous = SelectObject(memory, SetupState.HeaderBitmap);
        BitBlt(paint, 0, 0, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (memory)
        DeleteDC(memory);
    EndPaint(frame, &ps);
    return 1;
}
