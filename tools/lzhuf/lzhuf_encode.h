// The encoder side of the LZHUF stream format: greedy LZSS over the decoder's window, coded with
// the same adaptive Huffman tree. Host code only.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "extract/lzhuf.h"

// Writes a stream symbol by symbol; LzhufEncode uses it, and tests that need a particular
// sequence of literals and matches write one with it directly.
struct LzhufWriter {
    LzhufTree tree;
    std::vector<uint8_t> bytes;
    uint32_t bits;  // pending bits, right-aligned
    uint32_t count; // number of pending bits, 0..7
};

void LzhufWriterStart(LzhufWriter *w);
void LzhufPutLiteral(LzhufWriter *w, uint8_t byte);
// length 3..F; position 0..N-1 counts back from the byte before the current one (0 = distance 1).
void LzhufPutMatch(LzhufWriter *w, uint32_t length, uint32_t position);
// Pads the last byte with zero bits and returns the stream.
std::vector<uint8_t> LzhufWriterFinish(LzhufWriter *w);

// The headerless stream of data[0..size).
std::vector<uint8_t> LzhufEncode(const uint8_t *data, size_t size);
