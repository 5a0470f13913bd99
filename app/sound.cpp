// Playing the sounds: the device and the chunks from Media/, opened once after
// the display; the world's sounds on their own channels, which the pause
// overlay pauses, and the menu and overlay sounds on channels kept for them.
// Every chunk, pan copy and channel is made at start-up, so playing allocates
// nothing. Without a device, or muted, every call here does nothing.
#include "app/sound.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "app/settings.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const int kChunkFrames = 1024;             // device buffer, frames (23 ms)
static const int kOutputChannels = 2;             // stereo
static const int kAllChannels = kInterfaceChannels + kGameChannels;
static const int kPanPoolSamples = 8 << 20;       // 16-bit samples for the panned copies (16 MiB)
static const uint32_t kSoundSeed = 0x5eed1234u;
static const char* const kMediaFolder = "Media/";

// ---- Globals ----------------------------------------------------------------

bool soundOpen = false;
bool gameSoundsPaused = false;
int32_t channelSound[kGameChannels] = {};
uint32_t channelStart[kGameChannels] = {};
uint32_t soundStarts = 0;
uint32_t soundRandomState = kSoundSeed;
int32_t menuHotSeen = kNoMenuEntry;
SoundCue stepCues[kMaxCuesPerStep] = {};

static Mix_Chunk* loadedChunks[kSoundCount] = {};           // as loaded, centred; null when unusable
static Mix_Chunk pannedChunks[kSoundCount][kPanSteps] = {};  // the world's sounds at each pan
static int16_t panPool[kPanPoolSamples] = {};                // the samples of pannedChunks
static int interfaceTurn = 0;                               // kept channel the next menu sound takes

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

// Opens 16-bit stereo output with its channels, the first ones kept for the
// menu and overlay. False, with nothing left open, when there is no device.
static bool openDevice()
{
    snd_lib_error_set_handler(quietAlsa);
    int saved = hideErrorOutput();
    bool open = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (open && Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, kOutputChannels, kChunkFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        open = false;
    }
    restoreErrorOutput(saved);
    if (open) {
        Mix_AllocateChannels(kAllChannels);
        Mix_ReserveChannels(kInterfaceChannels);
    }
    return open;
}

// Makes the panned copies of one loaded world sound from the pool at offset
// used; a sound that does not fit, or a device that is not 16-bit stereo,
// keeps the centred chunk at every pan. Returns the pool used afterwards.
static size_t makePannedCopies(int sound, size_t used, bool stereo16)
{
    Mix_Chunk* loaded = loadedChunks[sound];
    size_t samples = loaded->alen / sizeof(int16_t);
    for (int p = 0; p < kPanSteps; p++) {
        pannedChunks[sound][p] = *loaded;
        pannedChunks[sound][p].allocated = 0;
        if (!stereo16 || p == kCentrePan || used + samples > (size_t)kPanPoolSamples)
            continue;
        float left, right;
        panGains(p, left, right);
        const int16_t* from = (const int16_t*)loaded->abuf;
        int16_t* to = panPool + used;
        for (size_t i = 0; i + 1 < samples; i += 2) {
            to[i] = (int16_t)((float)from[i] * left);
            to[i + 1] = (int16_t)((float)from[i + 1] * right);
        }
        pannedChunks[sound][p].abuf = (Uint8*)to;
        used += samples;
    }
    return used;
}

// Loads every sound from Media/; a missing or damaged file leaves that sound
// silent. The world's sounds get their panned copies.
static void loadSounds()
{
    int rate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    bool stereo16 = format == AUDIO_S16SYS && channels == kOutputChannels;
    size_t used = 0;
    for (int s = 0; s < kSoundCount; s++) {
        char path[256];
        snprintf(path, sizeof path, "%s%s", kMediaFolder, kSoundFiles[s]);
        loadedChunks[s] = Mix_LoadWAV(path);
        if (loadedChunks[s] && s < kFirstInterfaceSound)
            used = makePannedCopies(s, used, stereo16);
    }
}

