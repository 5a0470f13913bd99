// The sound layer's rules: which event plays which sound, how loud and how
// far aside it is heard, the caps that keep a crowd from saturating the mix,
// the zombies' groans and the menu's clicks. Plain functions over plain
// values, so they run without an audio device.
#include <cmath>

#include "app/sound.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const float kFullShare = 1.0f;
static const float kPerCent = 0.01f;
static const float kMostPerCent = 100.0f;
static const float kInaudible = 0.5f;          // cues below half a volume step are not started

// The sound of each event kind, by kEventShot .. kEventBlastKill. A hit and a
// blast's kill are already heard as the shot, the blast and the dying zombie.
static const int kEventSounds[kEventKinds] = {kSoundShot,         kSoundThrow,           kSoundExplosion,
                                              kSoundPlayerBitten, kSoundZombieKilled,    kSoundCivilianBitten,
                                              kSoundCivilianKilled, kSoundPlayerDied,    kNoSound,
                                              kNoSound};

// Which sound wins a channel when all are busy: higher takes a lower one's.
static const int kPriorities[kSoundCount] = {1, 2, 5, 4, 3, 2, 3, 5, 0, 0, 0, 6, 6, 6, 6, 6};

// ---- Functions --------------------------------------------------------------

// The "volume" setting as a share of full: 1..100 per cent; 0, a missing
// key, anything out of range or not a number means full.
float volumeShareFor(float setting)
{
    if (!(setting > 0.0f && setting <= kMostPerCent))
        return kFullShare;
    return setting * kPerCent;
}

// The sound an event kind plays, kNoSound for kinds that have none.
int soundForEvent(int kind)
{
    if (kind < 0 || kind >= kEventKinds)
        return kNoSound;
    return kEventSounds[kind];
}

// How much a sound matters when channels run short.
int soundPriority(int sound)
{
    if (sound < 0 || sound >= kSoundCount)
        return -1;
    return kPriorities[sound];
}

// Keeps v within -1..1; a value that is not a number is the middle, 0.
static float clampUnit(float v)
{
    if (v > 1.0f)
        return 1.0f;
    if (v >= -1.0f)
        return v;
    return v < -1.0f ? -1.0f : 0.0f;
}

// A sound at (x, y) heard from the view: full inside it, fading out over
// kSilentBeyond half views past its edges, panned by its place across it. A
// point that is not a number is silent; a view of no size hears all centred.
SoundPlace placeSound(float x, float y, const SoundView& view)
{
    if (!(x == x && y == y))
        return SoundPlace{0.0f, 0.0f};
    float halfHeight = view.zoom * 0.5f;
    float halfWidth = halfHeight * view.aspect;
    if (!(halfHeight > 0.0f && halfWidth > 0.0f))
        return SoundPlace{kFullShare, 0.0f};
    float across = (x - view.x) / halfWidth;
    float along = (y - view.y) / halfHeight;
    float beyond = fmaxf(fabsf(across), fabsf(along)) - 1.0f;
    float gain = beyond > 0.0f ? 1.0f - beyond / kSilentBeyond : kFullShare;
    if (!(gain > 0.0f))
        return SoundPlace{0.0f, 0.0f};
    return SoundPlace{gain, clampUnit(across)};
}

// The nearest of the kPanSteps pans to a pan of -1..1.
int panStepFor(float pan)
{
    float step = (clampUnit(pan) + 1.0f) * 0.5f * (float)(kPanSteps - 1);
    return (int)lroundf(step);
}

// The left and right gains of a pan step: the near ear keeps full level and
// the far one falls to a quarter at the hardest pan.
void panGains(int panStep, float& left, float& right)
{
    float pan = ((float)panStep / (float)(kPanSteps - 1) * 2.0f - 1.0f) * kHardestPan;
    left = pan > 0.0f ? 1.0f - pan : 1.0f;
    right = pan < 0.0f ? 1.0f + pan : 1.0f;
}

// The channel volume, 0..128, of a sound heard at a gain with the player's
// volume share; 0 means not worth starting.
int cueVolume(float gain, float share)
{
    float v = gain * share * (float)kFullVolume;
    if (!(v >= kInaudible))
        return 0;
    return v > (float)kFullVolume ? kFullVolume : (int)lroundf(v);
}

// Index of the cue to give up for a new one: among the cues of the given
// sound (any sound when sound is kNoSound), the weakest by priority, then
// volume; -1 when there are none.
static int weakestCue(const SoundCue* cues, int count, int sound)
{
    int weakest = -1;
    for (int i = 0; i < count; i++) {
        if (sound != kNoSound && cues[i].sound != sound)
            continue;
        if (weakest < 0 || soundPriority(cues[i].sound) < soundPriority(cues[weakest].sound) ||
            (soundPriority(cues[i].sound) == soundPriority(cues[weakest].sound) &&
             cues[i].volume < cues[weakest].volume))
            weakest = i;
    }
    return weakest;
}

// True when cue a should be heard rather than cue b.
static bool outranks(const SoundCue& a, const SoundCue& b)
{
    int pa = soundPriority(a.sound), pb = soundPriority(b.sound);
    return pa > pb || (pa == pb && a.volume > b.volume);
}

