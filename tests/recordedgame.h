// Recorded games made and read in memory for the tests of recording and
// replaying: a game recorded step by step as the game flow records it, the
// bytes of a file, and the replay program's reports on bytes.
#pragma once

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "sim/step.h"

typedef std::vector<unsigned char> Bytes;

const float kTestAspect = 800.0f / 600.0f;

// The whole file, empty when there is none.
inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A checked-in recording's bytes.
inline Bytes checkedInRecording(const char* name)
{
    return readFile(std::string(VG_SOURCE_DIR "/tests/recordings/") + name);
}

// Puts a CRC that matches the altered bytes back at the file's end.
inline void refreshCrc(Bytes& b)
{
    uint32_t crc = (uint32_t)crc32(0, b.data(), (uInt)(b.size() - 4));
    for (int i = 0; i < 4; i++)
        b[b.size() - 4 + i] = (unsigned char)(crc >> (8 * i));
}

// Standing still in an 800 x 600 window, the pointer right of the centre.
inline StepInput stillInput()
{
    return StepInput{0, 0, 600, 300, false, false, false, false, 1.0f, 800, 600, kTestAspect};
}

// Plays `steps` recorded steps as the game flow does: the input of step s
// from `input`, written and read back, the step, then its result.
inline void playRecordedSteps(uint32_t steps, const std::function<StepInput(uint32_t)>& input)
{
    for (uint32_t s = 0; s < steps; s++) {
        recordStep(input(s));
        stepGame(stepInput.speedFactor);
        recordStepResult();
    }
}

// The replay program's --check (or --info) on bytes: its exit status, and
// its text in `text`.
inline int reportOn(Bytes bytes, bool check, std::string& text, const char* name = "game.rec")
{
    char out[kReplayTextLength] = {};
    FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    int status = check ? checkRecording(f, name, out, (int)sizeof out) : describeRecording(f, name, out, (int)sizeof out);
    fclose(f);
    text = out;
    return status;
}
