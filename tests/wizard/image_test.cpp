#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "image_files.h"
#include "wizard/image.h"

typedef std::vector<uint8_t> Bytes;

// A face colour as GetSysColor gives it: red in the low byte.
static uint32_t Face(uint8_t r, uint8_t g, uint8_t b)
{
    return r | (uint32_t)g << 8 | (uint32_t)b << 16;
}

static void Put16(Bytes &out, uint16_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

static void Put32(Bytes &out, uint32_t v)
{
    Put16(out, (uint16_t)v);
    Put16(out, (uint16_t)(v >> 16));
}

struct Rgb {
    uint8_t r, g, b;
};

// A packed bitmap: header, colour table (blue, green, red, 0 per entry), pixel data.
static Bytes PackedDib(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                       const std::vector<Rgb> &colours, const Bytes &data, uint32_t clrUsed, uint32_t headerSize = 40)
{
    Bytes out;
    Put32(out, headerSize);
    Put32(out, (uint32_t)width);
    Put32(out, (uint32_t)height);
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, compression);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, clrUsed);
    Put32(out, clrUsed);
    out.resize(headerSize, 0);
    for (const Rgb &c : colours) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// The bytes in a heap block of exactly their size, so that any read past the end is caught.
struct Exact {
    uint8_t *p;
    size_t n;
    explicit Exact(const Bytes &b) : p((uint8_t *)malloc(b.size() ? b.size() : 1)), n(b.size())
    {
        if (n)
            memcpy(p, b.data(), n);
    }
    ~Exact() { free(p); }
};

// An image of the given size as ReadPackedDib would leave it, its pixels not yet set.
static ScalableImage NewImage(int width, int height)
{
    ScalableImage image = {};
    image.Width = (uint16_t)width;
    image.Height = (uint16_t)height;
    image.Stride = ((image.Width + 1) * 3) & 0xFFFC;
    image.Pixels = (uint8_t *)malloc(image.Height * image.Stride);
    return image;
}

// A grey image of the given rows (storage order).
static ScalableImage GreyImage(int width, const std::vector<std::vector<int>> &rows)
{
    ScalableImage image = NewImage(width, (int)rows.size());
    for (size_t y = 0; y < rows.size(); y++)
        for (int x = 0; x < width; x++)
            memset(image.Pixels + y * image.Stride + 3 * x, rows[y][x], 3);
    return image;
}

// Deterministic pseudo-random bytes for the larger images.
static ScalableImage NoiseImage(int width, int height, uint32_t seed)
{
    ScalableImage image = NewImage(width, height);
    for (size_t i = 0; i < (size_t)image.Height * image.Stride; i++) {
        seed = seed * 1103515245u + 12345u;
        image.Pixels[i] = (uint8_t)(seed >> 16);
    }
    return image;
}

static int ScaledByte(const ScalableImage &image, int x, int y, int channel)
{
    return image.ScaledPixels[y * image.ScaledStride + 3 * x + channel];
}

// ---- Sizes --------------------------------------------------------------------------------

TEST(FitImageSize, HeaderWidths)
{
    struct Case {
        uint16_t target, width, height;
    } cases[] = {{506, 506, 70}, {725, 725, 100}, {1450, 1450, 200}, {100, 100, 14}, {4, 4, 1}};
    for (const Case &c : cases) {
        ScalableImage image = {};
        image.Width = 1450;
        image.Height = 200;
        image.TargetWidth = c.target;
        image.ScaledWidth = c.target;
        image.FitMode = FIT_WIDTH;
        FitImageSize(&image);
        EXPECT_EQ(c.width, image.ScaledWidth) << "width " << c.target;
        EXPECT_EQ(c.height, image.ScaledHeight) << "width " << c.target;
    }
    // The quotient is rounded to single precision before the height rule uses it.
    EXPECT_EQ(2.8656127f, (float)(1450.0 / 506.0));
}

