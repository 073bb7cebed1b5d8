// Files of the image tests, checks and benchmark.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include <vector>

// The whole file, or nothing when it cannot be read.
static inline std::vector<uint8_t> ReadBytes(const char *path)
{
    std::vector<uint8_t> out;
    FILE *f = path ? fopen(path, "rb") : NULL;
    if (!f)
        return out;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    fclose(f);
    return out;
}

// A packed bitmap as a resource holds it: the .bmp file without its 14-byte file header; nothing
// when the file is not a .bmp.
static inline std::vector<uint8_t> PackedDibOfFile(const char *path)
{
    std::vector<uint8_t> file = ReadBytes(path);
    if (file.size() < 14 || file[0] != 'B' || file[1] != 'M')
        return std::vector<uint8_t>();
    return std::vector<uint8_t>(file.begin() + 14, file.end());
}
