// The sound layer: the events the step leaves, the rules that turn them into
// sounds (placement, volume, caps, groans, the menu's clicks, the settings),
// and playing through SDL's dummy audio driver with broken or missing files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/settings.h"
#include "app/sound.h"
#include "sim/events.h"
#include "sim/step.h"
#include "tests/scratchdir.h"
#include "tests/testworld.h"

namespace {

const SoundView kView = {128, 128, 7.5f, 4.0f / 3.0f};   // full-health view: 10 x 7.5 cells
const float kHalfWidth = 5.0f;
const float kHalfHeight = 3.75f;

GameEvent event(int kind, float x, float y) { return GameEvent{kind, x, y}; }

// How many of the cues play the sound.
int cuesOf(const SoundCue* cues, int n, int sound)
{
    int k = 0;
    for (int i = 0; i < n; i++)
        k += cues[i].sound == sound;
    return k;
}

// Groans planned in a number of steps at speed 1 from a fixed generator state.
int groansIn(int steps)
{
    uint32_t state = 12345;
    int groans = 0;
    for (int s = 0; s < steps; s++) {
        SoundCue cue;
        groans += planGroan(kView, 1.0f, 1.0f, state, cue);
    }
    return groans;
}

// A step that reads no controls, in an 800 x 600 window.
void idleInput()
{
    screenWidth = 800, screenHeight = 600, aspectRatio = 800.0f / 600.0f;
    cameraZoom = 7.5f;
    stepInput = StepInput{0, 0, 400, 300, false, false, false, false, 1.0f};
}

// The open world with a player at the camera and n zombies around it, all
// inside the view.
void zombiesAround(int n)
{
    openWorldWith({{kActorPlayer, 128, 128}});
    for (int i = 0; i < n; i++)
        addActor(kActorZombie, 126.0f + (float)(i % 5), 127.0f + (float)(i / 5) * 0.5f, 0, 0, 0);
}

}  // namespace

// ---- Events of the step ------------------------------------------------------

TEST(SoundEvents, AStepLeavesItsShotAtThePlayerAndTheNextStepStartsAfresh)
{
    openWorldWith({{kActorPlayer, 128, 128}});
    idleInput();
    fireCooldown[0] = -1;
    stepInput.gun = true;
    stepGame(1.0f);
    ASSERT_EQ(gameEventCount, 1);
    EXPECT_EQ(gameEvents[0].kind, kEventShot);
    EXPECT_EQ(gameEvents[0].x, 128.0f);
    EXPECT_EQ(gameEvents[0].y, 128.0f);
    stepInput.gun = false;
    stepGame(1.0f);
    EXPECT_EQ(gameEventCount, 0) << "the cooldown holds fire and last step's shot is gone";
}

TEST(SoundEvents, ADyingZombieACivilianRisingAndABlastAreEachHeardWhereTheyHappen)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 131, 128}, {kActorCivilian, 128, 131}});
    actors[1].health = 0;
    actors[2].health = -1;
    projectiles[projectileCount++] = Projectile{0, 126, 126, 0, 0, 0, 0};
    idleInput();
    stepGame(1.0f);
    ASSERT_EQ(gameEventCount, 3);
    EXPECT_EQ(gameEvents[0].kind, kEventExplosion);
    EXPECT_EQ(gameEvents[0].x, 126.0f);
    EXPECT_EQ(gameEvents[1].kind, kEventZombieKilled);
    EXPECT_EQ(gameEvents[1].x, 131.0f);
    EXPECT_EQ(gameEvents[2].kind, kEventCivilianKilled);
    EXPECT_EQ(gameEvents[2].y, 131.0f);
    EXPECT_EQ(killCount, 1);
}

TEST(SoundEvents, ABiteIsHeardWhenItDrawsBloodAndADeathWhenHealthRunsOut)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128.3f, 128}});
    actors[0].bleedTimer = -1;
    actors[0].health = 0.2f;
    idleInput();
    stepGame(1.0f);
    int bitten = 0, died = 0;
    for (int s = 0; s < 3; s++) {
        for (int e = 0; e < gameEventCount; e++) {
            bitten += gameEvents[e].kind == kEventPlayerBitten;
            died += gameEvents[e].kind == kEventPlayerDied;
        }
        stepGame(1.0f);
    }
    EXPECT_EQ(bitten, 1) << "the bleed pause keeps later bites of the same wound quiet";
    EXPECT_GE(died, 1);
}

// ---- Which event plays what --------------------------------------------------

