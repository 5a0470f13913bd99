// vellgrave2-replay: plays a recorded game back in a window, checks it step
// for step without one (--check), or describes it (--info). It runs the game's
// own step and drawing and never writes a file.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/flow.h"
#include "app/watching.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/pad.h"
#include "platform/settings.h"
#include "app/sound.h"
#include "render/draw.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const char* const kDefaultRecording = "lastgame.rec";

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
           "While playing: Space pauses and resumes, the up and down arrows change the\n"
           "speed (a quarter to eight times), the left and right arrows or a click on\n"
           "the bar seek, Escape or closing the window quits.\n",
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

// Plays the recording in a window of its recorded size (and the bar's
// height) at its recorded pace, with its sounds (as the settings allow),
// under the game's watching bar; the last picture stays until Escape or
// the window is closed. It starts no game, so it writes nothing.
static int watchRecording(const char* path)
{
    FILE* file = openFile(path);
    if (!file)
        return kReplayUnreadable;
    bool sound = openAndScanRecording(file, path);
    fclose(file);
    if (!sound) {
        fprintf(stderr, "%s\n", recordingError);
        return kReplayUnreadable;
    }
    screenWidth = recordingHeader.viewWidth;
    screenHeight = recordingHeader.viewHeight + kWatchBarHeight;
    readSoundSettings();
    setupDisplay();
    readPadBindings();
    initPad();
    openSound();
    initGame();
    watchOffersPlayHere = false;
    if (!watchRecording(path, kStateTitleMenu)) {
        fprintf(stderr, "%s\n", recordingError);
        return kReplayUnreadable;
    }
    while (gameState == kStateWatching) {
        clearDisplay();
        pumpEvents();
        pollInput();
        pollPad();
        beginSpriteDrawing();
        runWatchingFrame();
        endSpriteDrawing();
        measureFrame();
        swapDisplay();
        if (drainEvents() && gameState == kStateWatching)
            stopWatching(kStateTitleMenu);
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
