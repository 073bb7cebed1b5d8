// lzhuf encode IN OUT: writes the headerless LZHUF stream of IN.
// lzhuf decode IN OUT SIZE: decodes a headerless stream into SIZE bytes, with setup's decoder.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "extract/lzhuf.h"
#include "tools/lzhuf/lzhuf_encode.h"

static bool ReadAll(const char *path, std::vector<uint8_t> *out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

static bool WriteToStdio(void *context, const uint8_t *bytes, uint32_t count)
{
    return fwrite(bytes, 1, count, (FILE *)context) == count;
}

static int Usage()
{
    fprintf(stderr, "usage: lzhuf encode IN OUT\n       lzhuf decode IN OUT SIZE\n");
    return 2;
}

int main(int argc, char **argv)
{
    if (argc < 4)
        return Usage();
    std::vector<uint8_t> in;
    if (!ReadAll(argv[2], &in)) {
        fprintf(stderr, "lzhuf: cannot read %s\n", argv[2]);
        return 1;
    }
    FILE *out = fopen(argv[3], "wb");
    if (!out) {
        fprintf(stderr, "lzhuf: cannot create %s\n", argv[3]);
        return 1;
    }
    bool ok;
    if (strcmp(argv[1], "encode") == 0 && argc == 4) {
        std::vector<uint8_t> stream = LzhufEncode(in.data(), in.size());
        ok = fwrite(stream.data(), 1, stream.size(), out) == stream.size();
    } else if (strcmp(argv[1], "decode") == 0 && argc == 5) {
        char *end;
        unsigned long long size = strtoull(argv[4], &end, 10);
        if (*end != 0 || size > 0xFFFFFFFFull) {
            fclose(out);
            return Usage();
        }
        static LzhufDecoder decoder;
        ok = LzhufDecode(&decoder, in.data(), (uint32_t)in.size(), (uint32_t)size, WriteToStdio, out);
    } else {
        fclose(out);
        return Usage();
    }
    if (fclose(out) != 0)
        ok = false;
    if (!ok) {
        fprintf(stderr, "lzhuf: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