TEST(FitImageSize, EveryModeSetsOneSide)
{
    const uint16_t untouched = 0xBEEF;
    struct Case {
        int16_t mode;
        uint16_t targetWidth, targetHeight;
        uint16_t width, height; // expected; untouched where the rule keeps the side
    } cases[] = {
        // a 300 x 200 image
        {FIT_WIDTH, 150, 0, untouched, 100},
        {FIT_WIDTH, 150, 50, untouched, 100},
        {FIT_HEIGHT, 0, 50, 75, untouched},
        {FIT_COVER, 150, 50, untouched, 100},  // rx 2 < ry 4: the height rule
        {FIT_COVER, 60, 100, 150, untouched},  // rx 5 > ry 2: the width rule
        {FIT_CONTAIN, 150, 50, 75, untouched}, // rx 2 < ry 4: the width rule
        {FIT_CONTAIN, 60, 100, untouched, 40}, // rx 5 > ry 2: the height rule
        {FIT_COVER, 150, 100, 150, untouched}, // a tie takes the width rule in both modes
        {FIT_CONTAIN, 150, 100, 150, untouched},
        {1, 0, 50, 75, untouched}, // every other value behaves as FIT_HEIGHT
        {7, 0, 50, 75, untouched},
        {-1, 0, 50, 75, untouched},
        {FIT_WIDTH, 0, 0, untouched, 0},    // rx infinite
        {FIT_HEIGHT, 150, 0, 0, untouched}, // ry infinite
        {FIT_HEIGHT, 0, 0, 0, untouched},
    };
    for (const Case &c : cases) {
        ScalableImage image = {};
        image.Width = 300;
        image.Height = 200;
        image.TargetWidth = c.targetWidth;
        image.TargetHeight = c.targetHeight;
        image.ScaledWidth = untouched;
        image.ScaledHeight = untouched;
        image.FitMode = c.mode;
        FitImageSize(&image);
        EXPECT_EQ(c.width, image.ScaledWidth)
            << "mode " << c.mode << " target " << c.targetWidth << "x" << c.targetHeight;
        EXPECT_EQ(c.height, image.ScaledHeight)
            << "mode " << c.mode << " target " << c.targetWidth << "x" << c.targetHeight;
    }
}

TEST(FitImageSize, EmptyImageGivesNoSize)
{
    ScalableImage image = {};
    image.FitMode = FIT_WIDTH; // 0 / 0: not a number
    image.ScaledWidth = 5;
    FitImageSize(&image);
    EXPECT_EQ(0, image.ScaledHeight);
}

TEST(ScaleImage, SizesAndStrides)
{
    struct Case {
        uint16_t target, width, height;
        uint32_t stride;
    } cases[] = {
        {506, 506, 70, 1520}, {725, 725, 100, 2176}, {1450, 1450, 200, 4352}, {100, 100, 14, 300}, {4, 4, 1, 12}};
    ScalableImage image = NoiseImage(1450, 200, 1);
    for (const Case &c : cases) {
        image.TargetWidth = c.target;
        image.TargetHeight = 0;
        image.FitMode = FIT_WIDTH;
        ASSERT_TRUE(ScaleImage(&image)) << c.target;
        EXPECT_EQ(c.width, image.ScaledWidth);
        EXPECT_EQ(c.height, image.ScaledHeight);
        EXPECT_EQ(c.stride, image.ScaledStride);
        free(image.ScaledPixels);
    }
    image.ScaledPixels = NULL;
    FreeImage(&image);
}

TEST(ScaleImage, SizesOutsideTheFilterGiveNoImage)
{
    struct Case {
        int16_t mode;
        uint16_t targetWidth, targetHeight;
    } cases[] = {
        {FIT_WIDTH, 1451, 0},  // enlargement
        {FIT_WIDTH, 3, 0},     // height 0
        {FIT_WIDTH, 0, 0},     // nothing requested
        {FIT_STRETCH, 100, 0}, // height 0 as requested
        {FIT_STRETCH, 100, 201}, {FIT_STRETCH, 1451, 10},
    };
    ScalableImage image = NoiseImage(1450, 200, 2);
    for (const Case &c : cases) {
        image.TargetWidth = c.targetWidth;
        image.TargetHeight = c.targetHeight;
        image.FitMode = c.mode;
        image.ScaledPixels = (uint8_t *)1; // must be replaced
        EXPECT_FALSE(ScaleImage(&image)) << c.targetWidth << "x" << c.targetHeight;
        EXPECT_EQ(NULL, image.ScaledPixels);
    }
    FreeImage(&image);

    ScalableImage empty = {};
    empty.Width = 10;
    empty.Height = 10;
    empty.TargetWidth = 5;
    empty.FitMode = FIT_WIDTH;
    EXPECT_FALSE(ScaleImage(&empty)); // no pixels to scale
}

// ---- Box filter ---------------------------------------------------------------------------

TEST(ResampleBox, SameSizeCopiesEveryByte)
{
    ScalableImage image = NoiseImage(1450, 200, 3);
    image.TargetWidth = 1450;
    image.FitMode = FIT_WIDTH;
    ASSERT_TRUE(ScaleImage(&image));
    for (int y = 0; y < 200; y++)
        ASSERT_EQ(0, memcmp(image.Pixels + y * image.Stride, image.ScaledPixels + y * image.ScaledStride, 3 * 1450))
            << "row " << y;
    FreeImage(&image);
}

