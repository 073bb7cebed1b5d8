#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "extract/lzhuf.h"
#include "tools/lzhuf/lzhuf_encode.h"

using namespace Lzhuf;

typedef std::vector<uint8_t> Bytes;

// Collects the output and remembers the size of every piece.
struct Collected {
    Bytes bytes;
    std::vector<uint32_t> pieces;
    int failAtPiece = -1; // the piece whose write fails, or -1
};

static bool CollectSink(void *context, const uint8_t *bytes, uint32_t count)
{
    Collected *c = (Collected *)context;
    if ((int)c->pieces.size() == c->failAtPiece) {
        c->pieces.push_back(count);
        return false;
    }
    c->pieces.push_back(count);
    c->bytes.insert(c->bytes.end(), bytes, bytes + count);
    return true;
}

static LzhufDecoder Decoder;

// Decodes from an exactly sized heap copy, so that any read past the stream trips the sanitizer.
static Collected Decode(const Bytes &stream, uint32_t size, int failAtPiece = -1, bool *ok = nullptr)
{
    Collected c;
    c.failAtPiece = failAtPiece;
    std::unique_ptr<uint8_t[]> exact(new uint8_t[stream.size() ? stream.size() : 1]);
    if (!stream.empty())
        memcpy(exact.get(), stream.data(), stream.size());
    bool result = LzhufDecode(&Decoder, exact.get(), (uint32_t)stream.size(), size, CollectSink, &c);
    if (ok)
        *ok = result;
    EXPECT_LE(Decoder.input, exact.get() + stream.size()) << "read past the stream";
    return c;
}

static Bytes RoundTrip(const Bytes &data)
{
    Bytes stream = LzhufEncode(data.data(), data.size());
    return Decode(stream, (uint32_t)data.size()).bytes;
}

static Bytes Text(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

static Bytes RandomBytes(size_t n, uint32_t seed, int alphabet = 256)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (uint8_t &x : b)
        x = (uint8_t)(rng() % alphabet);
    return b;
}

// Streams written symbol by symbol.
static Bytes Stream(void (*write)(LzhufWriter *))
{
    LzhufWriter w;
    LzhufWriterStart(&w);
    write(&w);
    return LzhufWriterFinish(&w);
}

TEST(LzhufTables, FollowTheRangeRule)
{
    struct Range {
        int from, to, firstCode, perCode, len;
    } ranges[] = {
        {0, 31, 0, 32, 3},    {32, 79, 1, 16, 4},   {80, 143, 4, 8, 5},
        {144, 191, 12, 4, 6}, {192, 239, 24, 2, 7}, {240, 255, 48, 1, 8},
    };
    for (const Range &r : ranges) {
        for (int i = r.from; i <= r.to; i++) {
            EXPECT_EQ(r.firstCode + (i - r.from) / r.perCode, LzhufDCode[i]) << "index " << i;
            EXPECT_EQ(r.len, LzhufDLen[i]) << "index " << i;
        }
    }
}

// The tree's invariants: frequencies non-decreasing by index, every inner node the sum of its two
// children, parents and children agreeing, every symbol at exactly one leaf.
static void ExpectConsistent(const LzhufTree &t)
{
    std::vector<int> leafOf(N_CHAR, -1);
    for (uint32_t i = 0; i < T; i++) {
        if (i + 1 < T)
            ASSERT_LE(t.freq[i], t.freq[i + 1]) << "order at " << i;
        uint32_t k = t.son[i];
        if (k >= T) {
            ASSERT_LT(k - T, N_CHAR);
            ASSERT_EQ(-1, leafOf[k - T]);
            leafOf[k - T] = (int)i;
            ASSERT_EQ(i, t.prnt[k]);
        } else {
            ASSERT_EQ(t.freq[i], t.freq[k] + t.freq[k + 1]) << "sum at " << i;
            ASSERT_EQ(i, t.prnt[k]);
            ASSERT_EQ(i, t.prnt[k + 1]);
        }
    }
    ASSERT_EQ(0xFFFF, t.freq[T]);
}

static uint32_t LeafSum(const LzhufTree &t)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < T; i++)
        if (t.son[i] >= T)
            sum += t.freq[i];
    return sum;
}

