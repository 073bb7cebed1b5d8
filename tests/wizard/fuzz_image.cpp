// libFuzzer target: any bytes as a packed bitmap, read and scaled as the header pipeline does.
// The first 7 bytes choose the request: target width (2 bytes), target height, fit mode and the
// face colour (3 bytes); the rest is the packed bitmap.
#include <stdlib.h>
#include <string.h>

#include "wizard/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 7)
        return 0;
    uint16_t targetWidth = (uint16_t)(data[0] | data[1] << 8);
    uint8_t targetHeight = data[2];
    int8_t fitMode = (int8_t)data[3];
    uint32_t face = data[4] | data[5] << 8 | (uint32_t)data[6] << 16;
    data += 7;
    size -= 7;

    // Keep clear of the fuzzer's memory limit: the stages themselves accept far larger images.
    DibHeader header;
    if (size >= sizeof header) {
        memcpy(&header, data, sizeof header);
        if ((int64_t)header.biWidth * header.biHeight > 300000)
            return 0;
    }
    // An exact copy, so that any read past the end is caught.
    uint8_t *dib = (uint8_t *)malloc(size ? size : 1);
    memcpy(dib, data, size);

    ScalableImage image = {};
    if (ReadPackedDib(&image, dib, size, face)) {
        if (!image.Pixels || image.Width < 1 || image.Height < 1 || image.Width > DIB_MAX_WIDTH ||
            image.Height > DIB_MAX_HEIGHT)
            abort();
        image.TargetWidth = targetWidth;
        image.TargetHeight = targetHeight;
        image.FitMode = fitMode;
        if (ScaleImage(&image)) {
            if (image.ScaledWidth < 1 || image.ScaledWidth > image.Width || image.ScaledHeight < 1 ||
                image.ScaledHeight > image.Height)
                abort();
            // Same size: every byte passes through unchanged.
            bool same = image.ScaledWidth == image.Width && image.ScaledHeight == image.Height;
            for (size_t y = 0; y < image.ScaledHeight; y++)
                if (same && memcmp(image.Pixels + y * image.Stride, image.ScaledPixels + y * image.ScaledStride,
                                   3 * (size_t)image.Width) != 0)
                    abort();
        } else if (image.ScaledPixels) {
            abort();
        }
    } else if (image.Pixels) {
        abort();
    }
    FreeImage(&image);
    free(dib);
    return 0;
}