TEST(ResampleBox, HalvingTakesTheRoundedMean)
{
    ScalableImage tiny = GreyImage(2, {{10, 40}, {11, 41}});
    tiny.TargetWidth = 1;
    tiny.FitMode = FIT_WIDTH;
    ASSERT_TRUE(ScaleImage(&tiny));
    ASSERT_EQ(1, tiny.ScaledHeight);
    for (int c = 0; c < 3; c++)
        EXPECT_EQ(26, ScaledByte(tiny, 0, 0, c));
    FreeImage(&tiny);

    ScalableImage image = NoiseImage(1450, 200, 4);
    image.TargetWidth = 725;
    image.FitMode = FIT_WIDTH;
    ASSERT_TRUE(ScaleImage(&image));
    ASSERT_EQ(100, image.ScaledHeight);
    for (int y = 0; y < 100; y++)
        for (int i = 0; i < 3 * 725; i++) {
            const uint8_t *p = image.Pixels + 2 * y * image.Stride + 2 * (i / 3) * 3 + i % 3;
            int sum = p[0] + p[3] + p[image.Stride] + p[image.Stride + 3];
            ASSERT_EQ((sum + 2) / 4, image.ScaledPixels[y * image.ScaledStride + i]) << "row " << y << " byte " << i;
        }
    FreeImage(&image);
}

TEST(ResampleBox, StraddlingPixelsAreShared)
{
    ScalableImage row = GreyImage(3, {{30, 60, 90}});
    row.ScaledStride = 8;
    row.ScaledPixels = (uint8_t *)malloc(8);
    ASSERT_TRUE(ResampleBox(&row, 2, 1));
    for (int c = 0; c < 3; c++) {
        EXPECT_EQ(40, ScaledByte(row, 0, 0, c));
        EXPECT_EQ(80, ScaledByte(row, 1, 0, c));
    }
    FreeImage(&row);

    ScalableImage square = GreyImage(3, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}});
    square.TargetWidth = 2;
    square.FitMode = FIT_WIDTH;
    ASSERT_TRUE(ScaleImage(&square));
    ASSERT_EQ(2, square.ScaledHeight);
    const int expected[2][2] = {{23, 37}, {63, 77}};
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 2; x++)
            for (int c = 0; c < 3; c++)
                EXPECT_EQ(expected[y][x], ScaledByte(square, x, y, c)) << x << "," << y;
    FreeImage(&square);
}

// Every reduction of every small size: a flat image stays flat, and a noisy one stays within
// one step of the exact area-weighted mean.
TEST(ResampleBox, EverySmallReductionIsTheAreaMean)
{
    for (int a = 1; a <= 7; a++)
        for (int b = 1; b <= 6; b++) {
            ScalableImage image = NoiseImage(a, b, (uint32_t)(a * 31 + b));
            for (int w = 1; w <= a; w++)
                for (int h = 1; h <= b; h++) {
                    image.ScaledStride = ((w + 1) * 3) & 0xFFFC;
                    image.ScaledPixels = (uint8_t *)malloc(h * image.ScaledStride);
                    ASSERT_TRUE(ResampleBox(&image, (uint16_t)w, (uint16_t)h));
                    for (int y = 0; y < h; y++)
                        for (int x = 0; x < w; x++)
                            for (int c = 0; c < 3; c++) {
                                // Overlap of source pixel (sx, sy) with destination (x, y),
                                // in units where a source pixel is w x h.
                                double sum = 0;
                                for (int sy = 0; sy < b; sy++)
                                    for (int sx = 0; sx < a; sx++) {
                                        double ox = fmin((sx + 1) * w, (x + 1) * a) - fmax(sx * w, x * a);
                                        double oy = fmin((sy + 1) * h, (y + 1) * b) - fmax(sy * h, y * b);
                                        if (ox > 0 && oy > 0)
                                            sum += ox * oy * image.Pixels[sy * image.Stride + 3 * sx + c];
                                    }
                                double mean = sum / ((double)a * b);
                                ASSERT_NEAR(mean, ScaledByte(image, x, y, c), 1.0)
                                    << a << "x" << b << " -> " << w << "x" << h << " at " << x << "," << y;
                            }
                    free(image.ScaledPixels);
                }
            memset(image.Pixels, 200, b * image.Stride);
            for (int w = 1; w <= a; w++)
                for (int h = 1; h <= b; h++) {
                    image.ScaledStride = ((w + 1) * 3) & 0xFFFC;
                    image.ScaledPixels = (uint8_t *)malloc(h * image.ScaledStride);
                    ASSERT_TRUE(ResampleBox(&image, (uint16_t)w, (uint16_t)h));
                    for (int y = 0; y < h; y++)
                        for (int i = 0; i < 3 * w; i++)
                            ASSERT_EQ(200, image.ScaledPixels[y * image.ScaledStride + i]);
                    free(image.ScaledPixels);
                }
            image.ScaledPixels = NULL;
            FreeImage(&image);
        }
}