TEST(SoundRules, EveryEventKindHasItsOwnSoundAndOtherKindsNone)
{
    EXPECT_EQ(soundForEvent(kEventShot), kSoundShot);
    EXPECT_EQ(soundForEvent(kEventThrow), kSoundThrow);
    EXPECT_EQ(soundForEvent(kEventExplosion), kSoundExplosion);
    EXPECT_EQ(soundForEvent(kEventPlayerBitten), kSoundPlayerBitten);
    EXPECT_EQ(soundForEvent(kEventZombieKilled), kSoundZombieKilled);
    EXPECT_EQ(soundForEvent(kEventCivilianBitten), kSoundCivilianBitten);
    EXPECT_EQ(soundForEvent(kEventCivilianKilled), kSoundCivilianKilled);
    EXPECT_EQ(soundForEvent(kEventPlayerDied), kSoundPlayerDied);
    EXPECT_EQ(soundForEvent(kEventKinds), kNoSound);
    EXPECT_EQ(soundForEvent(-1), kNoSound);
}

// ---- Placement ---------------------------------------------------------------

TEST(SoundPlacement, InsideTheViewSoundsAreFullAndPannedByTheirPlaceAcrossIt)
{
    SoundPlace middle = placeSound(128, 128, kView);
    EXPECT_EQ(middle.gain, 1.0f);
    EXPECT_EQ(middle.pan, 0.0f);
    SoundPlace right = placeSound(128 + kHalfWidth, 128 + kHalfHeight, kView);
    EXPECT_EQ(right.gain, 1.0f);
    EXPECT_EQ(right.pan, 1.0f);
    SoundPlace halfLeft = placeSound(128 - kHalfWidth / 2, 128, kView);
    EXPECT_FLOAT_EQ(halfLeft.pan, -0.5f);
    SoundPlace wideButInside = placeSound(128 + kHalfHeight * 1.2f, 128, kView);
    EXPECT_EQ(wideButInside.gain, 1.0f) << "the view is wider than tall";
}

TEST(SoundPlacement, BeyondTheViewSoundsFadeOutAndStayAtTheEdgeOfThePan)
{
    SoundPlace oneHalfViewOut = placeSound(128 - 2 * kHalfWidth, 128, kView);
    EXPECT_FLOAT_EQ(oneHalfViewOut.gain, 0.5f);
    EXPECT_EQ(oneHalfViewOut.pan, -1.0f);
    SoundPlace below = placeSound(128, 128 + 2 * kHalfHeight, kView);
    EXPECT_FLOAT_EQ(below.gain, 0.5f);
    EXPECT_EQ(below.pan, 0.0f);
    EXPECT_EQ(placeSound(128 + 3 * kHalfWidth, 128, kView).gain, 0.0f);
    EXPECT_EQ(placeSound(128, 128 + 10 * kHalfHeight, kView).gain, 0.0f);
    float nearer = placeSound(128 + 1.5f * kHalfWidth, 128, kView).gain;
    float farther = placeSound(128 + 2.5f * kHalfWidth, 128, kView).gain;
    EXPECT_GT(nearer, farther);
    EXPECT_GT(farther, 0.0f);
}

TEST(SoundPlacement, APointThatIsNotANumberIsSilentAndAViewOfNoSizeHearsAllInTheMiddle)
{
    EXPECT_EQ(placeSound(NAN, 128, kView).gain, 0.0f);
    SoundView lost = {NAN, 128, 7.5f, 4.0f / 3.0f};
    EXPECT_EQ(panStepFor(placeSound(128, 128, lost).pan), kCentrePan);
    SoundView none = {128, 128, 0, 4.0f / 3.0f};
    SoundPlace p = placeSound(140, 128, none);
    EXPECT_EQ(p.gain, 1.0f);
    EXPECT_EQ(p.pan, 0.0f);
}

TEST(SoundPlacement, PansFallOnFiveStepsAndTheFarEarKeepsAQuarterAtTheEdge)
{
    EXPECT_EQ(panStepFor(-1.0f), 0);
    EXPECT_EQ(panStepFor(-0.5f), 1);
    EXPECT_EQ(panStepFor(0.0f), kCentrePan);
    EXPECT_EQ(panStepFor(0.6f), 3);
    EXPECT_EQ(panStepFor(5.0f), 4);
    EXPECT_EQ(panStepFor(NAN), kCentrePan);
    float left, right;
    panGains(kCentrePan, left, right);
    EXPECT_EQ(left, 1.0f);
    EXPECT_EQ(right, 1.0f);
    panGains(0, left, right);
    EXPECT_EQ(left, 1.0f);
    EXPECT_FLOAT_EQ(right, 0.25f);
    panGains(4, left, right);
    EXPECT_FLOAT_EQ(left, 0.25f);
    EXPECT_EQ(right, 1.0f);
}

