// The sound layer: the events the step leaves, the rules that turn them into
// sounds (which sound, placement, volume, caps, groans, the menu's clicks), and
// playing through SDL's dummy driver: muted, paused, softer, with a bad file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <string>

#include "app/sound.h"
#include "platform/audio.h"
#include "platform/settings.h"
#include "sim/step.h"
#include "tests/scratchdir.h"
#include "tests/testworld.h"

namespace {

const SoundView kView = {128, 128, 7.5f, 4.0f / 3.0f};   // a view 10 x 7.5 cells
const float kHalfWidth = 5.0f;
const float kHalfHeight = 3.75f;

// Writes a 16-bit mono PCM sound of `seconds` of silence: long enough that
// it still plays when a test looks at its channel, however slow the machine.
void writeSilence(const char* path, int seconds)
{
    const uint32_t rate = 44100, bytes = rate * 2 * (uint32_t)seconds;
    std::ofstream out(path, std::ios::binary);
    auto put = [&out](uint32_t value, int size) {
        for (int i = 0; i < size; i++)
            out.put((char)((value >> (8 * i)) & 0xFF));
    };
    out << "RIFF";
    put(36 + bytes, 4);
    out << "WAVEfmt ";
    put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
    out << "data";
    put(bytes, 4);
    out << std::string(bytes, '\0');
}

// How many of the cues play the sound.
int cuesOf(const SoundCue* cues, int n, int sound)
{
    int k = 0;
    for (int i = 0; i < n; i++)
        k += cues[i].sound == sound;
    return k;
}

// How many events of a kind the last step left at (x, y).
int eventsAt(int kind, float x, float y)
{
    int k = 0;
    for (int e = 0; e < gameEventCount; e++)
        k += gameEvents[e].kind == kind && gameEvents[e].x == x && gameEvents[e].y == y;
    return k;
}

// Groans planned in a number of steps at speed 1 from a fixed generator state.
int groansIn(int steps)
{
    uint32_t state = 12345;
    int groans = 0;
    SoundCue cue;
    for (int s = 0; s < steps; s++)
        groans += planGroan(kView, 1.0f, 1.0f, state, cue);
    return groans;
}

// A player at the camera and n zombies near it, to be stepped with no controls.
void zombiesAround(int n)
{
    openWorldWith({{kActorPlayer, 128, 128}});
    for (int i = 0; i < n; i++)
        addActor(kActorZombie, 126.0f + (float)(i % 5), 127.0f + (float)(i / 5) * 0.5f, 0, 0, 0);
    cameraZoom = 7.5f;
    stepInput = StepInput{0, 0, 400, 300, false, false, false, false, 1.0f, 800, 600, 800.0f / 600.0f};
}

}  // namespace

TEST(SoundEvents, EachThingThatHappensInAStepIsLeftWhereItHappenedAndOnlyForThatStep)
{
    zombiesAround(0);
    addActor(kActorZombie, 131, 128, 0, 0, 0);
    addActor(kActorCivilian, 128, 131, 0, 0, 0);
    actors[1].health = 0;
    actors[2].health = -1;
    projectiles[projectileCount++] = Projectile{0, 126, 126, 0, 0, 0, 0};
    fireCooldown[0] = -1;
    stepInput.gun = true;
    stepGame(1.0f);
    EXPECT_EQ(gameEventCount, 5) << "the shot also struck the zombie";
    EXPECT_EQ(gameEvents[1].kind, kEventShotHit);
    EXPECT_EQ(eventsAt(kEventShot, 128, 128), 1);
    EXPECT_EQ(eventsAt(kEventExplosion, 126, 126), 1);
    EXPECT_EQ(eventsAt(kEventZombieKilled, 131, 128), 1);
    EXPECT_EQ(eventsAt(kEventCivilianKilled, 128, 131), 1);
    stepInput.gun = false;
    stepGame(1.0f);
    EXPECT_EQ(gameEventCount, 0);
}

