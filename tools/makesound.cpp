// makesound: synthesises every sound the game loads from Media/ and writes them
// as 16-bit mono PCM WAV files into the directory named on the command line.
// Each sound is built from oscillators, noise, envelopes and filters; the only
// randomness is a fixed-seed generator of our own, so every run writes the same
// bytes. With --waves DIR it also draws each sound's waveform as a PNG strip
// into DIR, for the review sheet.
#include <lodepng.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/sound.h"

// ---------------------------------------------------------------- constants

const double kPi = 3.14159265358979323846;
const double kRate = kSampleRate;
const double kFadeIn = 0.002;        // seconds of raised-cosine fade at the start: no click
const double kFadeOut = 0.012;       // and at the end
const double kTaper = 0.004;         // seconds every part fades out over, so none ends in a step
const double kDcCut = 25.0;          // Hz, below this nothing is kept (no thump from an offset)
const int kWaveWidth = 600;          // waveform strip, pixels
const int kWaveHeight = 120;

// ---------------------------------------------------------------- records

typedef std::vector<double> Wave;

// A filter of two poles and two zeros (the usual audio cookbook forms).
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// ---------------------------------------------------------------- basics

uint32_t noiseState = 1;

// The generator's noise: xorshift from a seed given per sound, -1..1.
double noise() {
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    return (double)noiseState / 2147483648.0 - 1.0;
}

void seedNoise(uint32_t seed) { noiseState = seed ? seed : 1; }

Wave silence(double seconds) { return Wave((size_t)(seconds * kRate), 0.0); }

double timeOf(size_t i) { return (double)i / kRate; }

// A decaying envelope: a linear rise over attack seconds, then e^(-t/tau).
double strike(double t, double attack, double tau) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / tau);
}

// A swelling envelope: rise over attack, hold until release starts, fall over release.
double swell(double t, double attack, double releaseStart, double release) {
    if (t < 0) return 0;
    double up = t < attack ? 0.5 - 0.5 * std::cos(kPi * t / attack) : 1.0;
    double down = t < releaseStart ? 1.0 : std::max(0.0, 1.0 - (t - releaseStart) / release);
    return up * down * down;
}

// Exponential glide from a to b over the seconds given, then b.
double glide(double t, double a, double b, double seconds) {
    double p = std::min(1.0, std::max(0.0, t / seconds));
    return a * std::pow(b / a, p);
}