// ---- Volume and the settings -------------------------------------------------

TEST(SoundVolume, TheVolumeSettingIsAPerCentAndZeroMissingOrNonsenseMeansFull)
{
    EXPECT_EQ(volumeShareFor(0), 1.0f);
    EXPECT_EQ(volumeShareFor(100), 1.0f);
    EXPECT_FLOAT_EQ(volumeShareFor(20), 0.2f);
    EXPECT_FLOAT_EQ(volumeShareFor(1), 0.01f);
    EXPECT_EQ(volumeShareFor(250), 1.0f);
    EXPECT_EQ(volumeShareFor(-20), 1.0f);
    EXPECT_EQ(volumeShareFor(NAN), 1.0f);
}

TEST(SoundVolume, ChannelVolumesScaleWithGainAndShareAndWhatCannotBeHeardIsNotStarted)
{
    EXPECT_EQ(cueVolume(1.0f, 1.0f), kFullVolume);
    EXPECT_EQ(cueVolume(1.0f, 0.2f), 26);
    EXPECT_EQ(cueVolume(0.5f, 0.5f), 32);
    EXPECT_EQ(cueVolume(0.0f, 1.0f), 0);
    EXPECT_EQ(cueVolume(0.001f, 1.0f), 0);
    EXPECT_EQ(cueVolume(NAN, 1.0f), 0);
}

TEST(SoundVolume, SettingsReadVolumeAndMuteAndOlderFilesWithoutThemPlayAtFull)
{
    ScratchDir scratch;
    enterScratchDir(scratch, "soundsettings");
    std::ofstream("settings.ini") << "screenw=640\nvolume = 35\nmute=1\n";
    readSettings();
    EXPECT_EQ(soundVolume, 35.0f);
    EXPECT_TRUE(soundMuted);
    EXPECT_EQ(screenWidth, 640.0f);
    std::ofstream("settings.ini") << "screenw=640\nmute=0\n";
    readSettings();
    EXPECT_EQ(volumeShareFor(soundVolume), 1.0f);
    EXPECT_FALSE(soundMuted);
    std::ofstream("settings.ini") << "screenw=1024\nmute=2\nvolume=50\n";
    screenWidth = 7;
    readSoundSettings();
    EXPECT_TRUE(soundMuted);
    EXPECT_EQ(soundVolume, 50.0f);
    EXPECT_EQ(screenWidth, 7.0f) << "the sound keys alone leave the window as it is";
    leaveScratchDir(scratch);
}

// ---- One step's sounds and their caps -----------------------------------------

TEST(SoundPlan, EachEventIsPlacedAndScaledByTheVolumeShare)
{
    GameEvent events[] = {event(kEventShot, 128 - kHalfWidth, 128), event(kEventThrow, 128, 128)};
    SoundCue cues[kMaxCuesPerStep];
    ASSERT_EQ(planEventSounds(events, 2, kView, 0.5f, cues), 2);
    EXPECT_EQ(cues[0].sound, kSoundShot);
    EXPECT_EQ(cues[0].pan, 0);
    EXPECT_EQ(cues[0].volume, cueVolume(kWorldLevel, 0.5f));
    EXPECT_EQ(cues[1].volume, cueVolume(kWorldLevel, 0.5f));
    EXPECT_EQ(cues[1].sound, kSoundThrow);
    EXPECT_EQ(cues[1].pan, kCentrePan);
}

TEST(SoundPlan, EventsTooFarToHearStartNothing)
{
    GameEvent events[] = {event(kEventExplosion, 128 + 4 * kHalfWidth, 128), event(kEventShot, NAN, 128)};
    SoundCue cues[kMaxCuesPerStep];
    EXPECT_EQ(planEventSounds(events, 2, kView, 1.0f, cues), 0);
}

