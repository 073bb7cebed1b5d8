#include "tools/lzhuf/lzhuf_encode.h"

#include <string.h>

using namespace Lzhuf;

static void PutBits(LzhufWriter *w, uint32_t value, uint32_t n)
{
    for (uint32_t k = n; k-- > 0;) {
        w->bits = (w->bits << 1) | ((value >> k) & 1);
        if (++w->count == 8) {
            w->bytes.push_back((uint8_t)w->bits);
            w->bits = 0;
            w->count = 0;
        }
    }
}

void LzhufWriterStart(LzhufWriter *w)
{
    LzhufStartHuff(&w->tree);
    w->bytes.clear();
    w->bits = 0;
    w->count = 0;
}

// The path from the root to the symbol's leaf, one bit per level: 1 for the second child.
static void PutSymbol(LzhufWriter *w, uint32_t symbol)
{
    uint8_t path[T];
    uint32_t depth = 0;
    for (uint32_t node = w->tree.prnt[symbol + T]; node != R; node = w->tree.prnt[node])
        path[depth++] = (uint8_t)(node - w->tree.son[w->tree.prnt[node]]);
    while (depth > 0)
        PutBits(w, path[--depth], 1);
    LzhufUpdate(&w->tree, symbol);
}

void LzhufPutLiteral(LzhufWriter *w, uint8_t byte)
{
    PutSymbol(w, byte);
}

void LzhufPutMatch(LzhufWriter *w, uint32_t length, uint32_t position)
{
    PutSymbol(w, length + 255 - THRESHOLD);
    // The prefix of the upper 6 bits is the top of the first table index that decodes to them.
    uint32_t upper = position >> 6;
    uint32_t index = 0;
    while (LzhufDCode[index] != upper)
        index++;
    uint32_t len = LzhufDLen[index];
    PutBits(w, index >> (8 - len), len);
    PutBits(w, position & 0x3F, 6);
}

std::vector<uint8_t> LzhufWriterFinish(LzhufWriter *w)
{
    if (w->count != 0)
        PutBits(w, 0, 8 - w->count);
    return w->bytes;
}

enum : uint32_t { HASH_BITS = 15, MAX_CHAIN = 1024, NONE = 0xFFFFFFFF };

// Longest-match search with hash chains over a linear copy of the window: N - F spaces (the
// decoder's starting window) followed by the data, so that a match may reach into the spaces.
// Distances stay within N - F, which the decoder's ring always holds.
std::vector<uint8_t> LzhufEncode(const uint8_t *data, size_t size)
{
    const size_t start = N - F;
    std::vector<uint8_t> text(start + size);
    memset(text.data(), ' ', start);
    if (size != 0)
        memcpy(text.data() + start, data, size);
    std::vector<uint32_t> head(1u << HASH_BITS, NONE);
    std::vector<uint32_t> prev(text.size(), NONE);
    const size_t end = text.size();
    auto hash = [&](size_t p) {
        return ((text[p] << 10) ^ (text[p + 1] << 5) ^ text[p + 2]) & ((1u << HASH_BITS) - 1);
    };
    auto insert = [&](size_t p) {
        if (p + 2 < end) {
            uint32_t h = hash(p);
            prev[p] = head[h];
            head[h] = (uint32_t)p;
        }
    };
    for (size_t p = 0; p < start; p++)
        insert(p);

    LzhufWriter *w = new LzhufWriter;
    LzhufWriterStart(w);
    size_t p = start;
    while (p < end) {
        size_t limit = end - p < (size_t)F ? end - p : (size_t)F;
        size_t bestLen = 0, bestDist = 0;
        if (limit > THRESHOLD) {
            uint32_t chain = 0;
            for (uint32_t q = head[hash(p)]; q != NONE && chain < MAX_CHAIN; q = prev[q], chain++) {
                size_t dist = p - q;
                if (dist > N - F)
                    break;
                size_t len = 0;
                while (len < limit && text[q + len] == text[p + len])
                    len++;
                if (len > bestLen) {
                    bestLen = len;
                    bestDist = dist;
                    if (len == limit)
                        break;
                }
            }
        }
        if (bestLen > THRESHOLD) {
            LzhufPutMatch(w, (uint32_t)bestLen, (uint32_t)(bestDist - 1));
        } else {
            LzhufPutLiteral(w, text[p]);
            bestLen = 1;
        }
        for (size_t k = 0; k < bestLen; k++)
            insert(p + k);
        p += bestLen;
    }
    std::vector<uint8_t> out = LzhufWriterFinish(w);
    delete w;
    return out;
}
