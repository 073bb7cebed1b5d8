#include "formats.h"

#include <stdio.h>
#include <string.h>

static void Put16(std::vector<uint8_t> &out, uint32_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

static void Put32(std::vector<uint8_t> &out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

static void PutInfoHeader(std::vector<uint8_t> &out, int width, int height, int bits, uint32_t compression,
                          uint32_t sizeImage, uint32_t colours)
{
    Put32(out, 40);
    Put32(out, (uint32_t)width);
    Put32(out, (uint32_t)height);
    Put16(out, 1);
    Put16(out, (uint32_t)bits);
    Put32(out, compression);
    Put32(out, sizeImage);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, colours);
    Put32(out, colours);
}

static void PutPalette(std::vector<uint8_t> &out, const std::vector<Colour> &palette)
{
    for (const Colour &c : palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
}

static bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// Appends the codes of one row.
static void EncodeRow(const uint8_t *row, int width, std::vector<uint8_t> &out, Rle8Counts *counts)
{
    // Runs of equal pixels first.
    std::vector<std::pair<uint8_t, int>> runs;
    for (int x = 0; x < width;) {
        int n = 1;
        while (x + n < width && row[x + n] == row[x])
            n++;
        runs.push_back({row[x], n});
        x += n;
    }
    auto encoded = [&](uint8_t value, int n) {
        while (n > 0) {
            int part = n > 255 ? 255 : n;
            out.push_back((uint8_t)part);
            out.push_back(value);
            counts->encoded++;
            n -= part;
        }
    };
    size_t i = 0;
    while (i < runs.size()) {
        if (runs[i].second >= 3) {
            encoded(runs[i].first, runs[i].second);
            i++;
            continue;
        }
        // A stretch of short runs: literal bytes are cheaper than a code per run.
        size_t end = i;
        std::vector<uint8_t> literal;
        while (end < runs.size() && runs[end].second < 3) {
            literal.insert(literal.end(), runs[end].second, runs[end].first);
            end++;
        }
        size_t at = 0;
        while (literal.size() - at >= 3) {
            size_t n = literal.size() - at > 255 ? 255 : literal.size() - at;
            // Never leave a tail of one or two pixels that could have gone into this run.
            if (literal.size() - at - n > 0 && literal.size() - at - n < 3)
                n -= 3;
            out.push_back(0);
            out.push_back((uint8_t)n);
            out.insert(out.end(), literal.begin() + at, literal.begin() + at + n);
            if (n & 1) {
                out.push_back(0);
                counts->absoluteOdd++;
            } else {
                counts->absoluteEven++;
            }
            at += n;
        }
        while (at < literal.size()) {
            size_t n = 1;
            while (at + n < literal.size() && literal[at + n] == literal[at])
                n++;
            encoded(literal[at], (int)n);
            at += n;
        }
        i = end;
    }
}

std::vector<uint8_t> EncodeRle8(const IndexedPicture &picture, Rle8Counts *counts)
{
    std::vector<uint8_t> out;
    // Bottom row first.
    for (int y = picture.height - 1; y >= 0; y--) {
        EncodeRow(&picture.pixels[(size_t)y * picture.width], picture.width, out, counts);
        out.push_back(0);
        if (y > 0) {
            out.push_back(0);
            counts->endOfLine++;
        } else {
            out.push_back(1);
        }
    }
    return out;
}

bool WriteRle8Bitmap(const std::string &path, const IndexedPicture &picture, const std::vector<uint8_t> &stream)
{
    std::vector<uint8_t> out;
    uint32_t offset = 14 + 40 + 4 * (uint32_t)picture.palette.size();
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + (uint32_t)stream.size());
    Put32(out, 0);
    Put32(out, offset);
    PutInfoHeader(out, picture.width, picture.height, 8, 1, 0, (uint32_t)picture.palette.size());
    PutPalette(out, picture.palette);
    out.insert(out.end(), stream.begin(), stream.end());
    return WriteFile(path, out);
}

bool WriteIcon(const std::string &path, const std::vector<IndexedPicture> &images)
{
    // Each image: info header (height doubled for the mask), palette, 4-bit rows, 1-bit mask.
    std::vector<std::vector<uint8_t>> data;
    for (const IndexedPicture &p : images) {
        std::vector<uint8_t> d;
        size_t xorRow = ((size_t)p.width * 4 + 31) / 32 * 4;
        size_t andRow = ((size_t)p.width + 31) / 32 * 4;
        PutInfoHeader(d, p.width, p.height * 2, 4, 0, (uint32_t)((xorRow + andRow) * p.height), 0);
        PutPalette(d, p.palette);
        for (int y = p.height - 1; y >= 0; y--) {
            std::vector<uint8_t> row(xorRow, 0);
            for (int x = 0; x < p.width; x++) {
                uint8_t v = p.pixels[(size_t)y * p.width + x];
                uint8_t nibble = v == 255 ? 0 : v;
                row[x / 2] |= (uint8_t)(x % 2 ? nibble : nibble << 4);
            }
            d.insert(d.end(), row.begin(), row.end());
        }
        for (int y = p.height - 1; y >= 0; y--) {
            std::vector<uint8_t> row(andRow, 0);
            for (int x = 0; x < p.width; x++)
                if (p.pixels[(size_t)y * p.width + x] == 255)
                    row[x / 8] |= (uint8_t)(0x80 >> (x % 8));
            d.insert(d.end(), row.begin(), row.end());
        }
        data.push_back(d);
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, (uint32_t)images.size());
    uint32_t offset = 6 + 16 * (uint32_t)images.size();
    for (size_t i = 0; i < images.size(); i++) {
        out.push_back((uint8_t)images[i].width);
        out.push_back((uint8_t)images[i].height);
        out.push_back(16);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 4);
        Put32(out, (uint32_t)data[i].size());
        Put32(out, offset);
        offset += (uint32_t)data[i].size();
    }
    for (const std::vector<uint8_t> &d : data)
        out.insert(out.end(), d.begin(), d.end());
    return WriteFile(path, out);
}

bool WriteRgbBitmap(const std::string &path, int width, int height, const uint8_t *rows, size_t stride)
{
    size_t row = ((size_t)width * 3 + 3) & ~(size_t)3;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, (uint32_t)(14 + 40 + row * height));
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, width, height, 24, 0, (uint32_t)(row * height), 0);
    for (int y = 0; y < height; y++) {
        size_t at = out.size();
        out.resize(at + row, 0);
        memcpy(&out[at], rows + (size_t)y * stride, (size_t)width * 3);
    }
    return WriteFile(path, out);
}
