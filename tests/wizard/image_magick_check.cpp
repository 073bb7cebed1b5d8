// image_magick_check HEADER.bmp IMAGEMAGICK.ppm
// The header picture as ImageMagick decodes it (a binary PPM, top row first) must equal our RLE8
// decoding and colour conversion with the face grey 220, which leaves every colour as it is.
#include <stdio.h>

#include <vector>

#include "image_files.h"
#include "wizard/image.h"

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: image_magick_check HEADER.bmp IMAGEMAGICK.ppm\n");
        return 2;
    }
    std::vector<uint8_t> dib = PackedDibOfFile(argv[1]);
    std::vector<uint8_t> ppm = ReadBytes(argv[2]);
    ppm.push_back(0); // ends the text of the PPM header for sscanf
    ScalableImage image = {};
    if (!ReadPackedDib(&image, dib.data(), dib.size(), 0xDCDCDC)) {
        fprintf(stderr, "%s: no picture\n", argv[1]);
        return 1;
    }
    int width = 0, height = 0, maxval = 0, used = 0;
    if (sscanf((const char *)ppm.data(), "P6 %d %d %d%n", &width, &height, &maxval, &used) != 3 || maxval != 255) {
        fprintf(stderr, "%s: not an 8-bit binary PPM\n", argv[2]);
        return 1;
    }
    used++; // the single white-space byte after the header
    if (width != image.Width || height != image.Height || ppm.size() < (size_t)used + 3 * (size_t)width * height) {
        fprintf(stderr, "sizes differ: ours %dx%d, ImageMagick %dx%d\n", image.Width, image.Height, width, height);
        return 1;
    }
    long mismatches = 0;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            // Ours: bottom row first, blue green red. The PPM: top row first, red green blue.
            const uint8_t *o = image.Pixels + (size_t)(height - 1 - y) * image.Stride + 3 * x;
            const uint8_t *m = ppm.data() + used + ((size_t)y * width + x) * 3;
            if (o[2] != m[0] || o[1] != m[1] || o[0] != m[2]) {
                if (mismatches++ < 10)
                    fprintf(stderr, "pixel %d,%d: ours %d,%d,%d, ImageMagick %d,%d,%d\n", x, y, o[2], o[1], o[0], m[0],
                            m[1], m[2]);
            }
        }
    FreeImage(&image);
    printf("%dx%d, %ld pixels differ\n", width, height, mismatches);
    return mismatches ? 1 : 0;
}
