// File formats the art tool writes: RLE8 bitmaps and 16-colour icons.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

struct Colour {
    uint8_t r, g, b;
};

// An 8-bit picture: rows top row first, each width palette indices.
struct IndexedPicture {
    int width = 0, height = 0;
    std::vector<Colour> palette;
    std::vector<uint8_t> pixels;
};

// What an RLE8 stream is made of, for the checks of the caller.
struct Rle8Counts {
    int encoded = 0, absoluteOdd = 0, absoluteEven = 0, endOfLine = 0;
};

// Encodes the rows (bottom row first, as the file stores them) into RLE8 codes: runs of three or
// more as encoded runs, stretches of shorter runs as absolute runs, an end-of-line code after
// every row but the last and the end-of-bitmap code at the end. No deltas.
std::vector<uint8_t> EncodeRle8(const IndexedPicture &picture, Rle8Counts *counts);

// Writes a .bmp file: file header, 40-byte info header (biSizeImage 0, biClrUsed and
// biClrImportant the palette size), the palette and the RLE8 stream.
bool WriteRle8Bitmap(const std::string &path, const IndexedPicture &picture, const std::vector<uint8_t> &stream);

// Writes a .ico file of 4-bit images; index 255 in a picture marks a transparent pixel.
// Every picture uses the same 16-entry palette.
bool WriteIcon(const std::string &path, const std::vector<IndexedPicture> &images);

// Writes a 24-bit .bmp file from rows of blue, green, red bytes (bottom row first, stride bytes
// apart); the padding of each row is written as zeros.
bool WriteRgbBitmap(const std::string &path, int width, int height, const uint8_t *rows, size_t stride);