// Adds a cue within the caps: at most kMaxSameSoundPerStep of one sound and
// kMaxCuesPerStep in all; when a cap is reached the new cue replaces the
// weakest it outranks, or is dropped. Returns the new count.
static int addCue(SoundCue* cues, int count, const SoundCue& cue)
{
    int same = 0;
    for (int i = 0; i < count; i++)
        same += cues[i].sound == cue.sound;
    int replace = -1;
    if (same >= kMaxSameSoundPerStep)
        replace = weakestCue(cues, count, cue.sound);
    else if (count >= kMaxCuesPerStep)
        replace = weakestCue(cues, count, kNoSound);
    if (replace < 0) {
        cues[count] = cue;
        return count + 1;
    }
    if (outranks(cue, cues[replace]))
        cues[replace] = cue;
    return count;
}

// The sounds (at most kMaxCuesPerStep, into cues) one step's events start,
// placed where they happened, at the world's level and the player's share;
// the inaudible are left out, the caps keep the nearest and most important.
int planEventSounds(const GameEvent* events, int count, const SoundView& view, float share, SoundCue* cues)
{
    int n = 0;
    for (int e = 0; e < count; e++) {
        int sound = soundForEvent(events[e].kind);
        if (sound == kNoSound)
            continue;
        SoundPlace place = placeSound(events[e].x, events[e].y, view);
        int volume = cueVolume(place.gain * kWorldLevel, share);
        if (volume > 0)
            n = addCue(cues, n, SoundCue{sound, volume, panStepFor(place.pan)});
    }
    return n;
}

// The world channel for a new sound: a free one, else the one playing the
// least important sound below or equal to it, the oldest among equals;
// -1 when every channel plays something that matters more.
int chooseChannel(const int32_t* sounds, const uint32_t* starts, int sound)
{
    int chosen = -1;
    for (int c = 0; c < kGameChannels; c++) {
        if (sounds[c] == kNoSound)
            return c;
        if (soundPriority(sounds[c]) > soundPriority(sound))
            continue;
        if (chosen < 0 || soundPriority(sounds[c]) < soundPriority(sounds[chosen]) ||
            (soundPriority(sounds[c]) == soundPriority(sounds[chosen]) &&
             (int32_t)(starts[c] - starts[chosen]) < 0))
            chosen = c;
    }
    return chosen;
}

// The volume a new world sound starts at among those already playing: as it
// is up to kCrowdFree of them, then softer, so that the crowd's summed power
// stays that of kCrowdFree and the mix does not clip. Never below 1.
int crowdVolume(int volume, const int32_t* sounds)
{
    int playing = 0;
    for (int c = 0; c < kGameChannels; c++)
        playing += sounds[c] != kNoSound;
    if (playing <= kCrowdFree)
        return volume;
    int softer = (int)lroundf((float)volume * sqrtf((float)kCrowdFree / (float)playing));
    return softer > 1 ? softer : 1;
}

// The sound layer's own generator (xorshift), apart from the game's: a
// groan must never use up a draw a recording depends on.
uint32_t nextSoundRandom(uint32_t& state)
{
    if (state == 0)
        state = 1;
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// A uniform draw in 0..1 from the sound generator.
static float soundUnit(uint32_t& state)
{
    return (float)(nextSoundRandom(state) >> 8) * (1.0f / 16777216.0f);
}

// Now and then a groan from one of the zombies that can be heard: likelier the
// more there are (up to kGroanCrowd), never with none. True when cue holds one.
bool planGroan(const SoundView& view, float speedFactor, float share, uint32_t& state, SoundCue& cue)
{
    int heard = 0;
    for (int i = 0; i < actorCount; i++)
        heard += actors[i].type == kActorZombie && placeSound(actors[i].x, actors[i].y, view).gain > 0.0f;
    if (heard == 0)
        return false;
    float chance = (float)(heard < kGroanCrowd ? heard : kGroanCrowd) * kGroanChance * speedFactor;
    if (!(soundUnit(state) < chance))
        return false;
    int pick = (int)(nextSoundRandom(state) % (uint32_t)heard);
    for (int i = 0; i < actorCount; i++) {
        if (actors[i].type != kActorZombie)
            continue;
        SoundPlace place = placeSound(actors[i].x, actors[i].y, view);
        if (!(place.gain > 0.0f) || pick-- > 0)
            continue;
        int variant = (int)(nextSoundRandom(state) % (uint32_t)kGroanVariants);
        cue = SoundCue{kSoundGroan + variant, cueVolume(place.gain * kWorldLevel, share), panStepFor(place.pan)};
        return cue.volume > 0;
    }
    return false;
}

// The menu's sound for one pass: a click when an entry was chosen, a tick
// when the pointer moved onto another entry; nothing on the first pass, or
// when the pointer lies off the entries.
int menuSoundFor(int previousHot, int hot, int entries, bool chosen)
{
    if (chosen)
        return kSoundMenuClick;
    if (previousHot == kNoMenuEntry || hot == previousHot || hot < 0 || hot >= entries)
        return kNoSound;
    return kSoundMenuHover;
}
