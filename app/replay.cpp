// vellgrave2-replay: plays a recorded game back in a window, checks it step
// for step without one (--check), or describes it (--info). It runs the game's
// own step and drawing and never writes a file.
#include <GL/gl.h>
#include <SDL/SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/app.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "app/sound.h"
#include "render/draw.h"
#include "render/view.h"
#include "sim/recording.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const char* const kDefaultRecording = "lastgame.rec";
static const int kExitDiverged = 1;
static const int kExitBadFile = 2;
static const float kStepMilliseconds = 1000.0f / 60.0f;  // one step unit of play
static const float kFastForward = 4.0f;                  // while the right arrow is held
static const Uint32 kPassMilliseconds = 16;
static const Uint32 kMaxCatchUpMilliseconds = 250;       // a stall is not made up for all at once

// ---- Globals ----------------------------------------------------------------

static FILE* recordingFile = nullptr;   // the recording being replayed
static uint32_t fileSteps = 0;          // steps the file holds
static int32_t fileScore = 0;           // score the file holds

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

// Opens the file and reads it through once; false, with the reason printed,
// when it cannot be replayed. The file is left at the start of its steps.
static bool openAndScan(const char* path)
{
    recordingFile = fopen(path, "rb");
    if (!recordingFile) {
        fprintf(stderr, "%s: %s\n", path, strerror(errno));
        return false;
    }
    if (!openRecording(recordingFile, path) || !scanRecording(fileSteps, fileScore)) {
        fprintf(stderr, "%s\n", recordingError);
        return false;
    }
    rewind(recordingFile);
    return openRecording(recordingFile, path);
}

// A checksum of the world as it ended, for the --check line.
static uint32_t endingChecksum()
{
    Checkpoint c = takeCheckpoint(recordedSteps);
    return c.actorsSum ^ c.shotsSum * 3u ^ c.playersSum * 5u ^ c.mapSum * 7u;
}

// Replays the whole file as fast as it runs and reports one line.
static int checkRecording(const char* path)
{
    if (!openAndScan(path) || !startRecordedGame())
        return kExitBadFile;
    int32_t score = 0;
    int r = kReplayStepped;
    while (r == kReplayStepped)
        r = replayStep(score);
    if (r == kReplayDamaged) {
        fprintf(stderr, "%s\n", recordingError);
        return kExitBadFile;
    }
    if (r == kReplayDiverged || score != killCount) {
        if (r != kReplayDiverged)
            snprintf(recordingError, sizeof recordingError, "diverged at step %u: score %d != %d",
                     (unsigned)recordedSteps, (int)score, (int)killCount);
        printf("%s\n", recordingError);
        return kExitDiverged;
    }
    printf("ok: %u steps, score %d, checksum %08X\n", (unsigned)recordedSteps, (int)score, endingChecksum());
    return 0;
}

// Prints the header and what the end of the file says.
static int describeRecording(const char* path)
{
    if (!openAndScan(path))
        return kExitBadFile;
    const RecordingHeader& h = recordingHeader;
    time_t date = (time_t)h.date;
    char when[64] = "unknown";
    struct tm utc;
    if (gmtime_r(&date, &utc))
        strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
    printf("format: %u\ngame version: %.1f\ndate: %s\nwindow: %.0f x %.0f (aspect %.4f)\nplayers: %d\n",
           (unsigned)h.format, (double)h.gameVersion, when, (double)h.screenWidth, (double)h.screenHeight,
           (double)h.aspectRatio, (int)h.playerCount);
    if (h.start == kStartNewCity)
        printf("start: a new city (seed %u, %llu rand draws before)\n", (unsigned)h.seed,
               (unsigned long long)h.draws);
    else
        printf("start: a loaded game (%d bytes of save, seed %u, %llu rand draws before)\n", (int)h.saveSize,
               (unsigned)h.seed, (unsigned long long)h.draws);
    printf("steps: %u\nscore: %d\n", (unsigned)fileSteps, (int)fileScore);
    return 0;
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
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginSpriteDrawing();
    renderWorld();
    endSpriteDrawing();
    SDL_GL_SwapBuffers();
}

// Takes the window's events: Space toggles the pause, Escape or the close
// button quits.
static bool readReplayKeys(bool& paused)
{
    SDL_PumpEvents();
    pollInput();
    if (keyState[SDLK_SPACE] == kInputPressed)
        paused = !paused;
    pauseGameSounds(paused);
    SDL_Event event;
    bool quit = keyState[SDLK_ESCAPE] == kInputPressed;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_ALLEVENTS) > 0)
        quit = quit || event.type == SDL_QUIT;
    return quit;
}

// Plays the recording in a window of its recorded size at its recorded pace,
// with its sounds (as the settings allow); the last picture stays until the
// window is closed.
static int watchRecording(const char* path)
{
    if (!openAndScan(path))
        return kExitBadFile;
    screenWidth = recordingHeader.screenWidth;
    screenHeight = recordingHeader.screenHeight;
    readSoundSettings();
    setupDisplay();
    openSound();
    initGame();
    if (!startRecordedGame())
        return kExitBadFile;
    gameState = kStatePlaying;
    bool paused = false, running = true;
    float due = 0, played = 0;
    Uint32 last = SDL_GetTicks();
    while (!readReplayKeys(paused)) {
        Uint32 now = SDL_GetTicks();
        Uint32 elapsed = now - last < kMaxCatchUpMilliseconds ? now - last : kMaxCatchUpMilliseconds;
        last = now;
        if (!paused && running) {
            played += (float)elapsed * (keyState[SDLK_RIGHT] != kInputUp ? kFastForward : 1.0f);
            running = runDueSteps(due, played);
        }
        drawReplayFrame();
        SDL_Delay(kPassMilliseconds);
    }
    closeSound();
    SDL_Quit();
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
        printf("vellgrave2-replay 0.8 (recording format %u)\n", (unsigned)kRecordingFormat);
        return 0;
    }
    if ((strcmp(mode, "--check") == 0 || strcmp(mode, "--info") == 0) && argc == 3)
        return mode[2] == 'c' ? checkRecording(argv[2]) : describeRecording(argv[2]);
    if (argc > 2 || (argc == 2 && mode[0] == '-')) {
        fprintf(stderr, "vellgrave2-replay: unexpected arguments; try --help\n");
        return kExitBadFile;
    }
    return watchRecording(argc == 2 ? argv[1] : kDefaultRecording);
}