// Reductions of fixed noise images, pinned byte for byte (the figures were checked against a
// separate transcription of the arithmetic). The arithmetic is fixed, so every build, SSE or
// x87, optimised or not, must give exactly these bytes.
static uint64_t ScaledDigest(const ScalableImage &image, uint64_t digest)
{
    for (int y = 0; y < image.ScaledHeight; y++)
        for (int i = 0; i < 3 * image.ScaledWidth; i++)
            digest = (digest ^ image.ScaledPixels[y * image.ScaledStride + i]) * 1099511628211ull;
    return digest ^ image.ScaledHeight;
}

TEST(ResampleBox, ReductionsArePinned)
{
    ScalableImage header = NoiseImage(1450, 200, 5);
    header.TargetWidth = 506;
    header.FitMode = FIT_WIDTH;
    ASSERT_TRUE(ScaleImage(&header));
    EXPECT_EQ(0x80f48aad2542315full, ScaledDigest(header, 1469598103934665603ull));
    FreeImage(&header);

    // Random sizes up to 89 x 59 and random widths, 400 draws.
    uint32_t seed = 7;
    uint64_t digest = 1469598103934665603ull;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (int)(seed >> 16);
    };
    for (int t = 0; t < 400; t++) {
        int a = 1 + next() % 90;
        int b = 1 + next() % 60;
        int w = 1 + next() % a;
        ScalableImage image = NewImage(a, b);
        for (size_t i = 0; i < (size_t)b * image.Stride; i++)
            image.Pixels[i] = (uint8_t)next();
        image.TargetWidth = (uint16_t)w;
        image.FitMode = FIT_WIDTH;
        if (ScaleImage(&image))
            digest = (digest ^ ScaledDigest(image, 1469598103934665603ull)) * 1099511628211ull;
        FreeImage(&image);
    }
    EXPECT_EQ(0xa6b51577ce3dfdcdull, digest);
}

TEST(ResampleBox, RefusesSizesItCannotReduceTo)
{
    ScalableImage image = GreyImage(3, {{1, 2, 3}, {4, 5, 6}});
    uint8_t out[64];
    memset(out, 0xAA, sizeof out);
    image.ScaledPixels = out;
    image.ScaledStride = 12;
    const uint16_t sizes[][2] = {{0, 1}, {1, 0}, {4, 1}, {1, 3}, {0, 0}};
    for (const auto &s : sizes)
        EXPECT_FALSE(ResampleBox(&image, s[0], s[1])) << s[0] << "x" << s[1];
    image.ScaledStride = 5; // too short for two pixels
    EXPECT_FALSE(ResampleBox(&image, 2, 1));
    for (uint8_t b : out)
        EXPECT_EQ(0xAA, b);
    image.ScaledPixels = NULL;
    FreeImage(&image);
}

// ---- Colours ------------------------------------------------------------------------------

TEST(BlendWithFace, HeldToAByte)
{
    const int cases[][3] = {{212, 220, 212}, {255, 255, 255}, {0, 10, 0},      {100, 120, 0},
                            {220, 0, 0},     {220, 255, 255}, {230, 250, 255}, {10, 220, 10}};
    for (const auto &c : cases)
        EXPECT_EQ(c[2], BlendWithFace((uint8_t)c[0], (uint8_t)c[1])) << c[0] << " " << c[1];
}

// One row of an uncompressed 8-bit image with the given colour table, converted.
static std::vector<Rgb> ConvertTable(const std::vector<Rgb> &table, uint32_t face, uint16_t count = 0xFFFF)
{
    std::vector<uint8_t> colours;
    for (const Rgb &c : table) {
        colours.push_back(c.b);
        colours.push_back(c.g);
        colours.push_back(c.r);
        colours.push_back(0);
    }
    ScalableImage image = {};
    image.Width = (uint16_t)(table.size() + 2);
    image.Height = 1;
    image.Stride = ((image.Width + 1) * 3) & 0xFFFC;
    Bytes row((image.Width + 3) & ~3, 0);
    for (size_t i = 0; i < image.Width; i++)
        row[i] = (uint8_t)(i < table.size() ? i : 200 + i); // the last two lie past the table
    uint8_t *out =
        ConvertToRgb24(&image, row.data(), 8, colours.data(), count == 0xFFFF ? (uint16_t)table.size() : count, face);
    std::vector<Rgb> result;
    for (size_t i = 0; out && i < image.Width; i++)
        result.push_back({out[3 * i + 2], out[3 * i + 1], out[3 * i]});
    free(out);
    return result;
}

