#include "extract/decode_win.h"

#include "extract/lzhuf.h"

// One decoder for the process: its tables are too large for the stack, and only the GUI thread
// decodes, one stream at a time.
static LzhufDecoder Decoder;

static bool WriteToFile(void *context, const uint8_t *bytes, uint32_t count)
{
    DWORD written = 0;
    return WriteFile((HANDLE)context, bytes, count, &written, NULL) && written == count;
}

bool DecodeToFile(const uint8_t *input, uint32_t inputLength, uint32_t outputSize, HANDLE file)
{
    return LzhufDecode(&Decoder, input, inputLength, outputSize, WriteToFile, file);
}