TEST(LzhufTree, StartsWithEverySymbolOnce)
{
    static LzhufTree t;
    LzhufStartHuff(&t);
    ExpectConsistent(t);
    EXPECT_EQ(N_CHAR, t.freq[R]);
    for (uint32_t s = 0; s < N_CHAR; s++)
        EXPECT_EQ(s, t.prnt[s + T]);
    for (uint32_t j = N_CHAR; j < T; j++)
        EXPECT_EQ(2 * (j - N_CHAR), t.son[j]) << "inner nodes pair the nodes in order";
}

TEST(LzhufTree, RebuildsExactlyWhenTheRootReachesMaxFreq)
{
    static LzhufTree t;
    LzhufStartHuff(&t);
    std::mt19937 rng(7);
    // A skewed mix, so that the rebuild has uneven frequencies to halve.
    auto symbol = [&] { return rng() % 4 == 0 ? rng() % N_CHAR : rng() % 20; };
    for (uint32_t n = N_CHAR; n < MAX_FREQ; n++)
        LzhufUpdate(&t, symbol());
    ASSERT_NO_FATAL_FAILURE(ExpectConsistent(t));
    ASSERT_EQ(MAX_FREQ, t.freq[R]) << "no rebuild before the root stands at 0x8000";

    uint32_t halved = 0;
    for (uint32_t i = 0; i < T; i++)
        if (t.son[i] >= T)
            halved += (t.freq[i] + 1) / 2;
    LzhufUpdate(&t, symbol());
    ASSERT_NO_FATAL_FAILURE(ExpectConsistent(t));
    EXPECT_EQ(halved + 1, t.freq[R]) << "rebuilt first, then counted";
    EXPECT_EQ(halved + 1, LeafSum(t));

    // Many more rebuilds keep the tree sound.
    for (int n = 0; n < 200000; n++)
        LzhufUpdate(&t, symbol());
    ExpectConsistent(t);
}

// Known answers, worked out apart from this code from the algorithm's rules: in the starting tree
// symbol 0 has the 9-bit code 110001100.
TEST(LzhufKnownAnswer, FirstSymbolOfTheStartingTree)
{
    Collected c = Decode(Bytes{0xC6}, 1); // the ninth bit comes from the zero fill
    EXPECT_TRUE(c.bytes == Bytes{0x00});
    EXPECT_TRUE(Stream([](LzhufWriter *w) { LzhufPutLiteral(w, 0); }) == (Bytes{0xC6, 0x00}));
}

TEST(LzhufKnownAnswer, LiteralsAndMatches)
{
    const Bytes want = {0xEE, 0xF6, 0x23, 0x00, 0x3D, 0xDF, 0xE8, 0x35, 0xA0};
    Bytes s = Stream([](LzhufWriter *w) {
        LzhufPutLiteral(w, 'Q');
        LzhufPutLiteral(w, 'L');
        LzhufPutMatch(w, 3, 1);
        LzhufPutMatch(w, 60, 4000);
        LzhufPutLiteral(w, '!');
    });
    EXPECT_TRUE(s == want);
    Collected c = Decode(want, 66);
    EXPECT_EQ("QLQLQ" + std::string(60, ' ') + "!", std::string(c.bytes.begin(), c.bytes.end()));
}