TEST(ConvertToRgb24, ColourTableTakesTheFaceColour)
{
    const std::vector<Rgb> table = {{220, 220, 220}, {255, 255, 255}, {10, 10, 10}, {0, 0, 0},
                                    {255, 0, 0},     {1, 2, 4},       {0, 0, 128},  {3, 3, 3}};
    struct Case {
        uint32_t face;
        std::vector<Rgb> expected;
    } cases[] = {
        {Face(212, 208, 200),
         {{212, 208, 200}, {247, 243, 235}, {2, 0, 0}, {0, 0, 0}, {255, 0, 0}, {1, 2, 4}, {0, 0, 128}, {0, 0, 0}}},
        {Face(255, 255, 255),
         {{255, 255, 255},
          {255, 255, 255},
          {45, 45, 45},
          {0, 0, 0},
          {255, 0, 0},
          {1, 2, 4},
          {0, 0, 128},
          {38, 38, 38}}},
        {Face(220, 220, 220), table},
    };
    for (const Case &c : cases) {
        std::vector<Rgb> got = ConvertTable(table, c.face);
        ASSERT_EQ(table.size() + 2, got.size());
        for (size_t i = 0; i < table.size(); i++) {
            EXPECT_EQ(c.expected[i].r, got[i].r) << "entry " << i << " face " << c.face;
            EXPECT_EQ(c.expected[i].g, got[i].g) << "entry " << i << " face " << c.face;
            EXPECT_EQ(c.expected[i].b, got[i].b) << "entry " << i << " face " << c.face;
        }
        // Values at or past the colour count are black.
        for (size_t i = table.size(); i < got.size(); i++)
            EXPECT_TRUE(got[i].r == 0 && got[i].g == 0 && got[i].b == 0) << "pixel " << i;
    }
    // A count shorter than the table hides the rest of it.
    std::vector<Rgb> got = ConvertTable(table, Face(220, 220, 220), 2);
    ASSERT_EQ(table.size() + 2, got.size());
    EXPECT_EQ(255, got[1].r);
    EXPECT_EQ(0, got[4].r);
}

TEST(ConvertToRgb24, TwentyFourBitPixelsAreTakenAsTheyAre)
{
    // 2 x 2, rows of 6 bytes padded to 8, bottom row first.
    const Bytes data = {220, 220, 220, 1, 2, 3, 0xEE, 0xEE, 255, 255, 255, 0, 0, 128, 0xEE, 0xEE};
    Bytes dib = PackedDib(2, 2, 24, DIB_RGB, {}, data, 0);
    Exact e(dib);
    ScalableImage image = {};
    ASSERT_TRUE(ReadPackedDib(&image, e.p, e.n, Face(212, 208, 200)));
    EXPECT_EQ(8u, image.Stride);
    const uint8_t expected[2][6] = {{220, 220, 220, 1, 2, 3}, {255, 255, 255, 0, 0, 128}};
    for (int y = 0; y < 2; y++)
        EXPECT_EQ(0, memcmp(expected[y], image.Pixels + y * image.Stride, 6)) << "row " << y;
    FreeImage(&image);
}

TEST(ConvertToRgb24, OnlyEightAndTwentyFourBits)
{
    ScalableImage image = {};
    image.Width = 4;
    image.Height = 1;
    image.Stride = 12;
    const uint8_t rows[16] = {0};
    const uint8_t colours[8] = {0};
    for (int16_t bits : {1, 4, 16, 32, 0, -8})
        EXPECT_EQ(NULL, ConvertToRgb24(&image, rows, bits, colours, 2, 0)) << bits;
}

TEST(DibColorCount, UsedCountOrTheFullTable)
{
    struct Case {
        uint32_t used;
        uint16_t bits;
        uint16_t count;
    } cases[] = {{188, 8, 188}, {0, 8, 256}, {0, 4, 16}, {0, 1, 2}, {0, 24, 0},
                 {0, 16, 0},    {0, 32, 0},  {5, 24, 5}, {2, 1, 2}, {0x10003, 8, 3}};
    for (const Case &c : cases) {
        DibHeader header = {};
        header.biBitCount = c.bits;
        header.biClrUsed = c.used;
        EXPECT_EQ(c.count, DibColorCount(&header)) << c.used << " " << c.bits;
    }
}

// ---- RLE8 ---------------------------------------------------------------------------------

struct RleCase {
    const char *name;
    int16_t width, height;
    Bytes stream;
    std::vector<Bytes> rows; // expected pixels of each row (its first `width` bytes)
};

