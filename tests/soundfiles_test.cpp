// The generated sounds in Media/: valid 16-bit mono WAV files of the game's
// rate, the same bytes from every run of the generator, levels in range and
// consistent, silent ends (no clicks), and an explosion louder and deeper
// than the shot.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/sound.h"

namespace {

const char* const kMedia = VG_BUILD_DIR "/Media";
const char* const kMakeSound = VG_BUILD_DIR "/makesound";
const double kFullScale = 32768.0;
const size_t kHeaderBytes = 44;
const double kEdgeSeconds = 0.001;    // the first and last millisecond must be near silence

// One file decoded by hand: its header fields and samples.
struct Sound {
    std::vector<unsigned char> bytes;
    std::vector<int16_t> samples;
    unsigned format = 0, channels = 0, rate = 0, bits = 0, dataBytes = 0, riffBytes = 0;
};

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned field(const std::vector<unsigned char>& b, size_t at, int size)
{
    unsigned v = 0;
    for (int i = size - 1; i >= 0; i--)
        v = v << 8 | (at + i < b.size() ? b[at + i] : 0);
    return v;
}

bool tagAt(const std::vector<unsigned char>& b, size_t at, const char* tag)
{
    return b.size() >= at + 4 && std::string(b.begin() + at, b.begin() + at + 4) == tag;
}

// Sound s of the game's list, read once from Media/.
const Sound& sound(int s)
{
    static Sound cache[kSoundCount];
    Sound& w = cache[s];
    if (!w.bytes.empty())
        return w;
    w.bytes = readBytes(std::string(kMedia) + "/" + kSoundFiles[s]);
    const std::vector<unsigned char>& b = w.bytes;
    w.riffBytes = field(b, 4, 4);
    w.format = field(b, 20, 2);
    w.channels = field(b, 22, 2);
    w.rate = field(b, 24, 4);
    w.bits = field(b, 34, 2);
    w.dataBytes = field(b, 40, 4);
    for (size_t i = kHeaderBytes; i + 1 < b.size(); i += 2)
        w.samples.push_back((int16_t)field(b, i, 2));
    return w;
}

double peakOf(const std::vector<int16_t>& v, size_t from = 0, size_t to = SIZE_MAX)
{
    double most = 0;
    for (size_t i = from; i < v.size() && i < to; i++)
        most = std::fmax(most, std::fabs(v[i] / kFullScale));
    return most;
}

double rmsOf(const std::vector<int16_t>& v)
{
    double sum = 0;
    for (int16_t x : v)
        sum += (x / kFullScale) * (x / kFullScale);
    return v.empty() ? 0 : std::sqrt(sum / (double)v.size());
}

double decibels(double level) { return 20 * std::log10(level); }

// Share of a sound's energy below about 200 Hz (two one-pole low-passes).
double lowShare(const std::vector<int16_t>& v)
{
    const double k = 1 - std::exp(-2 * M_PI * 200.0 / kSampleRate);
    double a = 0, b = 0, low = 0, all = 0;
    for (int16_t x : v) {
        a += k * (x - a);
        b += k * (a - b);
        low += b * b;
        all += (double)x * x;
    }
    return low / all;
}

// Runs the generator into a fresh directory; returns the directory.
std::string generateInto(const char* name)
{
    char dir[64];
    snprintf(dir, sizeof dir, "/tmp/vg-%s-XXXXXX", name);
    EXPECT_NE(mkdtemp(dir), nullptr);
    pid_t child = fork();
    if (child == 0) {
        execl(kMakeSound, kMakeSound, dir, (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return dir;
}

void removeGenerated(const std::string& dir)
{
    for (int s = 0; s < kSoundCount; s++)
        remove((dir + "/" + kSoundFiles[s]).c_str());
    rmdir(dir.c_str());
}

}  // namespace

TEST(SoundFiles, EveryFileIsA16BitMonoPcmWaveOfTheGamesRateWithConsistentSizes)
{
    for (int s = 0; s < kSoundCount; s++) {
        const Sound& w = sound(s);
        ASSERT_GT(w.bytes.size(), kHeaderBytes) << kSoundFiles[s];
        EXPECT_TRUE(tagAt(w.bytes, 0, "RIFF")) << kSoundFiles[s];
        EXPECT_TRUE(tagAt(w.bytes, 8, "WAVE")) << kSoundFiles[s];
        EXPECT_TRUE(tagAt(w.bytes, 12, "fmt ")) << kSoundFiles[s];
        EXPECT_TRUE(tagAt(w.bytes, 36, "data")) << kSoundFiles[s];
        EXPECT_EQ(w.format, 1u) << kSoundFiles[s];
        EXPECT_EQ(w.channels, 1u) << kSoundFiles[s];
        EXPECT_EQ(w.rate, (unsigned)kSampleRate) << kSoundFiles[s];
        EXPECT_EQ(w.bits, 16u) << kSoundFiles[s];
        EXPECT_EQ(w.dataBytes, w.bytes.size() - kHeaderBytes) << kSoundFiles[s];
        EXPECT_EQ(w.riffBytes, w.bytes.size() - 8) << kSoundFiles[s];
    }
}

TEST(SoundFiles, EverySoundLastsFromAFewHundredthsToTwoSeconds)
{
    for (int s = 0; s < kSoundCount; s++) {
        double seconds = (double)sound(s).samples.size() / kSampleRate;
        EXPECT_GE(seconds, 0.04) << kSoundFiles[s];
        EXPECT_LE(seconds, 2.0) << kSoundFiles[s];
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
        EXPECT_TRUE(a == sound(s).bytes) << kSoundFiles[s] << " differs from the build's";
    }
    removeGenerated(first);
    removeGenerated(second);
}

TEST(SoundFiles, PeaksStayBelowFullScaleAndAboveAWhisper)
{
    for (int s = 0; s < kSoundCount; s++) {
        double peak = decibels(peakOf(sound(s).samples));
        EXPECT_LT(peak, -0.2) << kSoundFiles[s] << " would clip";
        EXPECT_GT(peak, -16.0) << kSoundFiles[s] << " is too faint";
    }
}

TEST(SoundFiles, TheWorldsSoundsKeepTheirLoudnessWithinTenDecibels)
{
    double loudest = -100, softest = 0;
    for (int s = 0; s < kFirstInterfaceSound; s++) {
        double rms = decibels(rmsOf(sound(s).samples));
        loudest = std::fmax(loudest, rms);
        softest = std::fmin(softest, rms);
    }
    EXPECT_LT(loudest - softest, 10.0);
    EXPECT_GT(softest, -26.0);
}

TEST(SoundFiles, EverySoundStartsAndEndsInSilenceWithoutAnOffset)
{
    const size_t edge = (size_t)(kEdgeSeconds * kSampleRate);
    for (int s = 0; s < kSoundCount; s++) {
        const std::vector<int16_t>& v = sound(s).samples;
        double peak = peakOf(v);
        EXPECT_EQ(v.front(), 0) << kSoundFiles[s];
        EXPECT_EQ(v.back(), 0) << kSoundFiles[s];
        EXPECT_LT(peakOf(v, 0, edge), peak * 0.5) << kSoundFiles[s] << " starts with a click";
        EXPECT_LT(peakOf(v, v.size() - edge), peak * 0.05) << kSoundFiles[s] << " ends with a click";
        double sum = 0;
        for (int16_t x : v)
            sum += x / kFullScale;
        EXPECT_LT(std::fabs(sum / (double)v.size()), 0.01) << kSoundFiles[s] << " has an offset";
    }
}

TEST(SoundFiles, TheExplosionIsLouderAndDeeperThanTheShot)
{
    const std::vector<int16_t>& blast = sound(kSoundExplosion).samples;
    const std::vector<int16_t>& shot = sound(kSoundShot).samples;
    EXPECT_GT(decibels(rmsOf(blast)), decibels(rmsOf(shot)) + 3.0);
    EXPECT_GT(peakOf(blast), peakOf(shot));
    EXPECT_GT(lowShare(blast), lowShare(shot) * 1.3);
    EXPECT_GT(lowShare(blast), 0.5) << "most of the blast lies below 200 Hz";
}
