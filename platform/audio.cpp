// The audio device through SDL_mixer. Every chunk and pan copy is made at
// start-up, so playing allocates nothing; libasound and SDL are kept from
// printing while the device opens and closes.
#include "platform/audio.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

// ---- Constants --------------------------------------------------------------

static const int kPanPoolSamples = 8 << 20;       // 16-bit samples for the panned copies (16 MiB)
static const int kStereo = 2;

// ---- Globals ----------------------------------------------------------------

static bool audioOpen = false;                               // the device is open
static Mix_Chunk* loadedChunks[kAudioSounds] = {};           // as loaded, centred; null when unusable
static Mix_Chunk pannedChunks[kAudioSounds][kAudioPans] = {};  // copies at each pan
static int16_t panPool[kPanPoolSamples] = {};                // the samples of pannedChunks
static size_t panPoolUsed = 0;                               // samples of panPool handed out

// ---- Functions --------------------------------------------------------------

// Swallows libasound's own messages (it writes to stderr when no card opens,
// and on an underrun later in play): the game prints nothing.
static void quietAlsa(const char*, int, const char*, int, const char*, ...)
{
}

// Points stderr at /dev/null and returns a copy of the old one (-1 when that
// failed and nothing was changed). SDL and the sound libraries it loads may
// print while the device opens or closes; the game must not.
static int hideErrorOutput()
{
    fflush(stderr);
    int null = open("/dev/null", O_WRONLY);
    if (null < 0)
        return -1;
    int saved = dup(STDERR_FILENO);
    if (saved >= 0)
        dup2(null, STDERR_FILENO);
    close(null);
    return saved;
}

// Gives stderr back after hideErrorOutput.
static void restoreErrorOutput(int saved)
{
    if (saved < 0)
        return;
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
}

// Opens 16-bit output with mixChannels channels, the first reservedChannels
// kept out of the mixer's own choosing. False, with nothing left open, when
// there is no device.
bool openAudio(int sampleRate, int outputChannels, int chunkFrames, int mixChannels, int reservedChannels)
{
    snd_lib_error_set_handler(quietAlsa);
    int saved = hideErrorOutput();
    bool open = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (open && Mix_OpenAudio(sampleRate, AUDIO_S16SYS, outputChannels, chunkFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        open = false;
    }
    restoreErrorOutput(saved);
    if (open) {
        Mix_AllocateChannels(mixChannels);
        Mix_ReserveChannels(reservedChannels);
    }
    audioOpen = open;
    panPoolUsed = 0;
    return open;
}

// Stops every sound, lets the chunks go and closes the device, quietly.
void closeAudio()
{
    if (!audioOpen)
        return;
    int saved = hideErrorOutput();
    Mix_HaltChannel(-1);
    for (int s = 0; s < kAudioSounds; s++) {
        Mix_FreeChunk(loadedChunks[s]);
        loadedChunks[s] = nullptr;
        for (int p = 0; p < kAudioPans; p++)
            pannedChunks[s][p] = Mix_Chunk{};
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    restoreErrorOutput(saved);
    audioOpen = false;
}

// Loads a sound file as sound number `sound`; false (the sound silent) when
// it is missing or damaged.
bool loadAudioSound(int sound, const char* path)
{
    if (!audioOpen || sound < 0 || sound >= kAudioSounds)
        return false;
    loadedChunks[sound] = Mix_LoadWAV(path);
    return loadedChunks[sound] != nullptr;
}

// Whether the device plays 16-bit stereo, the only layout panned copies are
// made for.
static bool deviceIsStereo16()
{
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    return format == AUDIO_S16SYS && channels == kStereo;
}

// Makes the panned copies of a loaded sound, pan p scaling the left and right
// samples by leftGains[p] and rightGains[p]. The centre pan, a sound that no
// longer fits the pool, or a device that is not 16-bit stereo keeps the
// loaded chunk at that pan.
void panAudioSound(int sound, int pans, int centrePan, const float* leftGains, const float* rightGains)
{
    if (!audioOpen || sound < 0 || sound >= kAudioSounds || !loadedChunks[sound] || pans > kAudioPans)
        return;
    Mix_Chunk* loaded = loadedChunks[sound];
    size_t samples = loaded->alen / sizeof(int16_t);
    bool stereo16 = deviceIsStereo16();
    for (int p = 0; p < pans; p++) {
        pannedChunks[sound][p] = *loaded;
        pannedChunks[sound][p].allocated = 0;
        if (!stereo16 || p == centrePan || panPoolUsed + samples > (size_t)kPanPoolSamples)
            continue;
        const int16_t* from = (const int16_t*)loaded->abuf;
        int16_t* to = panPool + panPoolUsed;
        for (size_t i = 0; i + 1 < samples; i += 2) {
            to[i] = (int16_t)((float)from[i] * leftGains[p]);
            to[i + 1] = (int16_t)((float)from[i + 1] * rightGains[p]);
        }
        pannedChunks[sound][p].abuf = (Uint8*)to;
        panPoolUsed += samples;
    }
}

// The chunk of a sound at a pan, null when there is none.
static Mix_Chunk* chunkAt(int sound, int pan)
{
    if (!audioOpen || sound < 0 || sound >= kAudioSounds || pan >= kAudioPans)
        return nullptr;
    if (pan < 0)
        return loadedChunks[sound];
    return pannedChunks[sound][pan].abuf ? &pannedChunks[sound][pan] : nullptr;
}

// Whether the sound can be played at that pan.
bool audioSoundReady(int sound, int pan)
{
    return chunkAt(sound, pan) != nullptr;
}

// Starts the sound at a pan on a channel at a volume (0..128), once; false
// when it could not start.
bool playAudioSound(int channel, int sound, int pan, int volume)
{
    Mix_Chunk* chunk = chunkAt(sound, pan);
    if (!chunk)
        return false;
    Mix_Volume(channel, volume);
    return Mix_PlayChannel(channel, chunk, 0) >= 0;
}

// Whether a channel still plays a sound.
bool audioChannelPlaying(int channel)
{
    return audioOpen && Mix_Playing(channel) != 0;
}

// Pauses or resumes one channel.
void pauseAudioChannel(int channel, bool paused)
{
    if (!audioOpen)
        return;
    if (paused)
        Mix_Pause(channel);
    else
        Mix_Resume(channel);
}

// Whether a channel is paused.
bool audioChannelPaused(int channel)
{
    return audioOpen && Mix_Paused(channel) != 0;
}
