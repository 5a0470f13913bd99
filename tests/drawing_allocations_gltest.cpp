// Frames of play and of the main menu allocate nothing from our own code.
// Every malloc, calloc, realloc and operator new of this program is counted
// by who called it: the game's code (this executable) or a library such as
// the GL driver, whose own working memory is not the game's to manage.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/app.h"
#include "render/view.h"
#include "tests/busyworld.h"
#include "tests/glwindow.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);
extern "C" char __executable_start[];   // the linker's bounds of this program's code
extern "C" char etext[];

namespace {

bool counting = false;
int ourAllocations = 0;       // called from the game's own code
int libraryAllocations = 0;   // called from inside a library

void noteAllocation(void* caller)
{
    if (!counting)
        return;
    bool ours = (char*)caller >= __executable_start && (char*)caller < etext;
    (ours ? ourAllocations : libraryAllocations)++;
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

// Runs frames of the dispatcher in the given game state; counts the last ones
// afresh and reports the library's count per frame.
void runFrames(int state, const char* name)
{
    ourAllocations = libraryAllocations = 0;
    for (int i = 0; i < kWarmUpFrames + kCountedFrames; i++) {
        counting = i >= kWarmUpFrames;
        gameState = state;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        runFrame();
        glFinish();
        counting = false;
    }
    printf("%s: %.1f library allocations per frame\n", name, (double)libraryAllocations / kCountedFrames);
}

TEST(DrawingAllocations, BusyPlayAndTheMenuAllocateNothingFromTheGame)
{
    openGameWindow(800, 600);
    loadTextures();
    buildCrowdedWorld(kBusiestCrowd);
    cameraZoom = 7.5f;
    actors[0].health = 30;   // the blood vignette drawn around its clear middle
    runFrames(kStatePlaying, "play");
    EXPECT_EQ(ourAllocations, 0) << "in play";
    runFrames(kStateGameMenu, "menu");
    EXPECT_EQ(ourAllocations, 0) << "in the menu";
}

}  // namespace