TEST(DecodeRle8, Codes)
{
    const RleCase cases[] = {
        {"odd absolute run skips a byte", 8, 1, {0, 3, 1, 2, 3, 0xEE, 2, 4, 0, 1}, {{1, 2, 3, 4, 4, 0, 0, 0}}},
        {"even absolute run skips none", 8, 1, {0, 4, 1, 2, 3, 4, 1, 5, 0, 1}, {{1, 2, 3, 4, 5, 0, 0, 0}}},
        {"delta 5,1",
         8,
         3,
         {1, 7, 0, 2, 5, 1, 1, 9, 0, 1},
         {{7, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 9, 0}, {0, 0, 0, 0, 0, 0, 0, 0}}},
        {"end of line in mid-row", 4, 2, {2, 5, 0, 0, 1, 6, 0, 1}, {{5, 5, 0, 0}, {6, 0, 0, 0}}},
        {"encoded runs", 5, 2, {3, 8, 2, 9, 0, 0, 5, 1, 0, 1}, {{8, 8, 8, 9, 9}, {1, 1, 1, 1, 1}}},
        {"nothing written stays entry 0", 3, 2, {0, 1}, {{0, 0, 0}, {0, 0, 0}}},
        // Malformed streams: clipped to the row, stopped at the end of the data or the image.
        {"run past the row end", 4, 2, {255, 7, 1, 3, 0, 1}, {{7, 7, 7, 7}, {0, 0, 0, 0}}},
        {"absolute run past the row end", 3, 2, {0, 5, 1, 2, 3, 4, 5, 0xEE, 0, 0, 1, 6, 0, 1}, {{1, 2, 3}, {6, 0, 0}}},
        {"delta past the row end", 4, 2, {0, 2, 200, 0, 1, 3, 0, 0, 1, 4}, {{0, 0, 0, 0}, {4, 0, 0, 0}}},
        {"delta past the last row", 2, 2, {1, 1, 0, 2, 0, 9, 1, 2, 0, 1}, {{1, 0}, {0, 0}}},
        {"end of line past the last row", 2, 1, {1, 1, 0, 0, 0, 0, 1, 2}, {{1, 0}}},
        {"no end-of-bitmap code", 3, 2, {1, 4, 0, 0, 2, 5}, {{4, 0, 0}, {5, 5, 0}}},
        {"ends inside a code", 3, 1, {2, 4, 1}, {{4, 4, 0}}},
        {"ends inside an absolute run", 4, 1, {0, 5, 1, 2}, {{1, 2, 0, 0}}},
        {"ends inside a delta", 4, 1, {1, 3, 0, 2, 1}, {{3, 0, 0, 0}}},
        {"ends before the pad byte", 4, 1, {0, 3, 1, 2, 3}, {{1, 2, 3, 0}}},
        {"empty stream", 2, 2, {}, {{0, 0}, {0, 0}}},
    };
    for (const RleCase &c : cases) {
        Exact e(c.stream);
        uint8_t *rows = DecodeRle8(c.width, c.height, e.p, e.n);
        ASSERT_NE(nullptr, rows) << c.name;
        size_t stride = (c.width * 8 + 31) / 32 * 4;
        ASSERT_EQ((size_t)c.height, c.rows.size()) << c.name;
        for (int y = 0; y < c.height; y++) {
            EXPECT_EQ(0, memcmp(c.rows[y].data(), rows + y * stride, c.width)) << c.name << ", row " << y;
            for (size_t x = c.width; x < stride; x++)
                EXPECT_EQ(0, rows[y * stride + x]) << c.name << ": padding written";
        }
        free(rows);
    }
}

TEST(DecodeRle8, RefusesEmptySizes)
{
    const uint8_t stream[2] = {0, 1};
    EXPECT_EQ(NULL, DecodeRle8(0, 1, stream, 2));
    EXPECT_EQ(NULL, DecodeRle8(1, 0, stream, 2));
    EXPECT_EQ(NULL, DecodeRle8(-4, 2, stream, 2));
    EXPECT_EQ(NULL, DecodeRle8(4, -2, stream, 2));
}

// ---- Packed bitmaps -----------------------------------------------------------------------

TEST(ReadPackedDib, Rle8ThroughTheColourTable)
{
    const std::vector<Rgb> colours = {{0, 0, 0}, {220, 220, 220}, {255, 0, 0}};
    const Bytes stream = {0, 3, 1, 2, 0, 0xEE, 0, 0, 3, 1, 0, 1};
    Bytes dib = PackedDib(3, 2, 8, DIB_RLE8, colours, stream, 3);
    Exact e(dib);
    ScalableImage image = {};
    ASSERT_TRUE(ReadPackedDib(&image, e.p, e.n, Face(212, 208, 200)));
    EXPECT_EQ(3, image.Width);
    EXPECT_EQ(2, image.Height);
    EXPECT_EQ(12u, image.Stride);
    const uint8_t expected[2][9] = {{200, 208, 212, 0, 0, 255, 0, 0, 0}, {200, 208, 212, 200, 208, 212, 200, 208, 212}};
    for (int y = 0; y < 2; y++)
        EXPECT_EQ(0, memcmp(expected[y], image.Pixels + y * image.Stride, 9)) << "row " << y;
    FreeImage(&image);
}

