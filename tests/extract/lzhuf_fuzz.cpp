// libFuzzer target for the LZHUF decoding core. The first two bytes of an input are the declared
// output size (0..4095), the rest is the stream: whatever it holds, the decoder reads nothing
// past it (ASan), produces exactly the declared size in 1024-byte pieces and one remainder, and
// succeeds. The whole input also goes through the encoder and must decode back to itself.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "extract/lzhuf.h"
#include "tools/lzhuf/lzhuf_encode.h"

struct Output {
    std::vector<uint8_t> bytes;
    bool shortPieceSeen;
};

static bool Sink(void *context, const uint8_t *bytes, uint32_t count)
{
    Output *out = (Output *)context;
    if (out->shortPieceSeen || count == 0 || count > Lzhuf::PIECE)
        abort(); // only the last piece may be short, and no piece is empty
    if (count < Lzhuf::PIECE)
        out->shortPieceSeen = true;
    out->bytes.insert(out->bytes.end(), bytes, bytes + count);
    return true;
}

static LzhufDecoder Decoder;

static Output Decode(const uint8_t *stream, size_t length, uint32_t size)
{
    Output out = {{}, false};
    if (!LzhufDecode(&Decoder, stream, (uint32_t)length, size, Sink, &out))
        abort();
    if (out.bytes.size() != size || Decoder.input > stream + length)
        abort();
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    Decode(data + 2, size - 2, (uint32_t)((data[0] | data[1] << 8) & 0x0FFF));

    std::vector<uint8_t> stream = LzhufEncode(data, size);
    if (Decode(stream.data(), stream.size(), (uint32_t)size).bytes != std::vector<uint8_t>(data, data + size))
        abort();
    return 0;
}