TEST(SoundRules, SoundsAreFullInsideTheViewFadeBeyondItAndPanByTheirPlaceAcrossIt)
{
    struct Case {
        float dx, dy, gain, pan;
    } cases[] = {
        {0, 0, 1, 0},                                   // the middle
        {kHalfWidth, kHalfHeight, 1, 1},                // a corner on the right
        {-kHalfWidth / 2, 0, 1, -0.5f},                 // half way to the left edge
        {kHalfHeight * 1.2f, 0, 1, 0.9f},               // wider than tall, still inside
        {-2 * kHalfWidth, 0, 0.5f, -1},                 // a half view out: half gain, hard left
        {0, 2 * kHalfHeight, 0.5f, 0},                  // a half view below
        {0, -2.5f * kHalfHeight, 0.25f, 0},             // above, further out
        {3 * kHalfWidth, 0, 0, 0},                      // two half views out: silent
    };
    for (const Case& c : cases) {
        SoundPlace p = placeSound(128 + c.dx, 128 + c.dy, kView);
        EXPECT_NEAR(p.gain, c.gain, 1e-5) << c.dx << "," << c.dy;
        EXPECT_NEAR(p.pan, c.pan, 1e-5) << c.dx << "," << c.dy;
    }
    EXPECT_EQ(placeSound(NAN, 128, kView).gain, 0.0f);
}

TEST(SoundRules, PansFallOnFiveStepsAndTheFarEarKeepsAQuarterAtTheEdge)
{
    const float pans[] = {-1.0f, -0.5f, 0.0f, 0.6f, 5.0f, NAN};
    const int steps[] = {0, 1, kCentrePan, 3, 4, kCentrePan};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(panStepFor(pans[i]), steps[i]) << pans[i];
    float left, right;
    panGains(0, left, right);
    EXPECT_EQ(left, 1.0f);
    EXPECT_FLOAT_EQ(right, 0.25f);
}

TEST(SoundRules, VolumeIsAPerCentOfFullAndZeroMissingOrNonsenseMeanFull)
{
    const float settings[] = {0, 100, 20, 1, 250, -20, NAN};
    const float shares[] = {1, 1, 0.2f, 0.01f, 1, 1, 1};
    for (int i = 0; i < 7; i++)
        EXPECT_FLOAT_EQ(volumeShareFor(settings[i]), shares[i]) << settings[i];
    EXPECT_EQ(cueVolume(1.0f, 1.0f), kFullVolume);
    EXPECT_EQ(cueVolume(1.0f, 0.2f), 26);
    EXPECT_EQ(cueVolume(0.001f, 1.0f), 0) << "too soft to start";
    EXPECT_EQ(cueVolume(NAN, 1.0f), 0);
}

TEST(SoundPlan, EachEventKindPlaysItsOwnSoundPlacedAndScaledAndUnknownFarOrLostEventsNone)
{
    const int heardKinds = kEventPlayerDied + 1;   // the hit and the blast's kill are heard through others
    const int expected[heardKinds] = {kSoundShot,         kSoundThrow,           kSoundExplosion,
                                      kSoundPlayerBitten, kSoundZombieKilled,    kSoundCivilianBitten,
                                      kSoundCivilianKilled, kSoundPlayerDied};
    GameEvent events[kEventKinds + 4] = {{kEventKinds, 128, 128}, {-1, 128, 128},
                                         {kEventExplosion, 128 + 4 * kHalfWidth, 128}, {kEventShot, NAN, 128}};
    for (int kind = 0; kind < kEventKinds; kind++)
        events[4 + kind] = GameEvent{kind, kind == 0 ? 128 - kHalfWidth : 128, 128};
    SoundCue cues[kMaxCuesPerStep];
    ASSERT_EQ(planEventSounds(events, kEventKinds + 4, kView, 0.5f, cues), heardKinds);
    for (int kind = 0; kind < heardKinds; kind++)
        EXPECT_EQ(cues[kind].sound, expected[kind]) << kind;
    EXPECT_EQ(soundForEvent(kEventShotHit), kNoSound);
    EXPECT_EQ(soundForEvent(kEventBlastKill), kNoSound);
    EXPECT_EQ(cues[0].pan, 0);
    EXPECT_EQ(cues[1].pan, kCentrePan);
    EXPECT_EQ(cues[1].volume, cueVolume(kWorldLevel, 0.5f));
}

