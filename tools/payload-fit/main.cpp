// payload-fit GENDIR RESOURCE=KIND:PATH...
//
// Makes the payload of every row of setup's file table from its content file: pads the content
// with deterministic filler so that the file is exactly the row's Size and, for a compressed row,
// its LZHUF stream exactly the row's PackedSize; decodes every stream back to check it; writes
// GENDIR/payloads/<RESOURCE>.bin (the resource: the stream, or the file of a stored row),
// GENDIR/payloads/<RESOURCE>.file (the file as installed) and GENDIR/payloads.rc, which names
// every resource.
//
// KIND says what the content is and which filler suits it:
//   binary  as it is; filler appended: random bytes, then zero bytes
//   text    LF lines become CR LF; filler at the line "@FILLER@" or appended: lines of random
//           letters and digits, then lines of spaces
//   html    as text, but the random filler may use any byte except '-' (so that it cannot end an
//           HTML comment around it) and needs fewer bytes for the same stream
// Random filler adds about a byte of stream per byte, zeros and spaces almost nothing, so the
// share of random filler sets the stream length; a search over it lands on PackedSize exactly.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/product.h"
#include "extract/lzhuf.h"
#include "tools/lzhuf/lzhuf_encode.h"

typedef std::vector<uint8_t> Bytes;

enum Kind { KIND_BINARY, KIND_TEXT, KIND_HTML };

struct Input {
    std::string resource;
    Kind kind;
    std::string path;
    bool used;
};

static const char Marker[] = "@FILLER@";

static void Fail(int row, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    if (row >= 0) {
        const FileEntry &e = ProductInfo.Files[row];
        fprintf(stderr, "payload-fit: row %d (%s, %s): ", row, e.ResourceName, e.FileName);
    } else {
        fprintf(stderr, "payload-fit: ");
    }
    vfprintf(stderr, format, args);
    fprintf(stderr, "\n");
    va_end(args);
    exit(1);
}

