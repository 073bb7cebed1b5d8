// Speed of the header pipeline's pure stages on the built header picture, at the frame's width.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "wizard/image.h"

static std::vector<uint8_t> HeaderResource()
{
    std::vector<uint8_t> out;
    FILE *f = fopen(HEADER_BMP, "rb");
    if (!f)
        return out;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    fclose(f);
    if (out.size() > 14)
        out.erase(out.begin(), out.begin() + 14);
    return out;
}

static const uint32_t FACE = 0xC8D0D4; // red 212, green 208, blue 200

// Stages 1 and 2: RLE8 expansion and conversion to 24-bit rows.
static void ReadHeader(benchmark::State &state)
{
    std::vector<uint8_t> dib = HeaderResource();
    for (auto _ : state) {
        ScalableImage image = {};
        if (!ReadPackedDib(&image, dib.data(), dib.size(), FACE)) {
            state.SkipWithError("no header picture");
            break;
        }
        FreeImage(&image);
    }
}
BENCHMARK(ReadHeader)->Unit(benchmark::kMillisecond);

// Stages 3 and 4: the fitted size and the box filter down to the given width.
static void ScaleHeader(benchmark::State &state)
{
    std::vector<uint8_t> dib = HeaderResource();
    ScalableImage image = {};
    if (!ReadPackedDib(&image, dib.data(), dib.size(), FACE)) {
        state.SkipWithError("no header picture");
        return;
    }
    for (auto _ : state) {
        image.TargetWidth = (uint16_t)state.range(0);
        image.TargetHeight = 0;
        image.FitMode = FIT_WIDTH;
        ScaleImage(&image);
        free(image.ScaledPixels);
        image.ScaledPixels = NULL;
    }
    FreeImage(&image);
}
BENCHMARK(ScaleHeader)->Arg(506)->Unit(benchmark::kMillisecond);

// Everything the first paint computes, at the given width.
static void WholePipeline(benchmark::State &state)
{
    std::vector<uint8_t> dib = HeaderResource();
    for (auto _ : state) {
        ScalableImage image = {};
        if (!ReadPackedDib(&image, dib.data(), dib.size(), FACE)) {
            state.SkipWithError("no header picture");
            break;
        }
        image.TargetWidth = (uint16_t)state.range(0);
        image.FitMode = FIT_WIDTH;
        ScaleImage(&image);
        FreeImage(&image);
    }
}
BENCHMARK(WholePipeline)->Arg(506)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
