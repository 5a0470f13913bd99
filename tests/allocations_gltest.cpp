// Nothing is taken from the heap while a game runs: not by a step of the game
// flow at the busiest (recorded as it goes), not by the frames that draw it
// or the menu, not by hearing it. Every malloc, calloc, realloc and operator
// new of this program is counted, by who called it: the game's own code (this
// executable) or a library on the main thread, such as the mixer. The GL
// driver's own working memory is not the game's to manage. Watching a
// recording allocates nothing either. (Among the OpenGL
// tests because this malloc must not meet the sanitizers' allocator.)
#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdlib>
#include <new>

#include "app/app.h"
#include "app/flow.h"
#include "app/sound.h"
#include "app/watching.h"
#include "render/view.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "sim/seeking.h"
#include "tests/busyworld.h"
#include "tests/glwindow.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);
extern "C" char __executable_start[];   // the linker's bounds of this program's code
extern "C" char etext[];

namespace {

bool counting = false;
pthread_t countedThread;      // the main thread; the audio thread's work is the mixer's
int ourAllocations = 0;       // called from the game's own code
int libraryAllocations = 0;   // called from inside a library, on the main thread
void* volatile heapSink = nullptr;  // keeps the counter's own check from being optimised away

void noteAllocation(void* caller)
{
    if (!counting || !pthread_equal(pthread_self(), countedThread))
        return;
    bool ours = (char*)caller >= __executable_start && (char*)caller < etext;
    (ours ? ourAllocations : libraryAllocations)++;
}

// Starts counting afresh.
void startCounting()
{
    ourAllocations = libraryAllocations = 0;
    countedThread = pthread_self();
    counting = true;
}

}  // namespace

extern "C" void* malloc(size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    noteAllocation(__builtin_return_address(0));
    return __libc_realloc(block, size);
}

void* operator new(size_t size)
{
    noteAllocation(__builtin_return_address(0));
    void* block = __libc_malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

namespace {

const int kWarmUpFrames = 10;   // the driver builds its shaders in the first frames
const int kCountedFrames = 30;

// Sprinting, firing and throwing among 500 actors, 50 explosions, full decal
// and projectile lists, the game recorded as it goes: no step of the game
// flow asks the heap for anything, and the counter does see the heap.
TEST(Allocations, StepsAtTheBusiestAllocateNothing)
{
    buildBusyWorld();
    beginRecording(RecordingHeader{kRecordingFormat, kGameVersion, 0, 1, 800, 600, 800.0f / 600.0f, kStartNewCity,
                                   0, 0, 0, 0, 0},
                   nullptr);
    startCounting();
    for (int step = 0; step < 120; step++) {
        mouseButtonState[kGunButton] = step < 60 ? kInputHeld : kInputUp;
        actors[0].health = 100;
        playStep(1);
    }
    counting = false;
    EXPECT_EQ(ourAllocations + libraryAllocations, 0);
    EXPECT_GT(killCount, 0) << "the step was busy";
    startCounting();
    heapSink = ::operator new(64);
    ::operator delete(heapSink);
    counting = false;
    EXPECT_EQ(ourAllocations, 1) << "the counter itself sees the heap";
}

// Runs frames of the dispatcher in the given game state, counting the last ones.
void runFrames(int state)
{
    for (int i = 0; i < kWarmUpFrames + kCountedFrames; i++) {
        if (i == kWarmUpFrames)
            startCounting();
        gameState = state;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        runFrame();
        glFinish();
    }
    counting = false;
}

TEST(Allocations, BusyPlayAndTheMenuAllocateNothingFromTheGame)
{
    openGameWindow(800, 600);
    loadTextures();
    buildCrowdedWorld(kBusiestCrowd);
    cameraZoom = 7.5f;
    actors[0].health = 30;   // the blood vignette drawn around its clear middle
    runFrames(kStatePlaying);
    EXPECT_EQ(ourAllocations, 0) << "in play";
    runFrames(kStateGameMenu);
    EXPECT_EQ(ourAllocations, 0) << "in the menu";
}

// Watching a recorded fight to the death: its frames, a seek back and one
// ahead (the snapshots built ahead in the frames' spare time, deflated into
// their arena) and its end take nothing from the heap.
TEST(Allocations, WatchingSeekingAndBuildingAheadAllocateNothingFromTheGame)
{
    openGameWindow(800, 600);
    loadTextures();
    ASSERT_TRUE(watchRecording(VG_SOURCE_DIR "/tests/recordings/death.rec", kStateTitleMenu));
    runFrames(kStateWatching);
    EXPECT_EQ(ourAllocations, 0) << "watching";
    chooseWatchAction(WatchChoice{kWatchSeek, 0.5f});
    runFrames(kStateWatching);
    chooseWatchAction(WatchChoice{kWatchSeek, watchTotalSeconds});
    runFrames(kStateWatching);
    EXPECT_EQ(ourAllocations, 0) << "seeking";
    EXPECT_TRUE(watchAtEnd);
    stopWatching(kStateTitleMenu);
}

// The busiest world's steps heard through SDL's dummy driver, every kind of
// event all over the view and past it, the game paused and resumed and the
// menu clicking: the mixer allocates nothing either.
TEST(Allocations, HearingTheBusiestWorldPausingAndClickingAllocateNothing)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    openSound();
    ASSERT_TRUE(soundOpen);
    buildCrowdedWorld(kBusiestCrowd);
    cameraX = actors[0].x, cameraY = actors[0].y, cameraZoom = 7.5f, aspectRatio = 16.0f / 9.0f;
    startCounting();
    for (int s = 0; s < 600; s++) {
        clearGameEvents();
        for (int i = 0; i < 40; i++)
            addGameEvent(i % kEventKinds, cameraX - 12.0f + (float)((i * 7 + s) % 24), cameraY - 4.0f + (float)(i % 8));
        playStepSounds(1.0f);
        pauseGameSounds(s % 100 >= 50 && s % 100 < 60);
        if (s % 30 == 0)
            playInterfaceSound(kSoundMenuHover + s / 30 % (kSoundCount - kSoundMenuHover));
    }
    counting = false;
    EXPECT_GT(soundStarts, 600u) << "the busy steps were heard";
    EXPECT_EQ(ourAllocations + libraryAllocations, 0);
    closeSound();
}

}  // namespace