TEST(SoundPlan, ACrowdOfOneSoundIsHeardThreeTimesByItsNearestMembers)
{
    GameEvent events[8];
    for (int i = 0; i < 8; i++)   // ever nearer: the last ones are the loudest
        events[i] = event(kEventZombieKilled, 128 + (float)(7 - i) * kHalfWidth * 0.35f + kHalfWidth, 128);
    SoundCue cues[kMaxCuesPerStep];
    int n = planEventSounds(events, 8, kView, 1.0f, cues);
    ASSERT_EQ(n, kMaxSameSoundPerStep);
    int quietest = kFullVolume;
    for (int i = 0; i < n; i++)
        quietest = cues[i].volume < quietest ? cues[i].volume : quietest;
    SoundPlace fourthNearest = placeSound(events[4].x, events[4].y, kView);
    EXPECT_GT(quietest, cueVolume(fourthNearest.gain * kWorldLevel, 1.0f));
}

TEST(SoundPlan, NoMoreThanEightStartInAStepAndABlastOrADeathOutranksTheShots)
{
    GameEvent events[12];
    int k = 0;
    for (int kind : {kEventShot, kEventThrow, kEventZombieKilled, kEventCivilianBitten, kEventCivilianKilled})
        for (int i = 0; i < 2; i++)
            events[k++] = event(kind, 128, 128);
    events[k++] = event(kEventExplosion, 128 + 2 * kHalfWidth, 128);
    events[k++] = event(kEventPlayerDied, 128, 128);
    SoundCue cues[kMaxCuesPerStep];
    int n = planEventSounds(events, k, kView, 1.0f, cues);
    ASSERT_EQ(n, kMaxCuesPerStep);
    EXPECT_EQ(cuesOf(cues, n, kSoundExplosion), 1) << "quieter, but it matters more than a shot";
    EXPECT_EQ(cuesOf(cues, n, kSoundPlayerDied), 1);
    EXPECT_EQ(cuesOf(cues, n, kSoundShot), 0);
}

// ---- Channels -------------------------------------------------------------------

TEST(SoundChannels, AFreeChannelIsTakenFirst)
{
    int32_t sounds[kGameChannels];
    uint32_t starts[kGameChannels] = {};
    for (int c = 0; c < kGameChannels; c++)
        sounds[c] = kSoundExplosion;
    sounds[6] = kNoSound;
    EXPECT_EQ(chooseChannel(sounds, starts, kSoundShot), 6);
}

TEST(SoundChannels, WhenAllPlayTheOldestOfTheLeastImportantGivesWayOrNoneDoes)
{
    int32_t sounds[kGameChannels];
    uint32_t starts[kGameChannels];
    for (int c = 0; c < kGameChannels; c++) {
        sounds[c] = c < 5 ? kSoundShot : kSoundGroan;
        starts[c] = 100u + (uint32_t)c;
    }
    starts[8] = 0xfffffff0u;   // started just before the counter wrapped: the oldest
    EXPECT_EQ(chooseChannel(sounds, starts, kSoundExplosion), 8);
    EXPECT_EQ(chooseChannel(sounds, starts, kSoundGroan + 1), 8);
    for (int c = 0; c < kGameChannels; c++)
        sounds[c] = kSoundExplosion;
    EXPECT_EQ(chooseChannel(sounds, starts, kSoundShot), -1);
    EXPECT_EQ(chooseChannel(sounds, starts, kSoundPlayerDied), 8);
}

TEST(SoundChannels, ACrowdOfSoundsPlayingStartsTheNextOnesSofterButNeverSilent)
{
    int32_t sounds[kGameChannels];
    for (int c = 0; c < kGameChannels; c++)
        sounds[c] = c < kCrowdFree ? kSoundShot : kNoSound;
    EXPECT_EQ(crowdVolume(100, sounds), 100);
    sounds[kCrowdFree] = kSoundGroan;
    int four = crowdVolume(100, sounds);
    EXPECT_LT(four, 100);
    for (int c = 0; c < kGameChannels; c++)
        sounds[c] = kSoundShot;
    int all = crowdVolume(100, sounds);
    EXPECT_LT(all, four);
    EXPECT_GT(all, 40) << "a full mix still hears the new sound";
    EXPECT_EQ(crowdVolume(1, sounds), 1);
}

// ---- Groans ---------------------------------------------------------------------

TEST(SoundGroans, NoZombiesNoGroansAndACrowdGroansMoreOftenThanOne)
{
    zombiesAround(0);
    EXPECT_EQ(groansIn(5000), 0);
    zombiesAround(1);
    int lone = groansIn(20000);
    zombiesAround(12);
    int crowd = groansIn(20000);
    EXPECT_GT(lone, 5);
    EXPECT_GT(crowd, lone * 6);
    EXPECT_LT(crowd, 20000 / 20) << "even a crowd groans now and then, not every step";
}