// Start-up, after the display: opens the device and loads the sounds, unless
// the settings mute the game, in which case the device is not even opened.
void openSound()
{
    for (int c = 0; c < kGameChannels; c++)
        channelSound[c] = kNoSound;
    if (soundMuted || soundOpen || !openDevice())
        return;
    loadSounds();
    soundOpen = true;
}

// Stops every sound, lets the chunks go and closes the device, quietly.
void closeSound()
{
    if (!soundOpen)
        return;
    int saved = hideErrorOutput();
    Mix_HaltChannel(-1);
    for (int s = 0; s < kSoundCount; s++) {
        Mix_FreeChunk(loadedChunks[s]);
        loadedChunks[s] = nullptr;
        for (int p = 0; p < kPanSteps; p++)
            pannedChunks[s][p] = Mix_Chunk{};
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    restoreErrorOutput(saved);
    soundOpen = false;
}

// Frees the world channels whose sound has ended.
static void refreshChannels()
{
    for (int c = 0; c < kGameChannels; c++)
        if (channelSound[c] != kNoSound && !Mix_Playing(kInterfaceChannels + c))
            channelSound[c] = kNoSound;
}

// Starts one cue of the world on the channel the rules choose, if any.
static void startCue(const SoundCue& cue)
{
    const Mix_Chunk& chunk = pannedChunks[cue.sound][cue.pan];
    if (!chunk.abuf || gameSoundsPaused)
        return;
    int c = chooseChannel(channelSound, channelStart, cue.sound);
    if (c < 0)
        return;
    Mix_Volume(kInterfaceChannels + c, crowdVolume(cue.volume, channelSound));
    if (Mix_PlayChannel(kInterfaceChannels + c, (Mix_Chunk*)&chunk, 0) < 0)
        return;
    channelSound[c] = cue.sound;
    channelStart[c] = soundStarts++;
}

// How many world channels play a groan.
static int groansPlaying()
{
    int n = 0;
    for (int c = 0; c < kGameChannels; c++)
        n += channelSound[c] >= kSoundGroan && channelSound[c] < kSoundGroan + kGroanVariants;
    return n;
}

// After a step: the sounds of its events, heard from the view the step left,
// and now and then a groan.
void playStepSounds(float speedFactor)
{
    if (!soundOpen)
        return;
    refreshChannels();
    SoundView view = {cameraX, cameraY, cameraZoom, aspectRatio};
    float share = volumeShareFor(soundVolume);
    int n = planEventSounds(gameEvents, gameEventCount, view, share, stepCues);
    for (int i = 0; i < n; i++)
        startCue(stepCues[i]);
    SoundCue groan;
    if (planGroan(view, speedFactor, share, soundRandomState, groan) && groansPlaying() < kMaxGroansPlaying)
        startCue(groan);
}

// A menu or overlay sound, centred, on the next of the kept channels.
void playInterfaceSound(int sound)
{
    if (!soundOpen || sound < 0 || sound >= kSoundCount || !loadedChunks[sound])
        return;
    int volume = cueVolume(kInterfaceLevel, volumeShareFor(soundVolume));
    interfaceTurn = (interfaceTurn + 1) % kInterfaceChannels;
    Mix_Volume(interfaceTurn, volume);
    Mix_PlayChannel(interfaceTurn, loadedChunks[sound], 0);
}

// Pauses the world's sounds while the game is frozen, and resumes them after.
void pauseGameSounds(bool paused)
{
    if (paused == gameSoundsPaused)
        return;
    gameSoundsPaused = paused;
    if (!soundOpen)
        return;
    for (int c = 0; c < kGameChannels; c++) {
        if (paused)
            Mix_Pause(kInterfaceChannels + c);
        else
            Mix_Resume(kInterfaceChannels + c);
    }
}

// The menu's sounds for one pass of it: hot is the entry under the pointer,
// entries how many there are, chosen whether one was clicked.
void playMenuSounds(int hot, int entries, bool chosen)
{
    playInterfaceSound(menuSoundFor(menuHotSeen, hot, entries, chosen));
    menuHotSeen = hot;
}
