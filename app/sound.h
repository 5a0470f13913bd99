// Sound: the game's sounds from Media/, placed by where things happened
// relative to the view. The step leaves its events and the sound layer reads
// them afterwards; nothing here ever feeds back into the game. The rules
// (which event plays what, how loud, panned where, the caps, the groans and
// the menu's clicks) are plain functions that need no audio device; the rest
// plays them through the mixer, and does nothing when sound is off.
#pragma once

#include <cstdint>

#include "sim/events.h"

// ---- Constants --------------------------------------------------------------

// Sounds, by the file each is loaded from.
const int kNoSound = -1;
const int kSoundShot = 0;
const int kSoundThrow = 1;
const int kSoundExplosion = 2;
const int kSoundPlayerBitten = 3;
const int kSoundZombieKilled = 4;
const int kSoundCivilianBitten = 5;
const int kSoundCivilianKilled = 6;
const int kSoundPlayerDied = 7;
const int kSoundGroan = 8;            // the first of kGroanVariants groans
const int kGroanVariants = 3;
const int kSoundMenuHover = 11;
const int kSoundMenuClick = 12;
const int kSoundPauseOpen = 13;
const int kSoundPauseClose = 14;
const int kSoundShutter = 15;
const int kSoundCount = 16;
const int kFirstInterfaceSound = kSoundMenuHover;  // sounds from here on are not placed in the world

inline constexpr const char* kSoundFiles[kSoundCount] = {
    "shot.wav",         "throw.wav",         "explosion.wav",      "playerbitten.wav",
    "zombiekilled.wav", "civilianbitten.wav", "civiliankilled.wav", "playerdied.wav",
    "groan1.wav",       "groan2.wav",        "groan3.wav",         "menuhover.wav",
    "menuclick.wav",    "pauseopen.wav",     "pauseclose.wav",     "shutter.wav"};

const int kSampleRate = 44100;        // frames per second of the files and the device
const int kFullVolume = 128;          // the mixer's full channel volume
const int kPanSteps = 5;              // pans a sound can take: hard left .. centre .. hard right
const int kCentrePan = 2;
const float kHardestPan = 0.75f;      // the far ear keeps a quarter at the view's edge
const float kSilentBeyond = 2.0f;     // half views past the view's edge where sounds fade out
const float kWorldLevel = 0.5f;       // the world's sounds at full volume: headroom for a crowd of them
const float kInterfaceLevel = 0.8f;   // the menu's and the overlay's sounds, heard alone
const int kCrowdFree = 3;             // world sounds playing before new ones start softer
const int kMaxCuesPerStep = 8;        // sounds started for one step's events
const int kMaxSameSoundPerStep = 3;   // starts of one sound for one step's events
const int kInterfaceChannels = 2;     // mixer channels kept for menu and overlay sounds
const int kGameChannels = 10;         // sounds of the world playing at once
const int kMaxGroansPlaying = 2;      // groans overlapping at once
const int kGroanCrowd = 12;           // zombies beyond this many make groans no likelier
const float kGroanChance = 0.0015f;   // chance of a groan per zombie heard, per step unit
const int kNoMenuEntry = -1000;       // the hot entry before the first menu pass

// ---- Records ----------------------------------------------------------------

// The view sounds are heard from: the camera and the size of the view.
struct SoundView {
    float x, y;     // camera centre, cells
    float zoom;     // view height, cells
    float aspect;   // view width / height
};

// Where a sound is heard from: how loud for its distance and how far aside.
struct SoundPlace {
    float gain;     // 1 inside the view, falling to 0 at kSilentBeyond past it
    float pan;      // -1 left .. 1 right, the view's edges
};

// One sound to start.
struct SoundCue {
    int32_t sound;   // kSoundShot .. kSoundShutter
    int32_t volume;  // 1..128
    int32_t pan;     // 0..4, kCentrePan in the middle
};

// ---- Globals ----------------------------------------------------------------

extern bool soundOpen;                                // the device is open and the sounds loaded
extern bool gameSoundsPaused;                         // the world's channels are paused
extern int32_t channelSound[kGameChannels];           // sound on each world channel, kNoSound when free
extern uint32_t channelStart[kGameChannels];          // start order of each world channel's sound
extern uint32_t soundStarts;                          // world sounds started so far
extern uint32_t soundRandomState;                     // the sound layer's own generator, never 0
extern int32_t menuHotSeen;                           // menu entry hot in the last menu pass
extern SoundCue stepCues[kMaxCuesPerStep];            // the cues of the last step's events

// ---- Rules (no device needed) ------------------------------------------------

float volumeShareFor(float setting);
int soundForEvent(int kind);
int soundPriority(int sound);
SoundPlace placeSound(float x, float y, const SoundView& view);
int panStepFor(float pan);
int cueVolume(float gain, float share);
int planEventSounds(const GameEvent* events, int count, const SoundView& view, float share, SoundCue* cues);
int chooseChannel(const int32_t* sounds, const uint32_t* starts, int sound);
int crowdVolume(int volume, const int32_t* sounds);
uint32_t nextSoundRandom(uint32_t& state);
bool planGroan(const SoundView& view, float speedFactor, float share, uint32_t& state, SoundCue& cue);
int menuSoundFor(int previousHot, int hot, int entries, bool chosen);
void panGains(int panStep, float& left, float& right);

// ---- Playing -------------------------------------------------------------------

void openSound();
void closeSound();
void playStepSounds(float speedFactor);
void playInterfaceSound(int sound);
void pauseGameSounds(bool paused);
void playMenuSounds(int hot, int entries, bool chosen);
