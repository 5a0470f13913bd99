// The generated sounds in Media/: 16-bit mono WAV files of the game's rate,
// the same bytes from every run of the generator, peaks below clipping and
// above a whisper, and silent ends, so that no sound starts or stops on a click.
#include <gtest/gtest.h>


#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/sound.h"

namespace {

const size_t kHeaderBytes = 44;
const size_t kEdgeFrames = kSampleRate / 1000;   // the first and last millisecond

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The little-endian field of `size` bytes at `at`, 0 past the end.
unsigned field(const std::vector<unsigned char>& b, size_t at, int size)
{
    unsigned v = 0;
    for (int i = size - 1; i >= 0; i--)
        v = v << 8 | (at + i < b.size() ? b[at + i] : 0);
    return v;
}

// The loudest sample from..to of a file's data, a share of full scale.
double peakOf(const std::vector<unsigned char>& b, size_t from, size_t to)
{
    double most = 0;
    for (size_t i = kHeaderBytes + 2 * from; i + 1 < b.size() && i < kHeaderBytes + 2 * to; i += 2)
        most = std::fmax(most, std::fabs((int16_t)field(b, i, 2) / 32768.0));
    return most;
}

// Runs the generator into a fresh directory and returns it.
std::string generateInto(const char* name)
{
    char dir[64];
    snprintf(dir, sizeof dir, "/tmp/vg-%s-XXXXXX", name);
    EXPECT_NE(mkdtemp(dir), nullptr);
    EXPECT_EQ(system((VG_BUILD_DIR "/makesound " + std::string(dir)).c_str()), 0);
    return dir;
}

}  // namespace

TEST(SoundFiles, EveryFileIsAShort16BitMonoWaveOfTheGamesRateWithSilentEndsAndAPeakInRange)
{
    for (int s = 0; s < kSoundCount; s++) {
        std::vector<unsigned char> b = readBytes(std::string(VG_BUILD_DIR "/Media/") + kSoundFiles[s]);
        ASSERT_GT(b.size(), kHeaderBytes) << kSoundFiles[s];
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF") << kSoundFiles[s];
        EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ") << kSoundFiles[s];
        EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data") << kSoundFiles[s];
        EXPECT_EQ(field(b, 4, 4), b.size() - 8) << kSoundFiles[s];
        EXPECT_EQ(field(b, 20, 2), 1u) << kSoundFiles[s] << " is not plain PCM";
        EXPECT_EQ(field(b, 22, 2), 1u) << kSoundFiles[s];
        EXPECT_EQ(field(b, 24, 4), (unsigned)kSampleRate) << kSoundFiles[s];
        EXPECT_EQ(field(b, 34, 2), 16u) << kSoundFiles[s];
        EXPECT_EQ(field(b, 40, 4), b.size() - kHeaderBytes) << kSoundFiles[s];
        size_t frames = (b.size() - kHeaderBytes) / 2;
        EXPECT_LE(frames, 2u * kSampleRate) << kSoundFiles[s];
        double peak = 20 * std::log10(peakOf(b, 0, frames));
        EXPECT_LT(peak, -0.2) << kSoundFiles[s] << " would clip";
        EXPECT_GT(peak, -16.0) << kSoundFiles[s] << " is too faint";
        EXPECT_EQ(field(b, kHeaderBytes, 2), 0u) << kSoundFiles[s];
        EXPECT_EQ(field(b, b.size() - 2, 2), 0u) << kSoundFiles[s];
        EXPECT_LT(peakOf(b, 0, kEdgeFrames), peakOf(b, 0, frames) * 0.5) << kSoundFiles[s] << " starts on a click";
        EXPECT_LT(peakOf(b, frames - kEdgeFrames, frames), peakOf(b, 0, frames) * 0.05) << kSoundFiles[s];
    }
}

TEST(SoundFiles, TheGeneratorWritesTheSameBytesEveryRun)
{
    std::string first = generateInto("sound1");
    std::string second = generateInto("sound2");
    for (int s = 0; s < kSoundCount; s++) {
        std::vector<unsigned char> a = readBytes(first + "/" + kSoundFiles[s]);
        EXPECT_FALSE(a.empty()) << kSoundFiles[s];
        EXPECT_TRUE(a == readBytes(second + "/" + kSoundFiles[s])) << kSoundFiles[s];
        EXPECT_TRUE(a == readBytes(std::string(VG_BUILD_DIR "/Media/") + kSoundFiles[s])) << kSoundFiles[s];
    }
    EXPECT_EQ(system(("rm -r " + first + " " + second).c_str()), 0);
}