static uint32_t Crc32(const Bytes &b)
{
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t x : b) {
        crc ^= x;
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// 120000 literals (several rebuilds, with ties for the rebuild to order) and 3000 matches of
// every length; the stream's length and CRC-32 come from the independent model.
TEST(LzhufKnownAnswer, ManyRebuilds)
{
    LzhufWriter *w = new LzhufWriter;
    LzhufWriterStart(w);
    uint32_t x = 1;
    Bytes literals;
    for (int n = 0; n < 120000; n++) {
        x = x * 1103515245 + 12345;
        uint32_t v = (x >> 16) & 0x7FFF;
        uint8_t b = (uint8_t)((v & 3) ? v % 61 : v % 256);
        literals.push_back(b);
        LzhufPutLiteral(w, b);
    }
    uint32_t size = (uint32_t)literals.size();
    for (int n = 0; n < 3000; n++) {
        x = x * 1103515245 + 12345;
        uint32_t v = (x >> 8) & 0xFFFFFF;
        LzhufPutMatch(w, 3 + v % 58, (v >> 6) % 4096);
        size += 3 + v % 58;
    }
    Bytes s = LzhufWriterFinish(w);
    delete w;
    EXPECT_EQ(107923u, s.size());
    EXPECT_EQ(0x888655ABu, Crc32(s));
    Collected c = Decode(s, size);
    ASSERT_EQ(size, c.bytes.size());
    EXPECT_TRUE(Bytes(c.bytes.begin(), c.bytes.begin() + literals.size()) == literals);
}

TEST(LzhufRoundTrip, VariedData)
{
    std::string prose;
    for (int i = 0; i < 300; i++)
        prose += "Quillith keeps a spare copy of the open pad every " + std::to_string(i) + " minutes.\r\n";
    Bytes mixed;
    for (int i = 0; i < 40; i++) {
        Bytes r = RandomBytes(700 + i * 13, i);
        mixed.insert(mixed.end(), r.begin(), r.end());
        mixed.insert(mixed.end(), 300 + i, (uint8_t)i);
    }
    struct Case {
        const char *name;
        Bytes data;
    } cases[] = {
        {"one byte", Bytes{'q'}},
        {"one space", Bytes{' '}},
        {"spaces", Bytes(5000, ' ')},
        {"zeros", Bytes(70000, 0)},
        {"short text", Text("YLTERA Quillith 5.00\r\n")},
        {"prose", Text(prose)},
        {"random", RandomBytes(50000, 1)},
        {"small alphabet", RandomBytes(100000, 2, 3)},
        {"1023 bytes", RandomBytes(1023, 3, 16)},
        {"1024 bytes", RandomBytes(1024, 4, 16)},
        {"1025 bytes", RandomBytes(1025, 5, 16)},
        {"3072 bytes", RandomBytes(3072, 6)},
        {"mixed, wraps the ring many times", mixed},
    };
    for (const Case &c : cases) {
        Bytes back = RoundTrip(c.data);
        EXPECT_TRUE(back == c.data) << c.name;
    }
}

TEST(LzhufRoundTrip, LongStreamRebuildsTheTreeSeveralTimes)
{
    // Over 0x8000 symbols several times: literals of random data are one symbol each.
    Bytes data = RandomBytes(150000, 11);
    Bytes text = RandomBytes(100000, 12, 40);
    data.insert(data.end(), text.begin(), text.end());
    EXPECT_TRUE(RoundTrip(data) == data);
}

TEST(LzhufDecode, PiecesAreExactly1024BytesAndOneRemainder)
{
    for (uint32_t size : {1u, 1023u, 1024u, 1025u, 4096u, 5000u}) {
        Bytes data = RandomBytes(size, size, 64);
        Collected c = Decode(LzhufEncode(data.data(), data.size()), size);
        ASSERT_TRUE(c.bytes == data) << size;
        ASSERT_EQ((size + 1023) / 1024, c.pieces.size()) << size;
        for (size_t i = 0; i + 1 < c.pieces.size(); i++)
            EXPECT_EQ(1024u, c.pieces[i]) << size;
        EXPECT_EQ(size % 1024 ? size % 1024 : 1024, c.pieces.back()) << "no empty last piece, " << size;
    }
}

TEST(LzhufDecode, DistanceOneRepeatsTheLastByte)
{
    Bytes s = Stream([](LzhufWriter *w) {
        LzhufPutLiteral(w, 'a');
        LzhufPutLiteral(w, 'b');
        LzhufPutMatch(w, 60, 0);
    });
    EXPECT_EQ(std::string("ab") + std::string(60, 'b'), std::string((char *)Decode(s, 62).bytes.data(), 62));
}

TEST(LzhufDecode, MatchesReadThePrefilledSpaces)
{
    Bytes s = Stream([](LzhufWriter *w) {
        LzhufPutMatch(w, 5, 0); // the space just before the start
        LzhufPutLiteral(w, 'x');
        LzhufPutMatch(w, 3, 4000); // far back, still in the spaces
        LzhufPutMatch(w, 4, 9);    // back into the bytes of this stream: "    " then "x"
    });
    Collected c = Decode(s, 13);
    EXPECT_EQ(std::string("     x   ") + "    ", std::string(c.bytes.begin(), c.bytes.end()));
}

TEST(LzhufDecode, AMatchPastTheDeclaredSizeStopsThere)
{
    Bytes s = Stream([](LzhufWriter *w) {
        LzhufPutLiteral(w, 'z');
        LzhufPutMatch(w, 60, 0);
    });
    for (uint32_t size : {1u, 2u, 10u, 61u}) {
        Collected c = Decode(s, size);
        EXPECT_EQ(std::string(size, 'z'), std::string(c.bytes.begin(), c.bytes.end()));
    }
}

TEST(LzhufDecode, TheLastRefillReadsNothingPastTheStream)
{
    // Every well-formed stream asks for one byte more than it holds near its end; that byte
    // counts as 0 and nothing past the stream is read (Decode's exact copy is checked by ASan).
    for (size_t n : {1, 2, 3, 17, 1000}) {
        Bytes data = RandomBytes(n, (uint32_t)n, 200);
        Bytes stream = LzhufEncode(data.data(), data.size());
        Collected c = Decode(stream, (uint32_t)n);
        EXPECT_TRUE(c.bytes == data) << n;
        EXPECT_EQ(0u, Decoder.inputLeft) << n;
        EXPECT_EQ(0u, Decoder.outputLeft) << n;
    }
}

TEST(LzhufDecode, TwoStreamsInARowDecodeAsEachAlone)
{
    Bytes a = RandomBytes(9000, 21, 5), b = Text("Pricing.txt\r\n");
    Bytes sa = LzhufEncode(a.data(), a.size()), sb = LzhufEncode(b.data(), b.size());
    EXPECT_TRUE(Decode(sa, (uint32_t)a.size()).bytes == a);
    EXPECT_TRUE(Decode(sb, (uint32_t)b.size()).bytes == b);
    EXPECT_TRUE(Decode(sa, (uint32_t)a.size()).bytes == a);

    // A stream that reads ring positions 4036..4095 before writing them sees cleared bytes,
    // whatever stream came before.
    Bytes odd = Stream([](LzhufWriter *w) { LzhufPutMatch(w, 60, 4095); });
    Decode(sb, (uint32_t)b.size());
    EXPECT_TRUE(Decode(odd, 60).bytes == Bytes(60, 0));
    Decode(sa, (uint32_t)a.size());
    EXPECT_TRUE(Decode(odd, 60).bytes == Bytes(60, 0));
}

TEST(LzhufDecode, TruncatedAndGarbageStreamsYieldExactlyTheDeclaredSize)
{
    Bytes data = RandomBytes(20000, 31, 30);
    Bytes stream = LzhufEncode(data.data(), data.size());
    for (size_t keep : {(size_t)0, (size_t)1, stream.size() / 2, stream.size() - 1}) {
        Bytes cut(stream.begin(), stream.begin() + keep);
        Collected c = Decode(cut, (uint32_t)data.size());
        EXPECT_EQ(data.size(), c.bytes.size()) << keep;
    }
    std::mt19937 rng(41);
    for (int i = 0; i < 200; i++) {
        Bytes junk = RandomBytes(rng() % 300, rng());
        uint32_t size = 1 + rng() % 5000;
        EXPECT_EQ(size, Decode(junk, size).bytes.size());
    }
    // All-ones bits: the longest codes and the farthest matches.
    EXPECT_EQ(3000u, Decode(Bytes(500, 0xFF), 3000).bytes.size());
}

TEST(LzhufDecode, AFailedWriteStopsDecodingAndIsReported)
{
    Bytes data = RandomBytes(5000, 51, 10);
    Bytes stream = LzhufEncode(data.data(), data.size());
    for (int failAt : {0, 2, 4}) {
        bool ok = true;
        Collected c = Decode(stream, 5000, failAt, &ok);
        EXPECT_FALSE(ok) << failAt;
        EXPECT_EQ((size_t)failAt + 1, c.pieces.size()) << "nothing written after the failure";
    }
    bool ok = false;
    Decode(stream, 5000, -1, &ok);
    EXPECT_TRUE(ok);
}

TEST(LzhufDecode, SizeZeroWritesNothing)
{
    bool ok = false;
    Collected c = Decode(Bytes{1, 2, 3}, 0, -1, &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(c.pieces.empty());
}
