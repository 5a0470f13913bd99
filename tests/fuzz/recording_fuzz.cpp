// Feeds arbitrary bytes to the recorded-game reader. The file's closing CRC is
// put right first, so the fuzzer gets past it to the header, the embedded
// save and the steps. Whatever the reader accepts must replay to its end
// without a crash; a divergence is allowed, a fault is not.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "sim/recordingfile.h"
#include "sim/replay.h"

static unsigned char input[1 << 20];  // the fuzzer's bytes with their CRC mended

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > sizeof input)
        return 0;
    memcpy(input, data, size);
    uint32_t crc = (uint32_t)crc32(0, input, (uInt)(size - 4));
    for (int i = 0; i < 4; i++)
        input[size - 4 + i] = (unsigned char)(crc >> (8 * i));
    FILE* f = fmemopen(input, size, "rb");
    uint32_t steps = 0;
    int32_t score = 0;
    if (openRecording(f, "fuzz") && scanRecording(steps, score)) {
        rewind(f);
        if (openRecording(f, "fuzz") && startRecordedGame())
            while (replayStep(score) == kReplayStepped) {
            }
    }
    fclose(f);
    return 0;
}
