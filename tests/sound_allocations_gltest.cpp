// Playing sounds allocates nothing once they are loaded: every malloc, calloc,
// realloc and operator new on the main thread is counted, the mixer's included,
// while the busiest world's steps are heard, the game pauses and resumes and
// the menu clicks, through SDL's dummy driver. (Among the OpenGL tests only
// because its own malloc must not meet the sanitizers' allocator.)
#include <gtest/gtest.h>
#include <pthread.h>

#include <new>

#include "app/sound.h"
#include "tests/busyworld.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);

namespace {

bool counting = false;
pthread_t countedThread;
int allocations = 0;

void noteAllocation()
{
    if (counting && pthread_equal(pthread_self(), countedThread))
        allocations++;
}

}  // namespace

extern "C" void* malloc(size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    noteAllocation();
    return __libc_realloc(block, size);
}

void* operator new(size_t size)
{
    noteAllocation();
    void* block = __libc_malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

TEST(SoundAllocations, HearingTheBusiestWorldPausingAndClickingAllocateNothing)
{
    ASSERT_EQ(chdir(VG_BUILD_DIR), 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    openSound();
    ASSERT_TRUE(soundOpen);
    buildCrowdedWorld(kBusiestCrowd);
    cameraX = actors[0].x, cameraY = actors[0].y, cameraZoom = 7.5f, aspectRatio = 16.0f / 9.0f;
    countedThread = pthread_self();
    counting = true;
    for (int s = 0; s < 600; s++) {
        clearGameEvents();   // every kind of event, all over the view and past it
        for (int i = 0; i < 40; i++)
            addGameEvent(i % kEventKinds, cameraX - 12.0f + (float)((i * 7 + s) % 24), cameraY - 4.0f + (float)(i % 8));
        playStepSounds(1.0f);
        pauseGameSounds(s % 100 >= 50 && s % 100 < 60);
        if (s % 30 == 0)
            playInterfaceSound(kSoundMenuHover + s / 30 % (kSoundCount - kSoundMenuHover));
    }
    counting = false;
    EXPECT_GT(soundStarts, 600u) << "the busy steps were heard";
    EXPECT_EQ(allocations, 0);
    closeSound();
}
