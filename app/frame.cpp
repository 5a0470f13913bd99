// Game state, frame pacing and the speed factor of the simulation.
#include "app/app.h"

int32_t gameState = kStateTitleMenu;
bool quitRequested = false;
float framesPerSecond = 0;
uint32_t lastFrameTicks = 0;
int32_t frameMilliseconds = 0;
char titleText[256] = {};
float versionNumber = 0;

// 60 / fps, kept within 0.2..2.0: 1.0 at 60 frames per second, and the very
// first pass (fps 0, an infinite quotient) runs at 2.0.
float speedFactorFor(float fps)
{
    float factor = 60.0f / fps;
    if (factor < kMinSpeedFactor)
        factor = kMinSpeedFactor;
    else if (factor > kMaxSpeedFactor)
        factor = kMaxSpeedFactor;
    return factor;
}

// Counts the frame that ends at nowTicks, never shorter than 16 ms, and returns
// how long to sleep to make it so. The clock advances by the counted length, so
// any oversleep is charged to the next frame.
int advanceFrameClock(uint32_t nowTicks)
{
    int sleep = 0;
    frameMilliseconds = (int32_t)(nowTicks - lastFrameTicks);
    if (frameMilliseconds < kFrameMilliseconds) {
        sleep = kFrameMilliseconds - frameMilliseconds;
        frameMilliseconds = kFrameMilliseconds;
    }
    lastFrameTicks += (uint32_t)frameMilliseconds;
    framesPerSecond = 1000.0f / (float)frameMilliseconds;
    return sleep;
}
