// Decoding speed over the real payload streams, through the product's decoding core with a sink
// that only looks at each piece.
//   extract_lzhuf_bench PAYLOADS [benchmark options]
// PAYLOADS is the folder of <RESOURCE>.bin files that a Windows build makes
// (<build>/win32/resources/payloads). The figures are MB/s of decoded output.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/product.h"
#include "extract/lzhuf.h"

static bool LookSink(void *context, const uint8_t *bytes, uint32_t count)
{
    *(uint32_t *)context += bytes[0] + bytes[count - 1];
    return true;
}

static std::vector<uint8_t> Streams[PRODUCT_ROWS];
static LzhufDecoder Decoder;

// Decodes the given rows once per iteration.
static void DecodeRows(benchmark::State &state, std::vector<int> rows)
{
    int64_t bytes = 0;
    for (int row : rows)
        bytes += ProductInfo.Files[row].Size;
    uint32_t seen = 0;
    for (auto _ : state) {
        for (int row : rows) {
            const FileEntry &e = ProductInfo.Files[row];
            LzhufDecode(&Decoder, Streams[row].data(), (uint32_t)Streams[row].size(), e.Size, LookSink, &seen);
        }
    }
    benchmark::DoNotOptimize(seen);
    state.SetBytesProcessed(state.iterations() * bytes);
}

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: extract_lzhuf_bench PAYLOADS [benchmark options]\n");
        return 2;
    }
    std::vector<int> rowsOf[2]; // compressed rows on classes 0 and 1, and on 2 and 3
    for (int row = 0; row < ProductInfo.FileCount; row++) {
        const FileEntry &e = ProductInfo.Files[row];
        if (e.PackedSize == 0)
            continue;
        std::ifstream in(std::string(argv[1]) + "/" + e.ResourceName + ".bin", std::ios::binary);
        Streams[row].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (Streams[row].size() != e.PackedSize) {
            fprintf(stderr, "%s/%s.bin: %zu bytes, not %u\n", argv[1], e.ResourceName, Streams[row].size(),
                    e.PackedSize);
            return 1;
        }
        benchmark::RegisterBenchmark((std::string("row ") + std::to_string(row) + " " + e.ResourceName).c_str(),
                                     DecodeRows, std::vector<int>{row});
        for (int c = 0; c < 2; c++)
            if (EntryApplies(&e, (WinVersionClass)(c * 2)))
                rowsOf[c].push_back(row);
    }
    benchmark::RegisterBenchmark("all rows of classes 0 and 1", DecodeRows, rowsOf[0]);
    benchmark::RegisterBenchmark("all rows of classes 2 and 3", DecodeRows, rowsOf[1]);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
