// The audio device: SDL_mixer's output, its channels, and the sounds loaded
// into it by number, each with copies panned to fixed places. What to play,
// where and how loud is decided above; this only plays it. Without a device
// every call here does nothing.
#pragma once

#include <cstdint>

const int kAudioSounds = 32;         // sound numbers the device holds, 0..31
const int kAudioPans = 8;            // panned copies a sound may have
const int kAudioCentred = -1;        // the pan that plays a sound as it was loaded

bool openAudio(int sampleRate, int outputChannels, int chunkFrames, int mixChannels, int reservedChannels);
void closeAudio();
bool loadAudioSound(int sound, const char* path);
void panAudioSound(int sound, int pans, int centrePan, const float* leftGains, const float* rightGains);
bool audioSoundReady(int sound, int pan);
bool playAudioSound(int channel, int sound, int pan, int volume);
bool audioChannelPlaying(int channel);
void pauseAudioChannel(int channel, bool paused);
bool audioChannelPaused(int channel);