TEST(SoundGroans, ZombiesTooFarToHearNeverGroanAndAGroanComesFromAZombieInReach)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128 + 4 * kHalfWidth, 128},
                   {kActorZombie, 131, 128}});
    uint32_t state = 99;
    int groans = 0;
    for (int s = 0; s < 20000; s++) {
        SoundCue cue;
        if (!planGroan(kView, 1.0f, 1.0f, state, cue))
            continue;
        groans++;
        EXPECT_GE(cue.sound, kSoundGroan);
        EXPECT_LT(cue.sound, kSoundGroan + kGroanVariants);
        EXPECT_EQ(cue.pan, 3) << "from the zombie a cell right of the middle";
    }
    EXPECT_GT(groans, 0);
}

TEST(SoundGroans, GroansNeverDrawFromTheGamesGenerator)
{
    zombiesAround(12);
    srand(7);
    int first = rand();
    srand(7);
    uint64_t draws = randomDraws;
    groansIn(1000);
    EXPECT_EQ(randomDraws, draws);
    EXPECT_EQ(rand(), first);
}

// ---- The menu ---------------------------------------------------------------------

TEST(SoundMenu, MovingOntoAnEntryTicksAndChoosingClicks)
{
    EXPECT_EQ(menuSoundFor(0, 1, 2, false), kSoundMenuHover);
    EXPECT_EQ(menuSoundFor(-6, 0, 2, false), kSoundMenuHover);
    EXPECT_EQ(menuSoundFor(1, 1, 2, false), kNoSound);
    EXPECT_EQ(menuSoundFor(1, 1, 2, true), kSoundMenuClick);
}

TEST(SoundMenu, TheFirstPassAndThePointerOffTheEntriesAreSilent)
{
    EXPECT_EQ(menuSoundFor(kNoMenuEntry, 0, 2, false), kNoSound);
    EXPECT_EQ(menuSoundFor(0, 2, 2, false), kNoSound);
    EXPECT_EQ(menuSoundFor(0, -1, 2, false), kNoSound);
    EXPECT_EQ(menuSoundFor(1, 3, 4, false), kSoundMenuHover);
}

// ---- Playing through a device ------------------------------------------------------

TEST(SoundPlaying, MutedTheDeviceIsNeverOpenedAndEveryCallDoesNothing)
{
    soundMuted = true;
    openSound();
    EXPECT_FALSE(soundOpen);
    clearGameEvents();
    addGameEvent(kEventShot, 128, 128);
    playStepSounds(1.0f);
    playInterfaceSound(kSoundMenuClick);
    pauseGameSounds(true);
    pauseGameSounds(false);
    for (int c = 0; c < kGameChannels; c++)
        EXPECT_EQ(channelSound[c], kNoSound);
    soundMuted = false;
}

TEST(SoundPlaying, ADamagedOrMissingFileSilencesOnlyItsOwnSound)
{
    ScratchDir scratch;
    enterScratchDir(scratch, "soundplay");
    mkdir("Media", 0755);
    std::ifstream shot(VG_BUILD_DIR "/Media/shot.wav", std::ios::binary);
    std::ofstream("Media/shot.wav", std::ios::binary) << shot.rdbuf();
    std::ofstream("Media/explosion.wav", std::ios::binary) << std::string("RIFF\x10\0\0\0WAVEfmt garbage", 23);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    soundMuted = false;
    soundVolume = 0;
    openSound();
    ASSERT_TRUE(soundOpen) << "SDL's dummy audio driver should open";
    openWorldWith({{kActorPlayer, 128, 128}});
    cameraX = cameraY = 128, cameraZoom = 7.5f, aspectRatio = 4.0f / 3.0f;
    clearGameEvents();
    addGameEvent(kEventExplosion, 128, 128);
    addGameEvent(kEventShot, 127, 128);
    playStepSounds(1.0f);
    int shots = 0, blasts = 0;
    for (int c = 0; c < kGameChannels; c++) {
        shots += channelSound[c] == kSoundShot;
        blasts += channelSound[c] == kSoundExplosion;
    }
    EXPECT_EQ(shots, 1);
    EXPECT_EQ(blasts, 0);
    pauseGameSounds(true);
    EXPECT_TRUE(gameSoundsPaused);
    playStepSounds(1.0f);
    EXPECT_EQ(soundStarts, 1u) << "nothing starts while the game is paused";
    pauseGameSounds(false);
    closeSound();
    EXPECT_FALSE(soundOpen);
    remove("Media/shot.wav");
    remove("Media/explosion.wav");
    rmdir("Media");
    leaveScratchDir(scratch);
}