Biquad lowPass(double hz, double q) {
    double w = 2 * kPi * hz / kRate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    return Biquad{(1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

Biquad highPass(double hz, double q) {
    double w = 2 * kPi * hz / kRate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    return Biquad{(1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

Biquad bandPass(double hz, double q) {
    double w = 2 * kPi * hz / kRate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    return Biquad{alpha / a0, 0, -alpha / a0, -2 * c / a0, (1 - alpha) / a0};
}

double run(Biquad& f, double x) {
    double y = f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2;
    f.x2 = f.x1, f.x1 = x, f.y2 = f.y1, f.y1 = y;
    return y;
}

// Filters a whole wave in place.
void filter(Wave& w, Biquad f) {
    for (double& s : w) s = run(f, s);
}

// Adds b into a from the sample at seconds `at`, scaled.
void mix(Wave& a, const Wave& b, double at = 0, double scale = 1) {
    size_t from = (size_t)(at * kRate);
    for (size_t i = 0; i < b.size() && from + i < a.size(); i++) a[from + i] += b[i] * scale;
}

// Fades the last kTaper seconds of a part out (raised cosine), so that a part
// cut off while still sounding does not end in a step.
Wave taper(Wave w) {
    size_t n = std::min(w.size(), (size_t)(kTaper * kRate));
    for (size_t k = 0; k < n; k++) w[w.size() - 1 - k] *= 0.5 - 0.5 * std::cos(kPi * (double)k / (double)n);
    return w;
}

// A band of noise shaped by an envelope function of time.
template <typename Env>
Wave noiseBand(double seconds, Biquad f, Env env) {
    Wave w = silence(seconds);
    for (size_t i = 0; i < w.size(); i++) w[i] = run(f, noise()) * env(timeOf(i));
    return taper(w);
}

// A band-limited-enough sawtooth (sum of 12 harmonics under 9 kHz) whose
// pitch follows hz(t), shaped by env(t).
template <typename Pitch, typename Env>
Wave voice(double seconds, Pitch hz, Env env) {
    Wave w = silence(seconds);
    double phase = 0;
    for (size_t i = 0; i < w.size(); i++) {
        double t = timeOf(i), f = hz(t), s = 0;
        phase += f / kRate;
        phase -= std::floor(phase);
        for (int h = 1; h <= 12 && h * f < 9000; h++) s += std::sin(2 * kPi * h * phase) / h;
        w[i] = s * env(t);
    }
    return taper(w);
}

// A sine whose pitch follows hz(t), shaped by env(t).
template <typename Pitch, typename Env>
Wave tone(double seconds, Pitch hz, Env env) {
    Wave w = silence(seconds);
    double phase = 0;
    for (size_t i = 0; i < w.size(); i++) {
        double t = timeOf(i);
        phase += hz(t) / kRate;
        phase -= std::floor(phase);
        w[i] = std::sin(2 * kPi * phase) * env(t);
    }
    return taper(w);
}

// Passes a voice through vowel formants (band-passes at the given centres,
// weighted), as a throat shapes a buzz.
Wave formants(const Wave& buzz, const double* hz, const double* weight, int n, double q) {
    Wave out(buzz.size(), 0.0);
    for (int k = 0; k < n; k++) {
        Biquad f = bandPass(hz[k], q);
        for (size_t i = 0; i < buzz.size(); i++) out[i] += run(f, buzz[i]) * weight[k];
    }
    return out;
}

// Soft saturation, for grit that never clips.
void saturate(Wave& w, double drive) {
    for (double& s : w) s = std::tanh(s * drive) / std::tanh(drive);
}

// The finishing: no DC, raised-cosine fades at both ends (the first and last
// samples are exactly 0), and the peak set to the level given.
void finish(Wave& w, double peak) {
    filter(w, highPass(kDcCut, 0.707));
    size_t in = (size_t)(kFadeIn * kRate), out = (size_t)(kFadeOut * kRate);
    for (size_t i = 0; i < w.size(); i++) {
        if (i < in) w[i] *= 0.5 - 0.5 * std::cos(kPi * (double)i / (double)in);
        size_t left = w.size() - 1 - i;
        if (left < out) w[i] *= 0.5 - 0.5 * std::cos(kPi * (double)left / (double)out);
    }
    double most = 0;
    for (double s : w) most = std::max(most, std::fabs(s));
    if (most > 0)
        for (double& s : w) s *= peak / most;
}

// ---------------------------------------------------------------- the sounds

// The gun: a sharp crack of bright noise, a low punch under it and a short
// tail of the street answering.
Wave makeShot() {
    seedNoise(101);
    Wave w = silence(0.42);
    mix(w, noiseBand(0.06, bandPass(2400, 0.8), [](double t) { return strike(t, 0.0008, 0.012); }));
    mix(w, tone(0.12, [](double t) { return glide(t, 170, 55, 0.08); }, [](double t) { return strike(t, 0.001, 0.03); }),
        0, 0.9);
    mix(w, noiseBand(0.42, lowPass(1800, 0.7), [](double t) { return 0.35 * strike(t, 0.004, 0.07); }));
    saturate(w, 2.0);
    finish(w, 0.70);
    return w;
}

// The throw: a short whoosh, a band of air sweeping up and fading.
Wave makeThrow() {
    seedNoise(202);
    Wave w = silence(0.34);
    Biquad f = bandPass(500, 1.6);
    for (size_t i = 0; i < w.size(); i++) {
        double t = timeOf(i);
        if (i % 64 == 0) {
            Biquad g = bandPass(glide(t, 450, 1600, 0.3), 1.6);
            f.b0 = g.b0, f.b1 = g.b1, f.b2 = g.b2, f.a1 = g.a1, f.a2 = g.a2;
        }
        w[i] = run(f, noise()) * std::pow(std::sin(kPi * std::min(1.0, t / 0.32)), 2);
    }
    finish(w, 0.38);
    return w;
}

// The explosion: a crack, a deep thump falling away under a long rumble of
// dark noise, and debris crackling down.
Wave makeExplosion() {
    seedNoise(303);
    Wave w = silence(1.9);
    mix(w, noiseBand(0.05, highPass(900, 0.7), [](double t) { return strike(t, 0.001, 0.012); }), 0, 0.6);
    mix(w, tone(0.9, [](double t) { return glide(t, 80, 28, 0.6); }, [](double t) { return strike(t, 0.003, 0.28); }),
        0, 1.6);
    Wave rumble = silence(1.9);
    double brown = 0;
    for (double& s : rumble) {
        brown = brown * 0.995 + noise() * 0.1;
        s = brown;
    }
    filter(rumble, lowPass(320, 0.9));
    for (size_t i = 0; i < rumble.size(); i++) rumble[i] *= strike(timeOf(i), 0.008, 0.45);
    mix(w, rumble, 0, 2.2);
    Wave debris = silence(1.9);
    for (size_t i = 0; i < debris.size(); i++)
        if (noise() > 0.9985) debris[i] = noise() * strike(timeOf(i) - 0.1, 0.02, 0.35);
    filter(debris, bandPass(1500, 1.0));
    mix(w, debris, 0, 4.0);
    saturate(w, 1.6);
    finish(w, 0.95);
    return w;
}

// A short crunch of teeth: a burst of mid noise.
Wave crunch(double seconds) {
    return noiseBand(seconds, bandPass(1300, 1.2), [](double t) { return strike(t, 0.002, 0.018); });
}

// The player bitten: two crunches and a short grunt of pain.
Wave makePlayerBitten() {
    seedNoise(404);
    Wave w = silence(0.45);
    mix(w, crunch(0.08), 0, 1.0);
    mix(w, crunch(0.08), 0.07, 0.7);
    static const double hz[3] = {650, 1100, 2400}, weight[3] = {1.0, 0.6, 0.2};
    Wave grunt = formants(voice(0.4, [](double t) { return glide(t, 150, 105, 0.3); },
                                [](double t) { return swell(t, 0.02, 0.12, 0.22); }),
                          hz, weight, 3, 4.0);
    mix(w, grunt, 0.04, 1.3);
    saturate(w, 1.5);
    finish(w, 0.62);
    return w;
}

// A zombie killed: a wet splat and a last groan falling away.
Wave makeZombieKilled() {
    seedNoise(505);
    Wave w = silence(0.85);
    mix(w, noiseBand(0.2, lowPass(900, 1.0), [](double t) { return strike(t, 0.002, 0.05); }), 0, 1.2);
    static const double hz[2] = {420, 900}, weight[2] = {1.0, 0.5};
    Wave groan = formants(voice(0.8, [](double t) { return glide(t, 95, 48, 0.7) * (1 + 0.03 * std::sin(2 * kPi * 7 * t)); },
                                [](double t) { return swell(t, 0.05, 0.25, 0.5); }),
                          hz, weight, 2, 3.0);
    mix(w, groan, 0.03, 1.6);
    saturate(w, 1.8);
    finish(w, 0.62);
    return w;
}

// A scream of the given length whose pitch runs from `from` to `to`: it
// breaks upwards at the start, wavers, and carries breath through the same
// throat.
Wave scream(double seconds, double from, double to, double releaseStart) {
    static const double hz[3] = {950, 1700, 2900}, weight[3] = {1.0, 0.7, 0.3};
    auto envelope = [=](double t) { return swell(t, 0.03, releaseStart, seconds - releaseStart); };
    Wave buzz = voice(seconds, [=](double t) {
        double onset = 0.8 + 0.2 * std::min(1.0, t / 0.08);
        return glide(t, from, to, seconds) * onset * (1 + 0.03 * std::sin(2 * kPi * 6.5 * t));
    }, envelope);
    mix(buzz, noiseBand(seconds, highPass(600, 0.7), [=](double t) { return 0.12 * envelope(t); }));
    return formants(buzz, hz, weight, 3, 5.0);
}

// A civilian bitten: a crunch and a short scream.
Wave makeCivilianBitten() {
    seedNoise(606);
    Wave w = silence(0.55);
    mix(w, crunch(0.08), 0, 0.8);
    mix(w, scream(0.5, 430, 520, 0.25), 0.03, 1.0);
    finish(w, 0.50);
    return w;
}

// A civilian killed: a long scream breaking downwards.
Wave makeCivilianKilled() {
    seedNoise(707);
    Wave w = silence(0.95);
    mix(w, crunch(0.1), 0, 0.8);
    mix(w, scream(0.9, 540, 230, 0.35), 0.02, 1.0);
    finish(w, 0.55);
    return w;
}

// The player's death: a heavy blow, a long falling cry and a low toll that
// rings out.
Wave makePlayerDied() {
    seedNoise(808);
    Wave w = silence(2.0);
    mix(w, tone(0.5, [](double t) { return glide(t, 90, 40, 0.3); }, [](double t) { return strike(t, 0.002, 0.12); }), 0, 1.0);
    mix(w, crunch(0.1), 0, 0.6);
    static const double hz[3] = {600, 1000, 2300}, weight[3] = {1.0, 0.6, 0.2};
    Wave cry = formants(voice(1.2, [](double t) { return glide(t, 190, 70, 1.1); },
                              [](double t) { return swell(t, 0.04, 0.4, 0.8); }),
                        hz, weight, 3, 4.0);
    mix(w, cry, 0.05, 1.2);
    Wave toll = tone(1.9, [](double) { return 55.0; }, [](double t) { return strike(t, 0.05, 0.6); });
    mix(toll, tone(1.9, [](double) { return 82.5; }, [](double t) { return 0.5 * strike(t, 0.05, 0.4); }));
    mix(toll, tone(1.9, [](double) { return 220.0; }, [](double t) { return 0.3 * strike(t, 0.02, 0.35); }));
    mix(toll, tone(1.9, [](double) { return 331.0; }, [](double t) { return 0.15 * strike(t, 0.02, 0.25); }));
    mix(w, toll, 0.1, 0.7);
    saturate(w, 1.3);
    finish(w, 0.80);
    return w;
}

// A zombie's groan: a low buzz through a slack throat, wavering, with breath.
Wave makeGroan(int variant) {
    seedNoise(909 + (uint32_t)variant * 17);
    static const double pitch[kGroanVariants] = {78, 64, 92};
    static const double length[kGroanVariants] = {1.1, 1.35, 0.9};
    static const double vowel[kGroanVariants][2] = {{480, 850}, {380, 700}, {620, 1050}};
    double base = pitch[variant], seconds = length[variant];
    double wobble = 3.0 + variant;
    Wave buzz = voice(seconds, [=](double t) { return base * (1 + 0.06 * std::sin(2 * kPi * wobble * t) - 0.15 * t / seconds); },
                      [=](double t) { return swell(t, 0.18, seconds * 0.55, seconds * 0.45); });
    const double hz[3] = {vowel[variant][0], vowel[variant][1], 2500}, weight[3] = {1.0, 0.6, 0.1};
    Wave w = formants(buzz, hz, weight, 3, 3.5);
    mix(w, noiseBand(seconds, bandPass(vowel[variant][0] * 1.5, 1.0),
                     [=](double t) { return 0.25 * swell(t, 0.2, seconds * 0.5, seconds * 0.5); }));
    saturate(w, 2.2);
    finish(w, 0.42);
    return w;
}

// The menu's hover: a soft, short tick.
Wave makeMenuHover() {
    Wave w = tone(0.06, [](double) { return 1900.0; }, [](double t) { return strike(t, 0.002, 0.012); });
    finish(w, 0.22);
    return w;
}

// The menu's click: two bright tones, the second a fifth above.
Wave makeMenuClick() {
    Wave w = silence(0.12);
    mix(w, tone(0.06, [](double) { return 1200.0; }, [](double t) { return strike(t, 0.002, 0.015); }));
    mix(w, tone(0.08, [](double) { return 1800.0; }, [](double t) { return strike(t, 0.002, 0.02); }), 0.035);
    finish(w, 0.32);
    return w;
}

// The pause overlay: a soft glide up to open, down to close, with a fifth.
Wave makePauseSweep(bool opening) {
    double from = opening ? 330 : 660, to = opening ? 660 : 330;
    Wave w = tone(0.3, [=](double t) { return glide(t, from, to, 0.2); }, [](double t) { return swell(t, 0.03, 0.12, 0.18); });
    mix(w, tone(0.3, [=](double t) { return 1.5 * glide(t, from, to, 0.2); }, [](double t) { return 0.3 * swell(t, 0.03, 0.12, 0.18); }));
    finish(w, 0.30);
    return w;
}

// The screenshot: a shutter's two clicks and the short whirr between them.
Wave makeShutter() {
    seedNoise(1111);
    Wave w = silence(0.24);
    mix(w, noiseBand(0.05, bandPass(3000, 0.9), [](double t) { return strike(t, 0.0005, 0.008); }));
    mix(w, tone(0.05, [](double) { return 1400.0; }, [](double t) { return 0.5 * strike(t, 0.001, 0.01); }));
    mix(w, noiseBand(0.08, bandPass(900, 2.0), [](double t) { return 0.3 * swell(t, 0.01, 0.04, 0.04); }), 0.01);
    mix(w, noiseBand(0.06, bandPass(2200, 0.9), [](double t) { return 0.8 * strike(t, 0.0005, 0.012); }), 0.09);
    mix(w, tone(0.06, [](double) { return 1000.0; }, [](double t) { return 0.4 * strike(t, 0.001, 0.014); }), 0.09);
    finish(w, 0.60);
    return w;
}

// Sound s of the game's list.
Wave makeSound(int s) {
    switch (s) {
    case kSoundShot: return makeShot();
    case kSoundThrow: return makeThrow();
    case kSoundExplosion: return makeExplosion();
    case kSoundPlayerBitten: return makePlayerBitten();
    case kSoundZombieKilled: return makeZombieKilled();
    case kSoundCivilianBitten: return makeCivilianBitten();
    case kSoundCivilianKilled: return makeCivilianKilled();
    case kSoundPlayerDied: return makePlayerDied();
    case kSoundMenuHover: return makeMenuHover();
    case kSoundMenuClick: return makeMenuClick();
    case kSoundPauseOpen: return makePauseSweep(true);
    case kSoundPauseClose: return makePauseSweep(false);
    case kSoundShutter: return makeShutter();
    default: return makeGroan(s - kSoundGroan);
    }
}

// ---------------------------------------------------------------- files

void put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back((unsigned char)(v & 0xff));
    out.push_back((unsigned char)(v >> 8 & 0xff));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

void putTag(std::vector<unsigned char>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// The wave as a 16-bit mono PCM WAV file, field by field, little-endian.
std::vector<unsigned char> encodeWav(const Wave& w) {
    std::vector<unsigned char> out;
    uint32_t data = (uint32_t)(w.size() * 2);
    putTag(out, "RIFF");
    put32(out, 36 + data);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1);                      // PCM
    put16(out, 1);                      // mono
    put32(out, (uint32_t)kSampleRate);
    put32(out, (uint32_t)kSampleRate * 2);
    put16(out, 2);                      // bytes a frame
    put16(out, 16);                     // bits a sample
    putTag(out, "data");
    put32(out, data);
    for (double s : w) put16(out, (unsigned)(uint16_t)(int16_t)std::lround(std::max(-1.0, std::min(1.0, s)) * 32767));
    return out;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// The waveform as a strip: the range of the samples under each column, light
// on dark, with the centre line and the full-scale rows marked.
std::vector<unsigned char> drawWave(const Wave& w) {
    std::vector<unsigned char> rgb((size_t)kWaveWidth * kWaveHeight * 3, 24);
    int mid = kWaveHeight / 2;
    for (int x = 0; x < kWaveWidth; x++) {
        size_t from = w.size() * x / kWaveWidth, to = std::max(from + 1, w.size() * (x + 1) / kWaveWidth);
        double lo = 0, hi = 0;
        for (size_t i = from; i < to && i < w.size(); i++) lo = std::min(lo, w[i]), hi = std::max(hi, w[i]);
        for (int y = 0; y < kWaveHeight; y++) {
            double v = (double)(mid - y) / mid;
            unsigned char* p = &rgb[((size_t)y * kWaveWidth + x) * 3];
            if (y == mid || y == 0 || y == kWaveHeight - 1) p[0] = p[1] = p[2] = 70;
            if (v >= lo && v <= hi) p[0] = 120, p[1] = 220, p[2] = 140;
        }
    }
    return rgb;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: makesound <dir> [--waves <dir>]\n");
        return 2;
    }
    std::string dir = argv[1];
    std::string waves = argc >= 4 && std::string(argv[2]) == "--waves" ? argv[3] : "";
    for (int s = 0; s < kSoundCount; s++) {
        Wave w = makeSound(s);
        if (!writeFile(dir + "/" + kSoundFiles[s], encodeWav(w))) {
            fprintf(stderr, "makesound: cannot write %s/%s\n", dir.c_str(), kSoundFiles[s]);
            return 1;
        }
        if (!waves.empty()) {
            std::string name = std::string(kSoundFiles[s]);
            name = waves + "/" + name.substr(0, name.size() - 4) + "-wave.png";
            if (lodepng::encode(name, drawWave(w), kWaveWidth, kWaveHeight, LCT_RGB) != 0) return 1;
        }
    }
    return 0;
}