TEST(SoundPlan, ACrowdOfOneSoundStartsOnlyThreeAndTheyAreItsNearest)
{
    GameEvent events[8];
    for (int i = 0; i < 8; i++)   // ever nearer: the last ones are the loudest
        events[i] = GameEvent{kEventZombieKilled, 128 + (float)(7 - i) * kHalfWidth * 0.35f + kHalfWidth, 128};
    SoundCue cues[kMaxCuesPerStep];
    int n = planEventSounds(events, 8, kView, 1.0f, cues);
    ASSERT_EQ(n, kMaxSameSoundPerStep);
    int fourthLoudest = cueVolume(placeSound(events[4].x, 128, kView).gain * kWorldLevel, 1.0f);
    for (int i = 0; i < n; i++)
        EXPECT_GT(cues[i].volume, fourthLoudest);
}

TEST(SoundPlan, NoMoreThanEightStartInAStepAndABlastOrADeathOutranksTheShots)
{
    GameEvent events[12];
    int k = 0;
    for (int kind : {kEventShot, kEventThrow, kEventZombieKilled, kEventCivilianBitten, kEventCivilianKilled})
        for (int i = 0; i < 2; i++)
            events[k++] = GameEvent{kind, 128, 128};
    events[k++] = GameEvent{kEventExplosion, 128 + 2 * kHalfWidth, 128};
    events[k++] = GameEvent{kEventPlayerDied, 128, 128};
    SoundCue cues[kMaxCuesPerStep + 1];
    int n = planEventSounds(events, k, kView, 1.0f, cues);
    ASSERT_EQ(n, kMaxCuesPerStep);
    EXPECT_EQ(cuesOf(cues, n, kSoundExplosion), 1) << "quieter, but it matters more than a shot";
    EXPECT_EQ(cuesOf(cues, n, kSoundPlayerDied), 1);
    EXPECT_EQ(cuesOf(cues, n, kSoundShot), 0);
}

// Past a cap, a cue of equal rank takes the place of the quietest only when
// it is louder; an equally loud one is dropped and the first ones stay.
TEST(SoundPlan, ACueOfEqualRankReplacesOnlyAQuieterOne)
{
    GameEvent events[5];
    for (int i = 0; i < 3; i++)
        events[i] = GameEvent{kEventShot, 128.0f - 1.0f, 128};   // heard in full, a little left
    events[3] = GameEvent{kEventShot, 128.0f + kHalfWidth - 0.5f, 128};   // as loud, far right
    SoundCue cues[kMaxCuesPerStep];
    int n = planEventSounds(events, 4, kView, 1.0f, cues);
    ASSERT_EQ(n, kMaxSameSoundPerStep);
    for (int i = 0; i < n; i++)
        EXPECT_EQ(cues[i].pan, cues[0].pan) << "the equal one came last and is dropped";
    events[0] = GameEvent{kEventShot, 128.0f - 1.5f * kHalfWidth, 128};   // left of the view: softer
    n = planEventSounds(events, 4, kView, 1.0f, cues);
    ASSERT_EQ(n, kMaxSameSoundPerStep);
    int far = 0;
    for (int i = 0; i < n; i++)
        far += cues[i].volume < cues[1].volume;
    EXPECT_EQ(far, 0) << "the softer first cue gave way to the louder last";
    EXPECT_EQ(cues[0].pan, panStepFor(placeSound(events[3].x, events[3].y, kView).pan));
}