TEST(ReadPackedDib, UncompressedEightBit)
{
    // 5 x 2: rows of ((5 * 8 + 31) / 32) * 4 = 8 bytes.
    const std::vector<Rgb> colours = {{0, 0, 0}, {10, 20, 30}, {255, 255, 255}};
    const Bytes data = {1, 2, 0, 1, 2, 0xEE, 0xEE, 0xEE, 2, 2, 1, 1, 0, 0xEE, 0xEE, 0xEE};
    Bytes dib = PackedDib(5, 2, 8, DIB_RGB, colours, data, 3);
    Exact e(dib);
    ScalableImage image = {};
    ASSERT_TRUE(ReadPackedDib(&image, e.p, e.n, Face(220, 220, 220)));
    const int pixels[2][5] = {{1, 2, 0, 1, 2}, {2, 2, 1, 1, 0}};
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 5; x++) {
            const Rgb &c = colours[pixels[y][x]];
            const uint8_t *p = image.Pixels + y * image.Stride + 3 * x;
            EXPECT_TRUE(p[0] == c.b && p[1] == c.g && p[2] == c.r) << x << "," << y;
        }
    FreeImage(&image);

    // The table follows a larger header at biSize; a full 256-entry table when biClrUsed is 0.
    std::vector<Rgb> full(256, Rgb{0, 0, 0});
    full[1] = {9, 8, 7};
    Bytes big = PackedDib(1, 1, 8, DIB_RGB, full, {1, 0, 0, 0}, 0, 124);
    Exact b(big);
    ASSERT_TRUE(ReadPackedDib(&image, b.p, b.n, Face(220, 220, 220)));
    EXPECT_EQ(7, image.Pixels[0]);
    EXPECT_EQ(8, image.Pixels[1]);
    EXPECT_EQ(9, image.Pixels[2]);
    FreeImage(&image);
}

TEST(ReadPackedDib, NoPictureFromBadInput)
{
    const std::vector<Rgb> two = {{0, 0, 0}, {1, 1, 1}};
    const Bytes rle = {0, 1};
    struct Case {
        const char *name;
        Bytes dib;
    } cases[] = {
        {"4 bits", PackedDib(2, 2, 4, DIB_RGB, two, Bytes(8, 0), 2)},
        {"1 bit", PackedDib(2, 2, 1, DIB_RGB, two, Bytes(8, 0), 2)},
        {"32 bits", PackedDib(2, 2, 32, DIB_RGB, {}, Bytes(16, 0), 0)},
        {"16 bits", PackedDib(2, 2, 16, DIB_RGB, {}, Bytes(8, 0), 0)},
        {"top-down", PackedDib(2, -2, 8, DIB_RLE8, two, rle, 2)},
        {"no rows", PackedDib(2, 0, 8, DIB_RLE8, two, rle, 2)},
        {"no columns", PackedDib(0, 2, 8, DIB_RLE8, two, rle, 2)},
        {"negative width", PackedDib(-2, 2, 8, DIB_RLE8, two, rle, 2)},
        {"too wide", PackedDib(10922, 1, 8, DIB_RLE8, two, rle, 2)},
        {"too tall", PackedDib(1, 32768, 8, DIB_RLE8, two, rle, 2)},
        {"wider than 16 bits", PackedDib(65536 + 2, 2, 8, DIB_RLE8, two, rle, 2)},
        {"header too small", PackedDib(2, 2, 8, DIB_RLE8, two, rle, 2, 12)},
        {"header cut short", PackedDib(2, 2, 8, DIB_RLE8, {}, {}, 0, 40)},
        {"header past the end", PackedDib(2, 2, 8, DIB_RLE8, two, rle, 2)},
        {"colour table past the end", PackedDib(2, 2, 8, DIB_RLE8, two, {}, 3)},
        {"full table missing", PackedDib(2, 2, 8, DIB_RLE8, two, rle, 0)},
        {"8-bit rows cut short", PackedDib(2, 2, 8, DIB_RGB, two, Bytes(7, 0), 2)},
        {"24-bit rows cut short", PackedDib(2, 2, 24, DIB_RGB, {}, Bytes(15, 0), 0)},
    };
    for (Case &c : cases) {
        if (strcmp(c.name, "header cut short") == 0)
            c.dib.resize(39);
        if (strcmp(c.name, "header past the end") == 0)
            c.dib[0] = 60; // biSize beyond the 50 bytes there are
        Exact e(c.dib);
        ScalableImage image = {};
        image.Pixels = (uint8_t *)1; // must be cleared
        EXPECT_FALSE(ReadPackedDib(&image, e.p, e.n, 0)) << c.name;
        EXPECT_EQ(NULL, image.Pixels) << c.name;
    }
}

