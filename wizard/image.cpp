#include "wizard/image.h"

#include <stdlib.h>
#include <string.h>

// The fitted size and the box filter are defined in double-precision arithmetic with values
// stored in single precision, and the output bytes must not depend on the compiler's choice of
// instructions: no fused multiply-add, and on the x87 unit (the 32-bit build) no extended
// precision. There each stage sets the precision control to double and rounds every stored
// value through memory.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

#if (defined(__i386__) || defined(__x86_64__)) && !defined(__SSE2_MATH__)
static uint16_t EnterDoublePrecision()
{
    uint16_t saved;
    __asm__ __volatile__("fnstcw %0" : "=m"(saved));
    uint16_t control = (uint16_t)((saved & ~0x0300) | 0x0200);
    __asm__ __volatile__("fldcw %0" : : "m"(control));
    return saved;
}

static void LeaveDoublePrecision(uint16_t saved)
{
    __asm__ __volatile__("fldcw %0" : : "m"(saved));
}

static inline float Single(double value)
{
    volatile float stored = (float)value;
    return stored;
}
#else
static uint16_t EnterDoublePrecision()
{
    return 0;
}

static void LeaveDoublePrecision(uint16_t) {}

static inline float Single(double value)
{
    return (float)value;
}
#endif

static const int FACE_GREY = 220;

