// Playing the sounds: the chunks from Media/, loaded once after the display;
// the world's sounds on their own channels, which the pause overlay pauses,
// and the menu and overlay sounds on channels kept for them. The device
// itself is the platform's; without it, or muted, every call here does
// nothing.
#include "app/sound.h"

#include <cstdio>

#include "platform/audio.h"
#include "platform/settings.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const int kChunkFrames = 1024;             // device buffer, frames (23 ms)
static const int kOutputChannels = 2;             // stereo
static const int kAllChannels = kInterfaceChannels + kGameChannels;
static const uint32_t kSoundSeed = 0x5eed1234u;
static const char* const kMediaFolder = "Media/";
static_assert(kSoundCount <= kAudioSounds && kPanSteps <= kAudioPans, "the device holds every sound and pan");

// ---- Globals ----------------------------------------------------------------

bool soundOpen = false;
bool gameSoundsPaused = false;
int32_t channelSound[kGameChannels] = {};
uint32_t channelStart[kGameChannels] = {};
uint32_t soundStarts = 0;
uint32_t soundRandomState = kSoundSeed;
int32_t menuHotSeen = kNoMenuEntry;
SoundCue stepCues[kMaxCuesPerStep] = {};

static int interfaceTurn = 0;                     // kept channel the next menu sound takes

// ---- Functions --------------------------------------------------------------

// Loads every sound from Media/; a missing or damaged file leaves that sound
// silent. The world's sounds get their panned copies.
static void loadSounds()
{
    float left[kPanSteps], right[kPanSteps];
    for (int p = 0; p < kPanSteps; p++)
        panGains(p, left[p], right[p]);
    for (int s = 0; s < kSoundCount; s++) {
        char path[256];
        snprintf(path, sizeof path, "%s%s", kMediaFolder, kSoundFiles[s]);
        if (loadAudioSound(s, path) && s < kFirstInterfaceSound)
            panAudioSound(s, kPanSteps, kCentrePan, left, right);
    }
}

// Start-up, after the display: opens the device and loads the sounds, unless
// the settings mute the game, in which case the device is not even opened.
void openSound()
{
    for (int c = 0; c < kGameChannels; c++)
        channelSound[c] = kNoSound;
    if (soundMuted || soundOpen ||
        !openAudio(kSampleRate, kOutputChannels, kChunkFrames, kAllChannels, kInterfaceChannels))
        return;
    loadSounds();
    soundOpen = true;
}

// Stops every sound, lets the chunks go and closes the device.
void closeSound()
{
    if (!soundOpen)
        return;
    closeAudio();
    soundOpen = false;
}

// Frees the world channels whose sound has ended.
static void refreshChannels()
{
    for (int c = 0; c < kGameChannels; c++)
        if (channelSound[c] != kNoSound && !audioChannelPlaying(kInterfaceChannels + c))
            channelSound[c] = kNoSound;
}

// Starts one cue of the world on the channel the rules choose, if any.
static void startCue(const SoundCue& cue)
{
    if (!audioSoundReady(cue.sound, cue.pan) || gameSoundsPaused)
        return;
    int c = chooseChannel(channelSound, channelStart, cue.sound);
    if (c < 0)
        return;
    if (!playAudioSound(kInterfaceChannels + c, cue.sound, cue.pan, crowdVolume(cue.volume, channelSound)))
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
    if (!soundOpen || sound < 0 || sound >= kSoundCount || !audioSoundReady(sound, kAudioCentred))
        return;
    int volume = cueVolume(kInterfaceLevel, volumeShareFor(soundVolume));
    interfaceTurn = (interfaceTurn + 1) % kInterfaceChannels;
    playAudioSound(interfaceTurn, sound, kAudioCentred, volume);
}

// Pauses the world's sounds while the game is frozen, and resumes them after.
void pauseGameSounds(bool paused)
{
    if (paused == gameSoundsPaused)
        return;
    gameSoundsPaused = paused;
    if (!soundOpen)
        return;
    for (int c = 0; c < kGameChannels; c++)
        pauseAudioChannel(kInterfaceChannels + c, paused);
}

// The menu's sounds for one pass of it: hot is the entry under the pointer,
// entries how many there are, chosen whether one was clicked.
void playMenuSounds(int hot, int entries, bool chosen)
{
    playInterfaceSound(menuSoundFor(menuHotSeen, hot, entries, chosen));
    menuHotSeen = hot;
}
