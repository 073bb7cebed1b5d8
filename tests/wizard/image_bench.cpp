// Speed of the header pipeline's pure stages on the built header picture, at the frame's width.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "image_files.h"
#include "wizard/image.h"

static const uint32_t FACE = 0xC8D0D4; // red 212, green 208, blue 200

// Stages 1 and 2 on the built header picture; false, failing the benchmark, without it.
static bool ReadHeader(benchmark::State &state, const std::vector<uint8_t> &dib, ScalableImage *image)
{
    memset(image, 0, sizeof *image);
    if (ReadPackedDib(image, dib.data(), dib.size(), FACE))
        return true;
    state.SkipWithError("no header picture");
    return false;
}

// Stages 1 and 2: RLE8 expansion and conversion to 24-bit rows.
static void ReadPicture(benchmark::State &state)
{
    std::vector<uint8_t> dib = PackedDibOfFile(HEADER_BMP);
    ScalableImage image;
    for (auto _ : state) {
        if (!ReadHeader(state, dib, &image))
            break;
        FreeImage(&image);
    }
}
BENCHMARK(ReadPicture)->Unit(benchmark::kMillisecond);

// Stages 3 and 4: the fitted size and the box filter down to the given width.
static void ScaleHeader(benchmark::State &state)
{
    std::vector<uint8_t> dib = PackedDibOfFile(HEADER_BMP);
    ScalableImage image;
    if (!ReadHeader(state, dib, &image))
        return;
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
    std::vector<uint8_t> dib = PackedDibOfFile(HEADER_BMP);
    ScalableImage image;
    for (auto _ : state) {
        if (!ReadHeader(state, dib, &image))
            break;
        image.TargetWidth = (uint16_t)state.range(0);
        image.FitMode = FIT_WIDTH;
        ScaleImage(&image);
        FreeImage(&image);
    }
}
BENCHMARK(WholePipeline)->Arg(506)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