// Bytes of one uncompressed row of width pixels of the given depth, padded to 32 bits.
static size_t DibRowBytes(size_t width, size_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

// Bytes of one row of 24-bit pixels in our buffers: 3 x width rounded up to a multiple of 4,
// taken in 16 bits (exact for every width the pipeline accepts).
static uint32_t RgbStride(uint16_t width)
{
    return (((uint32_t)width + 1) * 3) & 0xFFFC;
}

// A size rule's result: truncated and kept in 16 bits; NaN, negative or huge values give 0.
static uint16_t TruncateSize(double value)
{
    if (!(value >= 0.0 && value < 4294967296.0))
        return 0;
    return (uint16_t)(uint32_t)value;
}

uint8_t BlendWithFace(uint8_t face, uint8_t pixel)
{
    int sum = face + pixel - FACE_GREY;
    if (sum < 0)
        return 0;
    if (sum > 255)
        return 255;
    return (uint8_t)sum;
}

uint16_t DibColorCount(const DibHeader *header)
{
    if (header->biClrUsed != 0)
        return (uint16_t)header->biClrUsed;
    switch (header->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// Writes count copies of value (or count bytes of source) at column *x of row, dropping what
// falls past width; *x moves on by count, held at width.
static void PutRun(uint8_t *row, size_t width, size_t *x, size_t count, const uint8_t *source, uint8_t value)
{
    if (*x < width) {
        size_t fits = width - *x < count ? width - *x : count;
        if (source)
            memcpy(row + *x, source, fits);
        else
            memset(row + *x, value, fits);
    }
    *x = width - *x < count ? width : *x + count;
}

uint8_t *DecodeRle8(int16_t width, int16_t height, const uint8_t *data, size_t size)
{
    if (width < 1 || height < 1)
        return NULL;
    size_t w = (size_t)width;
    size_t h = (size_t)height;
    size_t stride = DibRowBytes(w, 8);
    uint8_t *rows = (uint8_t *)calloc(h, stride);
    if (!rows)
        return NULL;
    size_t at = 0; // next byte of data
    size_t x = 0;  // column in row r
    size_t r = 0;
    while (r < h && size - at >= 2) {
        uint8_t n = data[at];
        uint8_t e = data[at + 1];
        at += 2;
        uint8_t *row = rows + r * stride;
        if (n != 0) {
            PutRun(row, w, &x, n, NULL, e);
        } else if (e == 0) {
            r++;
            x = 0;
        } else if (e == 1) {
            break;
        } else if (e == 2) {
            if (size - at < 2)
                break;
            size_t dx = data[at];
            size_t dy = data[at + 1];
            at += 2;
            x = w - x < dx ? w : x + dx;
            r += dy;
        } else {
            size_t have = size - at < e ? size - at : e;
            PutRun(row, w, &x, have, data + at, 0);
            at += have;
            if (have < e)
                break;
            // Absolute runs fill whole 16-bit words.
            if ((e & 1) && at < size)
                at++;
        }
    }
    return rows;
}

uint8_t *ConvertToRgb24(const ScalableImage *image, const uint8_t *rows, int16_t bits, const uint8_t *colours,
                        uint16_t colourCount, uint32_t face)
{
    if (bits != 8 && bits != 24)
        return NULL;
    size_t width = image->Width;
    size_t height = image->Height;
    if (width < 1 || width > DIB_MAX_WIDTH || height < 1 || height > DIB_MAX_HEIGHT)
        return NULL;
    size_t sourceRow = DibRowBytes(width, (size_t)bits);
    size_t row = (width * 3 + 3) & ~(size_t)3;
    uint8_t *out = (uint8_t *)malloc(height * row);
    if (!out)
        return NULL;

    if (bits == 24) {
        // 24-bit pixels are taken as they are: only colour-table images follow the face colour.
        for (size_t y = 0; y < height; y++)
            memcpy(out + y * row, rows + y * sourceRow, width * 3);
        return out;
    }

    // The treatment depends on the table entry alone, so it is done once per entry.
    uint8_t faceRed = (uint8_t)(face & 0xFF);
    uint8_t faceGreen = (uint8_t)((face >> 8) & 0xFF);
    uint8_t faceBlue = (uint8_t)((face >> 16) & 0xFF);
    uint8_t table[256][3];
    memset(table, 0, sizeof table);
    size_t entries = colourCount < 256 ? colourCount : 256;
    for (size_t i = 0; colours && i < entries; i++) {
        uint8_t b = colours[4 * i];
        uint8_t g = colours[4 * i + 1];
        uint8_t r = colours[4 * i + 2];
        if ((b & g & r) != 0) {
            b = BlendWithFace(faceBlue, b);
            g = BlendWithFace(faceGreen, g);
            r = BlendWithFace(faceRed, r);
        }
        table[i][0] = b;
        table[i][1] = g;
        table[i][2] = r;
    }
    for (size_t y = 0; y < height; y++) {
        const uint8_t *source = rows + y * sourceRow;
        uint8_t *target = out + y * row;
        for (size_t x = 0; x < width; x++, target += 3)
            memcpy(target, table[source[x]], 3);
    }
    return out;
}

bool ReadPackedDib(ScalableImage *image, const uint8_t *dib, size_t size, uint32_t face)
{
    image->Pixels = NULL;
    DibHeader header;
    if (size < sizeof header)
        return false;
    memcpy(&header, dib, sizeof header);
    // Smaller headers (the OS/2 core header) have another layout; a header may not pass the end.
    if (header.biSize < sizeof header || header.biSize > size)
        return false;
    // Top-down and oversized images lie outside the 16-bit arithmetic of the stages.
    if (header.biWidth < 1 || header.biWidth > DIB_MAX_WIDTH || header.biHeight < 1 || header.biHeight > DIB_MAX_HEIGHT)
        return false;
    image->Width = (uint16_t)header.biWidth;
    image->Height = (uint16_t)header.biHeight;
    image->Stride = RgbStride(image->Width);

    uint16_t count = DibColorCount(&header);
    size_t tableBytes = 4 * (size_t)count;
    if (tableBytes > size - header.biSize)
        return false;
    const uint8_t *colours = dib + header.biSize;
    const uint8_t *data = colours + tableBytes;
    size_t dataSize = size - header.biSize - tableBytes;
    size_t height = image->Height;

    if (header.biBitCount == 24) {
        if (DibRowBytes(image->Width, 24) * height > dataSize)
            return false;
        image->Pixels = ConvertToRgb24(image, data, 24, NULL, 0, face);
    } else if (header.biBitCount == 8 && header.biCompression == DIB_RLE8) {
        uint8_t *rows = DecodeRle8((int16_t)image->Width, (int16_t)image->Height, data, dataSize);
        if (!rows)
            return false;
        image->Pixels = ConvertToRgb24(image, rows, 8, colours, count, face);
        free(rows);
    } else if (header.biBitCount == 8) {
        if (DibRowBytes(image->Width, 8) * height > dataSize)
            return false;
        image->Pixels = ConvertToRgb24(image, data, 8, colours, count, face);
    }
    return image->Pixels != NULL;
}

void FitImageSize(ScalableImage *image)
{
    uint16_t saved = EnterDoublePrecision();
    float rx = Single((double)image->Width / (double)image->TargetWidth);
    float ry = Single((double)image->Height / (double)image->TargetHeight);
    bool heightRule;
    switch (image->FitMode) {
    case FIT_WIDTH: heightRule = true; break;
    case FIT_COVER: heightRule = rx < ry; break;
    case FIT_CONTAIN: heightRule = rx > ry; break;
    default: heightRule = false; break;
    }
    if (heightRule)
        image->ScaledHeight = TruncateSize((double)image->Height / (double)rx + 0.5);
    else
        image->ScaledWidth = TruncateSize((double)image->Width / (double)ry + 0.5);
    LeaveDoublePrecision(saved);
}

bool ScaleImage(ScalableImage *image)
{
    image->ScaledPixels = NULL;
    image->ScaledWidth = image->TargetWidth;
    image->ScaledHeight = image->TargetHeight;
    if (image->FitMode != FIT_STRETCH)
        FitImageSize(image);
    image->ScaledStride = RgbStride(image->ScaledWidth);
    uint16_t width = image->ScaledWidth;
    uint16_t height = image->ScaledHeight;
    // The box filter only reduces: enlargements and empty sizes give no image.
    if (!image->Pixels || width < 1 || width > image->Width || height < 1 || height > image->Height)
        return false;
    image->ScaledPixels = (uint8_t *)malloc((size_t)height * image->ScaledStride);
    if (!image->ScaledPixels)
        return false;
    if (!ResampleBox(image, width, height)) {
        free(image->ScaledPixels);
        image->ScaledPixels = NULL;
        return false;
    }
    return true;
}

// Adds the three bytes of a pixel, times the weight, into three accumulator entries; each sum is
// formed in double precision and stored in single precision.
static inline void AccumulatePixel(float *entry, float weight, const uint8_t *pixel)
{
    for (int c = 0; c < 3; c++)
        entry[c] = Single((double)entry[c] + (double)weight * (double)pixel[c]);
}

// A source pixel (or row) of the given length that ends at end: when end passes the boundary of
// a destination pixel it straddles two, and the shares before and after the boundary are its
// weights; otherwise it lies in one, with weight 1.
static bool Straddle(uint16_t end, uint16_t boundary, uint16_t length, float *before, float *after)
{
    if (end <= boundary) {
        *before = 1.0f;
        *after = 0.0f;
        return false;
    }
    *after = Single((double)(end - boundary) / (double)length);
    *before = Single(1.0 - (double)*after);
    return true;
}

bool ResampleBox(ScalableImage *image, uint16_t width, uint16_t height)
{
    const uint16_t A = image->Width;
    const uint16_t B = image->Height;
    const uint16_t W = width;
    const uint16_t H = height;
    if (!image->Pixels || !image->ScaledPixels || W < 1 || W > A || H < 1 || H > B || image->Stride < 3 * (uint32_t)A ||
        image->ScaledStride < 3 * (uint32_t)W)
        return false;
    const size_t lineEntries = 3 * (size_t)W;
    float *acc = (float *)calloc(lineEntries * H, sizeof(float));
    if (!acc)
        return false;
    uint16_t saved = EnterDoublePrecision();

    // A source pixel is W units long and a destination pixel A units; a source row is H units
    // high and a destination row B units. X and Y are where the current source pixel and row
    // end, measured from the start of the current destination column and row.
    uint16_t j = 0;
    uint16_t Y = 0;
    for (uint16_t row = 0; row < B; row++) {
        const uint8_t *source = image->Pixels + (size_t)row * image->Stride;
        Y = (uint16_t)(Y + H);
        float wy0, wy1;
        bool splitY = Straddle(Y, B, H, &wy0, &wy1);
        float *line0 = acc + (size_t)j * lineEntries;
        float *line1 = line0 + lineEntries; // used only when the row straddles

        uint16_t k = 0;
        uint16_t X = 0;
        for (uint16_t x = 0; x < A; x++, source += 3) {
            X = (uint16_t)(X + W);
            float wx0, wx1;
            bool splitX = Straddle(X, A, W, &wx0, &wx1);
            // A weight of 1 leaves the other factor unchanged, so one rule serves all four cases.
            float *e00 = line0 + 3 * (size_t)k;
            AccumulatePixel(e00, Single((double)wy0 * (double)wx0), source);
            if (splitX)
                AccumulatePixel(e00 + 3, Single((double)wy0 * (double)wx1), source);
            if (splitY) {
                float *e10 = line1 + 3 * (size_t)k;
                AccumulatePixel(e10, Single((double)wy1 * (double)wx0), source);
                if (splitX)
                    AccumulatePixel(e10 + 3, Single((double)wy1 * (double)wx1), source);
            }
            if (X >= A) {
                k++;
                X = (uint16_t)(X - A);
            }
        }
        if (Y >= B) {
            j++;
            Y = (uint16_t)(Y - B);
        }
    }

    float scale = Single((double)((uint32_t)W * H) / (double)((uint32_t)A * B));
    for (size_t y = 0; y < H; y++) {
        const float *entry = acc + y * lineEntries;
        uint8_t *out = image->ScaledPixels + y * image->ScaledStride;
        for (size_t i = 0; i < lineEntries; i++) {
            double value = (double)entry[i] * (double)scale + 0.5;
            out[i] = value >= 255.0 ? 255 : value > 0.0 ? (uint8_t)value : 0;
        }
    }
    LeaveDoublePrecision(saved);
    free(acc);
    return true;
}

void FreeImage(ScalableImage *image)
{
    free(image->Pixels);
    free(image->ScaledPixels);
    image->Pixels = NULL;
    image->ScaledPixels = NULL;
}