// ---- The header picture the build makes ---------------------------------------------------

// The header picture the build made, as the resource holds it.
static Bytes HeaderResource()
{
    return PackedDibOfFile(getenv("HEADER_BMP"));
}

TEST(HeaderPicture, FormatAndStream)
{
    Bytes dib = HeaderResource();
    ASSERT_GT(dib.size(), 40u) << "HEADER_BMP names the built header picture";
    DibHeader h;
    memcpy(&h, dib.data(), sizeof h);
    EXPECT_EQ(40u, h.biSize);
    EXPECT_EQ(1450, h.biWidth);
    EXPECT_EQ(200, h.biHeight);
    EXPECT_EQ(1, h.biPlanes);
    EXPECT_EQ(8, h.biBitCount);
    EXPECT_EQ((uint32_t)DIB_RLE8, h.biCompression);
    EXPECT_EQ(0u, h.biSizeImage);
    EXPECT_EQ(188u, h.biClrUsed);
    EXPECT_EQ(188u, h.biClrImportant);
    EXPECT_EQ(188, DibColorCount(&h));

    // Colours: greys, pure reds, one dark blue, black.
    int blues = 0, blacks = 0;
    for (int i = 0; i < 188; i++) {
        const uint8_t *q = &dib[40 + 4 * i];
        uint8_t b = q[0], g = q[1], r = q[2];
        EXPECT_EQ(0, q[3]);
        if (r == 0 && g == 0 && b == 0)
            blacks++;
        else if (r == 0 && g == 0 && b == 128)
            blues++;
        else
            EXPECT_TRUE((r == g && g == b) || (g == 0 && b == 0)) << "entry " << i;
    }
    EXPECT_EQ(1, blues);
    EXPECT_EQ(1, blacks);

    // Walk the codes: every row gets exactly 1450 pixels; the stream has encoded runs, odd and
    // even absolute runs and end-of-line codes, no delta, and ends with end-of-bitmap.
    const Bytes stream(dib.begin() + 40 + 4 * 188, dib.end());
    size_t at = 0;
    int rows = 0, encoded = 0, oddAbsolute = 0, evenAbsolute = 0, endOfLine = 0, deltas = 0;
    size_t x = 0;
    bool ended = false;
    while (at + 2 <= stream.size() && !ended) {
        uint8_t n = stream[at], e = stream[at + 1];
        at += 2;
        if (n) {
            encoded++;
            x += n;
        } else if (e == 0) {
            endOfLine++;
            EXPECT_EQ(1450u, x) << "row " << rows;
            rows++;
            x = 0;
        } else if (e == 1) {
            EXPECT_EQ(1450u, x) << "last row";
            rows++;
            ended = true;
        } else if (e == 2) {
            deltas++;
            at += 2;
        } else {
            (e & 1 ? oddAbsolute : evenAbsolute)++;
            x += e;
            at += e + (e & 1);
        }
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(stream.size(), at) << "the end-of-bitmap code ends the data";
    EXPECT_EQ(200, rows);
    EXPECT_EQ(199, endOfLine);
    EXPECT_GT(encoded, 0);
    EXPECT_GT(oddAbsolute, 0);
    EXPECT_GT(evenAbsolute, 0);
    EXPECT_EQ(0, deltas);

    // The decoder needs all of it and gives 200 rows of 1450 pixels.
    Exact e(stream);
    uint8_t *decoded = DecodeRle8(1450, 200, e.p, e.n);
    ASSERT_NE(nullptr, decoded);
    free(decoded);
}

TEST(HeaderPicture, ScalesToTheFrameWidth)
{
    Bytes dib = HeaderResource();
    ASSERT_GT(dib.size(), 40u);
    Exact e(dib);
    ScalableImage image = {};
    ASSERT_TRUE(ReadPackedDib(&image, e.p, e.n, Face(212, 208, 200)));
    image.TargetWidth = 506;
    image.FitMode = FIT_WIDTH;
    ASSERT_TRUE(ScaleImage(&image));
    EXPECT_EQ(506, image.ScaledWidth);
    EXPECT_EQ(70, image.ScaledHeight);
    FreeImage(&image);
}
