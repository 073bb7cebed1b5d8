// The pixel stages of the header picture: a packed bitmap in, a scaled 24-bit image out.
// Plain logic, no platform calls; buffers come from malloc and are freed by the caller.
#pragma once
#include <stddef.h>
#include <stdint.h>

// How the scaled size follows from the requested size.
enum {
    FIT_STRETCH = 0, // the requested size as it stands
    FIT_WIDTH = 2,   // the requested width, the height that keeps the aspect ratio
    FIT_HEIGHT = 3,  // the requested height, the width that keeps the aspect ratio
    FIT_COVER = 4,   // the larger of the two fitted sizes
    FIT_CONTAIN = 5, // the smaller of the two fitted sizes
};

enum { DIB_RGB = 0, DIB_RLE8 = 1 };

// The images the pipeline accepts: rows of at most 32,767 bytes of 24-bit pixels, at most
// 32,767 rows, stored bottom row first.
enum { DIB_MAX_WIDTH = 10921, DIB_MAX_HEIGHT = 32767 };

// Same layout as the Win32 BITMAPINFOHEADER, so the stages build without windows.h.
struct DibHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(DibHeader) == 40, "DibHeader must match BITMAPINFOHEADER");

// An image on its way through the stages. Pixels rows are blue, green, red bytes, bottom row
// first, Stride bytes apart; ScaledPixels the same for the scaled image.
struct ScalableImage {
    uint8_t *Pixels;
    uint8_t *ScaledPixels;
    uint16_t TargetWidth;
    uint16_t TargetHeight; // 0 when only the width is requested
    uint16_t Width;
    uint16_t Height;
    uint32_t Stride;
    uint16_t ScaledWidth;
    uint16_t ScaledHeight;
    uint32_t ScaledStride;
    int16_t FitMode;
};

// Fills Width, Height, Stride and Pixels from the packed bitmap of size bytes at dib (its
// header, colour table and pixels), tinting colour-table greys toward face (a COLORREF: red in
// the low byte). False, with Pixels null, for anything that gives no picture: a truncated or
// top-down bitmap, a size outside DIB_MAX_WIDTH x DIB_MAX_HEIGHT, a depth other than 8 or 24, or
// a failed allocation.
bool ReadPackedDib(ScalableImage *image, const uint8_t *dib, size_t size, uint32_t face);

// Entries of the colour table that follows the header (biClrUsed, or the full table of the depth).
uint16_t DibColorCount(const DibHeader *header);

// Expands size bytes of RLE8 codes into height zero-filled rows of ((width * 8 + 31) / 32) * 4
// bytes. Codes that would pass the end of a row are clipped to it; the stream may end early or
// lack its end-of-bitmap code. Null for a size outside the pipeline's range or a failed allocation.
uint8_t *DecodeRle8(int16_t width, int16_t height, const uint8_t *data, size_t size);

// Converts image->Height source rows of image->Width pixels (bits 8 or 24) into 24-bit rows of
// image->Stride bytes. For 8 bits, colourCount entries of 4 bytes (blue, green, red, unused) at
// colours give the pixels' colours; a value at or beyond the count is black. Every entry whose
// three channels share a set bit is tinted toward face. Null for another depth or a failed
// allocation.
uint8_t *ConvertToRgb24(const ScalableImage *image, const uint8_t *rows, int16_t bits, const uint8_t *colours,
                        uint16_t colourCount, uint32_t face);

// face + pixel - 220, held to 0..255: grey 220 becomes the face colour.
uint8_t BlendWithFace(uint8_t face, uint8_t pixel);

// Sets ScaledWidth or ScaledHeight from the requested size by FitMode.
void FitImageSize(ScalableImage *image);

// Sets the scaled size and stride and fills ScaledPixels with the reduced image. False, with
// ScaledPixels null, when the scaled size is outside 1..Width x 1..Height or memory runs out.
bool ScaleImage(ScalableImage *image);

// Reduces Pixels to width x height into ScaledPixels (ScaledStride bytes a row) with an
// area-weighted box filter. False, touching nothing, outside 1..Width x 1..Height, without both
// buffers, or when the accumulator cannot be allocated.
bool ResampleBox(ScalableImage *image, uint16_t width, uint16_t height);

// Frees both pixel buffers and clears their pointers.
void FreeImage(ScalableImage *image);