static bool ReadAll(const std::string &path, Bytes *out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

static bool WriteAll(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// A fixed generator (splitmix64), so that the same inputs always give the same payloads.
static uint64_t NextRandom(uint64_t *state)
{
    uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The content around the filler: before and after the marker line, or all of it before.
struct Content {
    Bytes before, after;
};

static Content SplitContent(int row, Kind kind, const Bytes &raw)
{
    Content c;
    if (kind == KIND_BINARY) {
        c.before = raw;
        return c;
    }
    Bytes text;
    for (uint8_t b : raw) {
        if (b == '\r')
            Fail(row, "the content has CR bytes; keep it with LF line ends, they become CR LF");
        if (b == '\n')
            text.push_back('\r');
        text.push_back(b);
    }
    std::string s(text.begin(), text.end());
    size_t at = s.find(Marker);
    if (at == std::string::npos) {
        c.before = text;
        return c;
    }
    size_t end = at + strlen(Marker);
    if (s.compare(end, 2, "\r\n") == 0)
        end += 2; // the marker's own line end goes with it
    c.before.assign(text.begin(), text.begin() + at);
    c.after.assign(text.begin() + end, text.end());
    return c;
}

// Filler of length total: random characters first, then the compressible rest. Text filler is
// cut into CR LF lines.
static Bytes MakeFiller(Kind kind, size_t total, size_t random, uint64_t seed)
{
    static const char TextAlphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    Bytes out(total);
    uint64_t state = seed * 0x2545F4914F6CDD1Dull + 1;
    for (size_t k = 0; k < total; k++) {
        uint64_t r = NextRandom(&state);
        uint8_t b;
        if (kind == KIND_BINARY) {
            b = k < random ? (uint8_t)r : 0;
        } else if (k < random) {
            size_t col = k % 66;
            if (col == 64)
                b = '\r';
            else if (col == 65)
                b = '\n';
            else if (kind == KIND_TEXT)
                b = (uint8_t)TextAlphabet[r % 32];
            else
                b = (uint8_t)(r % 255 + 1) == '-' ? '+' : (uint8_t)(r % 255 + 1);
        } else {
            size_t col = (k - random) % 80;
            b = col == 78 ? '\r' : col == 79 ? '\n' : ' ';
        }
        out[k] = b;
    }
    return out;
}

static Bytes Assemble(const Content &c, Kind kind, size_t filler, size_t random, uint64_t seed)
{
    Bytes file = c.before;
    Bytes f = MakeFiller(kind, filler, random, seed);
    file.insert(file.end(), f.begin(), f.end());
    file.insert(file.end(), c.after.begin(), c.after.end());
    return file;
}

static bool CollectSink(void *context, const uint8_t *bytes, uint32_t count)
{
    Bytes *out = (Bytes *)context;
    out->insert(out->end(), bytes, bytes + count);
    return true;
}

// Finds a filler whose stream is exactly packed bytes long; returns the file and its stream.
static void Fit(int row, const Content &c, Kind kind, size_t filler, Bytes *file, Bytes *stream)
{
    const uint32_t packed = ProductInfo.Files[row].PackedSize;
    auto streamLength = [&](size_t random, uint64_t seed) {
        return LzhufEncode(Assemble(c, kind, filler, random, seed).data(), c.before.size() + filler + c.after.size())
            .size();
    };
    size_t least = streamLength(0, 0);
    if (least > packed)
        Fail(row,
             "even with compressible filler only the stream is %zu bytes, more than PackedSize "
             "%u: the content must be smaller or compress better",
             least, packed);
    size_t most = streamLength(filler, 0);
    if (most < packed)
        Fail(row,
             "even with random filler only the stream is %zu bytes, less than PackedSize %u: "
             "the content must be larger or compress worse",
             most, packed);
    // The stream grows with the share of random filler, nearly a byte per byte but not strictly
    // monotonically: find where it crosses PackedSize, then try the lengths around that point,
    // and other seeds if none of them hits.
    for (uint64_t seed = 0; seed < 64; seed++) {
        size_t lo = 0, hi = filler;
        while (lo < hi) {
            size_t mid = lo + (hi - lo) / 2;
            if (streamLength(mid, seed) < packed)
                lo = mid + 1;
            else
                hi = mid;
        }
        size_t from = lo > 16 ? lo - 16 : 0;
        size_t to = lo + 16 < filler ? lo + 16 : filler;
        for (size_t random = from; random <= to; random++) {
            Bytes f = Assemble(c, kind, filler, random, seed);
            Bytes s = LzhufEncode(f.data(), f.size());
            if (s.size() == packed) {
                *file = f;
                *stream = s;
                return;
            }
        }
    }
    Fail(row, "no filler gives a stream of exactly PackedSize %u bytes", packed);
}

static Kind ParseKind(const std::string &name)
{
    if (name == "binary")
        return KIND_BINARY;
    if (name == "text")
        return KIND_TEXT;
    if (name == "html")
        return KIND_HTML;
    Fail(-1, "unknown kind '%s' (binary, text or html)", name.c_str());
    return KIND_BINARY;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: payload-fit GENDIR RESOURCE=KIND:PATH...\n");
        return 2;
    }
    std::string genDir = argv[1];
    std::vector<Input> inputs;
    for (int i = 2; i < argc; i++) {
        std::string arg = argv[i];
        size_t eq = arg.find('='), colon = arg.find(':', eq == std::string::npos ? 0 : eq);
        if (eq == std::string::npos || colon == std::string::npos)
            Fail(-1, "'%s' is not RESOURCE=KIND:PATH", arg.c_str());
        inputs.push_back(
            {arg.substr(0, eq), ParseKind(arg.substr(eq + 1, colon - eq - 1)), arg.substr(colon + 1), false});
    }

    std::string rc = "// Made by payload-fit: the payload of every row of the file table.\n";
    static LzhufDecoder decoder;
    for (int row = 0; row < ProductInfo.FileCount; row++) {
        const FileEntry &e = ProductInfo.Files[row];
        Input *in = nullptr;
        for (Input &candidate : inputs) {
            if (candidate.resource == e.ResourceName) {
                if (candidate.used)
                    Fail(row, "has more than one content file");
                in = &candidate;
            }
        }
        if (!in)
            Fail(row, "has no content file");
        in->used = true;
        Bytes raw;
        if (!ReadAll(in->path, &raw))
            Fail(row, "cannot read %s", in->path.c_str());
        Content c = SplitContent(row, in->kind, raw);
        size_t fixed = c.before.size() + c.after.size();
        if (fixed > e.Size)
            Fail(row, "the content is %zu bytes, more than Size %u", fixed, e.Size);
        size_t filler = e.Size - fixed;

        Bytes file, resource;
        if (e.PackedSize == 0) {
            file = Assemble(c, in->kind, filler, 0, 0);
            resource = file;
        } else {
            Fit(row, c, in->kind, filler, &file, &resource);
            Bytes back;
            if (!LzhufDecode(&decoder, resource.data(), (uint32_t)resource.size(), e.Size, CollectSink, &back) ||
                back != file)
                Fail(row, "the stream does not decode back to its file");
        }
        std::string name = std::string("payloads/") + e.ResourceName;
        if (!WriteAll(genDir + "/" + name + ".bin", resource) || !WriteAll(genDir + "/" + name + ".file", file))
            Fail(row, "cannot write %s/%s.bin or .file", genDir.c_str(), name.c_str());
        rc += std::string(e.ResourceName) + " RCDATA \"" + name + ".bin\"\n";
        printf("row %d %-10s %-18s %6u bytes, stream %6zu bytes, content %zu bytes\n", row, e.ResourceName, e.FileName,
               e.Size, e.PackedSize ? resource.size() : (size_t)0, fixed);
    }
    for (const Input &in : inputs)
        if (!in.used)
            Fail(-1, "no row of the file table has the resource %s", in.resource.c_str());
    if (!WriteAll(genDir + "/payloads.rc", Bytes(rc.begin(), rc.end())))
        Fail(-1, "cannot write %s/payloads.rc", genDir.c_str());
    return 0;
}