TEST(SoundChannels, AFreeChannelIsTakenElseTheOldestOfTheLeastImportantElseNone)
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
    sounds[kGameChannels - 1] = kNoSound;
    EXPECT_EQ(chooseChannel(sounds, starts, kSoundShot), kGameChannels - 1);
    for (int c = 0; c < kGameChannels; c++)
        sounds[c] = kSoundExplosion;
    EXPECT_EQ(chooseChannel(sounds, starts, kSoundShot), -1);
    EXPECT_EQ(chooseChannel(sounds, starts, kSoundPlayerDied), 8);
}

TEST(SoundGroans, OnlyZombiesInHearingGroanAndNeverWithTheGamesDraws)
{
    openWorldWith({{kActorPlayer, 128, 128}, {kActorZombie, 128 + 4 * kHalfWidth, 128}});
    EXPECT_EQ(groansIn(20000), 0);
    zombiesAround(12);
    srand(7);
    int first = rand();
    srand(7);
    uint64_t draws = randomDraws;
    int crowd = groansIn(20000);
    EXPECT_EQ(randomDraws, draws);
    EXPECT_EQ(rand(), first);
    EXPECT_GT(crowd, 20);
    EXPECT_LT(crowd, 20000 / 20) << "now and then, not every step";
}

TEST(SoundMenu, MovingOntoAnotherEntryTicksChoosingClicksAndTheFirstPassOrNoEntryIsSilent)
{
    EXPECT_EQ(menuSoundFor(0, 1, 2, false), kSoundMenuHover);
    EXPECT_EQ(menuSoundFor(1, 1, 2, false), kNoSound);
    EXPECT_EQ(menuSoundFor(1, 1, 2, true), kSoundMenuClick);
    EXPECT_EQ(menuSoundFor(kNoMenuEntry, 0, 2, false), kNoSound);
    EXPECT_EQ(menuSoundFor(0, 2, 2, false), kNoSound);
}

TEST(SoundPlaying, MutedNothingOpensElseABadFileSilencesOnlyItsSoundTheVolumeAppliesAndPauseStartsNothing)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    soundMuted = true;
    openSound();
    EXPECT_FALSE(soundOpen);
    ScratchDir scratch;
    enterScratchDir(scratch, "soundplay");
    mkdir("Media", 0755);
    writeSilence("Media/shot.wav", 10);
    std::ofstream("Media/explosion.wav", std::ios::binary) << std::string("RIFF\x10\0\0\0WAVEfmt garbage", 23);
    std::ifstream click(VG_BUILD_DIR "/Media/menuclick.wav", std::ios::binary);
    std::ofstream("Media/menuclick.wav", std::ios::binary) << click.rdbuf();
    soundMuted = false;
    openSound();
    ASSERT_TRUE(soundOpen);
    openWorldWith({{kActorPlayer, 128, 128}});
    cameraZoom = 7.5f, aspectRatio = 4.0f / 3.0f;
    clearGameEvents();
    addGameEvent(kEventExplosion, 128, 128);
    addGameEvent(kEventShot, 127, 128);
    soundVolume = 20;
    playStepSounds(1.0f);
    EXPECT_EQ(soundStarts, 1u) << "the shot alone";
    EXPECT_EQ(stepCues[0].volume, cueVolume(kWorldLevel, 0.2f));
    EXPECT_EQ(channelSound[0], kSoundShot);
    playInterfaceSound(kSoundMenuClick);
    pauseGameSounds(true);
    EXPECT_TRUE(audioChannelPaused(kInterfaceChannels)) << "the shot's channel";
    for (int c = 0; c < kInterfaceChannels; c++)
        EXPECT_FALSE(audioChannelPaused(c)) << "the menu's channel " << c << " plays on";
    playStepSounds(1.0f);
    EXPECT_EQ(soundStarts, 1u) << "nothing starts while the game is paused";
    pauseGameSounds(false);
    EXPECT_FALSE(audioChannelPaused(kInterfaceChannels));
    closeSound();
    EXPECT_FALSE(soundOpen);
    remove("Media/shot.wav");
    remove("Media/explosion.wav");
    remove("Media/menuclick.wav");
    rmdir("Media");
    leaveScratchDir(scratch);
}
