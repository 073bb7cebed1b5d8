// render-header IN.bmp WIDTH R,G,B OUT.bmp
// Runs the header pipeline of the wizard on a .bmp file: reads it as the resource would hold it
// (the file without its 14-byte file header), tints it toward the face colour R,G,B and reduces it
// to WIDTH pixels (0 keeps its own size); writes the result as a 24-bit .bmp.
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "formats.h"
#include "wizard/image.h"

int main(int argc, char **argv)
{
    unsigned r, g, b;
    char *end;
    long width = argc == 5 ? strtol(argv[2], &end, 10) : -1;
    if (argc != 5 || *end || width < 0 || width > 65535 || sscanf(argv[3], "%u,%u,%u", &r, &g, &b) != 3 || r > 255 ||
        g > 255 || b > 255) {
        fprintf(stderr, "usage: render-header IN.bmp WIDTH R,G,B OUT.bmp\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "render-header: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> file;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        file.insert(file.end(), buffer, buffer + n);
    fclose(f);
    if (file.size() < 14 || file[0] != 'B' || file[1] != 'M') {
        fprintf(stderr, "render-header: %s is not a .bmp file\n", argv[1]);
        return 1;
    }

    ScalableImage image = {};
    uint32_t face = r | g << 8 | b << 16;
    if (!ReadPackedDib(&image, file.data() + 14, file.size() - 14, face)) {
        fprintf(stderr, "render-header: %s gives no picture\n", argv[1]);
        return 1;
    }
    const uint8_t *rows = image.Pixels;
    int outWidth = image.Width, outHeight = image.Height;
    size_t stride = image.Stride;
    if (width != 0) {
        image.TargetWidth = (uint16_t)width;
        image.TargetHeight = 0;
        image.FitMode = FIT_WIDTH;
        if (!ScaleImage(&image)) {
            fprintf(stderr, "render-header: cannot reduce %dx%d to a width of %ld\n", image.Width, image.Height, width);
            FreeImage(&image);
            return 1;
        }
        rows = image.ScaledPixels;
        outWidth = image.ScaledWidth;
        outHeight = image.ScaledHeight;
        stride = image.ScaledStride;
    }
    bool written = WriteRgbBitmap(argv[4], outWidth, outHeight, rows, stride);
    FreeImage(&image);
    if (!written) {
        fprintf(stderr, "render-header: cannot write %s\n", argv[4]);
        return 1;
    }
    printf("%dx%d\n", outWidth, outHeight);
    return 0;
}
