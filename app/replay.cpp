// vellgrave2-replay: plays a recorded game back in a window, checks it step
// for step without one (--check), or describes it (--info). It runs the game's
// own step and drawing and never writes a file.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/flow.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "app/sound.h"
#include "render/draw.h"
#include "render/view.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const char* const kDefaultRecording = "lastgame.rec";
static const float kStepMilliseconds = 1000.0f / 60.0f;  // one step unit of play
static const float kFastForward = 4.0f;                  // while the right arrow is held
static const uint32_t kPassMilliseconds = 16;
static const uint32_t kMaxCatchUpMilliseconds = 250;       // a stall is not made up for all at once

// ---- Functions --------------------------------------------------------------

// The usage text, for --help.
static void printHelp()
{
    printf("Usage: vellgrave2-replay [FILE]\n"
           "       vellgrave2-replay --check FILE\n"
           "       vellgrave2-replay --info FILE\n"
           "Plays a recorded game of Vellgrave 2 back (FILE defaults to %s, the last game\n"
           "played in this directory).\n\n"
           "  --check FILE  replay without a window as fast as possible and compare the\n"
           "                world with every checkpoint; exit 0 when it matches, 1 when\n"
           "                it diverges, 2 when the file cannot be read\n"
           "  --info FILE   print the recording's header\n"
           "  --help        show this help\n"
           "  --version     show the version\n\n"
           "While playing: Space pauses and resumes, the right arrow runs at 4x while\n"
           "held, Escape or closing the window quits.\n",
           kDefaultRecording);
}

// Opens the file; null, with the reason printed, when it cannot be opened.
static FILE* openFile(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        fprintf(stderr, "%s: %s\n", path, strerror(errno));
    return file;
}

// Runs --check or --info on the file and prints its report: on the standard
// error when the file cannot be read, else on the standard output.
static int report(const char* path, bool check)
{
    FILE* file = openFile(path);
    if (!file)
        return kReplayUnreadable;
    char text[kReplayTextLength];
    int status = check ? checkRecording(file, path, text, (int)sizeof text)
                       : describeRecording(file, path, text, (int)sizeof text);
    fprintf(status == kReplayUnreadable ? stderr : stdout, "%s\n", text);
    fclose(file);
    return status;
}

// Runs the steps whose time has come, each heard as it is played; false once
// the recording is over.
static bool runDueSteps(float& dueMilliseconds, float budgetMilliseconds)
{
    int32_t score = 0;
    while (dueMilliseconds <= budgetMilliseconds) {
        int r = replayStep(score);
        if (r == kReplayDiverged || r == kReplayDamaged)
            fprintf(stderr, "%s\n", recordingError);
        if (r != kReplayStepped)
            return false;
        playStepSounds(stepInput.speedFactor);
        dueMilliseconds += stepInput.speedFactor * kStepMilliseconds;
    }
    return true;
}

// Draws the world and its HUD as the game does.
static void drawReplayFrame()
{
    clearDisplay();
    beginSpriteDrawing();
    renderWorld();
    endSpriteDrawing();
    swapDisplay();
}

// Takes the window's events: Space toggles the pause, Escape or the close
// button quits.
static bool readReplayKeys(bool& paused)
{
    pumpEvents();
    pollInput();
    if (keyState[kSpaceKey] == kInputPressed)
        paused = !paused;
    pauseGameSounds(paused);
    bool closed = drainEvents();
    return closed || keyState[kEscapeKey] == kInputPressed;
}

// Plays the recording in a window of its recorded size at its recorded pace,
// with its sounds (as the settings allow); the last picture stays until the
// window is closed.
static int watchRecording(const char* path)
{
    FILE* file = openFile(path);
    if (!file)
        return kReplayUnreadable;
    if (!openAndScanRecording(file, path)) {
        fprintf(stderr, "%s\n", recordingError);
        return kReplayUnreadable;
    }
    screenWidth = recordingHeader.viewWidth;
    screenHeight = recordingHeader.viewHeight;
    readSoundSettings();
    setupDisplay();
    openSound();
    initGame();
    if (!beginRecordedGame())
        return kReplayUnreadable;
    bool paused = false, running = true;
    float due = 0, played = 0;
    uint32_t last = clockTicks();
    while (!readReplayKeys(paused)) {
        uint32_t now = clockTicks();
        uint32_t elapsed = now - last < kMaxCatchUpMilliseconds ? now - last : kMaxCatchUpMilliseconds;
        last = now;
        if (!paused && running) {
            played += (float)elapsed * (keyState[kRightArrowKey] != kInputUp ? kFastForward : 1.0f);
            running = runDueSteps(due, played);
        }
        drawReplayFrame();
        sleepMilliseconds(kPassMilliseconds);
    }
    closeSound();
    closeDisplay();
    return 0;
}

// Reads the command line and does what it asks.
int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (strcmp(mode, "--help") == 0 || strcmp(mode, "-h") == 0) {
        printHelp();
        return 0;
    }
    if (strcmp(mode, "--version") == 0) {
        printf("vellgrave2-replay %.1f (recording format %u)\n", (double)kGameVersion, (unsigned)kRecordingFormat);
        return 0;
    }
    if ((strcmp(mode, "--check") == 0 || strcmp(mode, "--info") == 0) && argc == 3)
        return report(argv[2], mode[2] == 'c');
    if (argc > 2 || (argc == 2 && mode[0] == '-')) {
        fprintf(stderr, "vellgrave2-replay: unexpected arguments; try --help\n");
        return kReplayUnreadable;
    }
    return watchRecording(argc == 2 ? argv[1] : kDefaultRecording);
}
