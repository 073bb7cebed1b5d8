// LZHUF decoding: LZSS over a 4096-byte ring with an adaptive Huffman code for literals and match
// lengths. Plain logic: the decoded bytes leave through a sink that the caller supplies.
#pragma once
#include <stdint.h>

namespace Lzhuf
{
enum : uint32_t {
    N = 4096,                     // ring buffer size; match positions are 12-bit
    F = 60,                       // longest match
    THRESHOLD = 2,                // a match covers at least THRESHOLD + 1 bytes
    N_CHAR = 256 - THRESHOLD + F, // literals 0..255, then match lengths 3..60
    T = N_CHAR * 2 - 1,           // nodes of the Huffman tree
    R = T - 1,                    // the root
    MAX_FREQ = 0x8000,            // root frequency that triggers a rebuild
    PIECE = 1024,                 // bytes handed to the sink at a time
};
}

// The adaptive Huffman tree, shared by the decoder and the encoder of the host tools.
struct LzhufTree {
    uint16_t freq[Lzhuf::T + 1];             // freq[T] is a 0xFFFF sentinel
    uint16_t son[Lzhuf::T];                  // inner node: first child; leaf: T + symbol
    uint16_t prnt[Lzhuf::T + Lzhuf::N_CHAR]; // parent of each node; prnt[T + s] is the leaf of s
};

// Receives count bytes of output; returns false when they could not all be written.
typedef bool (*LzhufSink)(void *context, const uint8_t *bytes, uint32_t count);

struct LzhufDecoder {
    LzhufTree tree;
    uint8_t text_buf[Lzhuf::N];
    uint16_t ring;   // where the next output byte goes in text_buf
    uint16_t getbuf; // bit buffer, read from bit 15
    uint16_t getlen; // valid bits in getbuf
    const uint8_t *input;
    uint32_t inputLeft;
    uint32_t outputLeft;
    uint8_t out[Lzhuf::PIECE];
    uint32_t outFill;
    LzhufSink sink;
    void *sinkContext;
    bool writeFailed;
};

// The tree of a new stream: every symbol once.
void LzhufStartHuff(LzhufTree *tree);
// Counts one occurrence of symbol (0..N_CHAR-1), rebuilding first when the root is at MAX_FREQ.
void LzhufUpdate(LzhufTree *tree, uint32_t symbol);

// Position tables: the upper 6 bits of a match position and the length of its prefix code, both
// indexed by the first 8 bits of the code.
extern const uint8_t LzhufDCode[256];
extern const uint8_t LzhufDLen[256];

// Decodes the headerless stream input[0..inputLength) into exactly outputSize bytes, handed to
// sink in pieces of PIECE bytes and one final remainder. Reads nothing past inputLength (a short
// stream reads as zero bits) and never produces more than outputSize bytes, whatever the stream
// holds. False when the sink reported a failed write; decoding stops there. A size of 0 writes
// nothing and succeeds.
bool LzhufDecode(LzhufDecoder *d, const uint8_t *input, uint32_t inputLength, uint32_t outputSize, LzhufSink sink,
                 void *context);
