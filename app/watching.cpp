// Watching a recorded game inside the game: the recording opened and seeked
// through sim/seeking, paced by the time that passes times the chosen speed,
// the bar's layout and what its input means, and "Play from here". A game in
// progress when watching begins is kept aside and comes back on leaving.
#include "app/watching.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/app.h"
#include "app/sound.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "sim/gamestart.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "sim/runstats.h"
#include "sim/seeking.h"
#include "world/savefile.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const float kMillisecondsPerStepUnit = 1000.0f / kStepUnitsPerSecond;
static const float kMostPassMilliseconds = 250.0f;    // a stall is not made up for all at once
static const int32_t kMostStepsPerPass = 128;         // 8x over a quarter second is 120 steps
static const uint32_t kSeekStepsPerPass = 240;        // steps a seek plays in one pass before the bar moves
static const float kButtonWidth = 48.0f;              // the pause button; the speed buttons are as wide
static const float kSpeedLabelWidth = 72.0f;          // "0.25x"
static const float kTimeWidth = 180.0f;               // "12:34 / 56:07"
static const float kPlayHereWidth = 200.0f;           // "Play from here"
static const float kTrackMargin = 8.0f;               // around the progress track, pixels
static const float kEndButtonWidth = 260.0f;          // "Watch again" and "Back", centred above the bar
static const float kEndButtonHeight = 48.0f;
static const float kEndButtonGap = 16.0f;
static const float kBuildMillisecondsPlaying = 4.0f;  // a pass's share for building snapshots ahead while playing
static const float kBuildMillisecondsIdle = 12.0f;    // and while the picture stands still
static const float kBuildSliceMilliseconds = 16.0f;   // a slice aims at this long, keeping aside included
static const float kMostBuildCredit = 64.0f;          // the shares saved up for a slice, at most
static const uint32_t kMostBuildSteps = 2048;         // a slice is never longer

static const char* const kWatchLabels[kWatchButtons] = {"||", "-", "+", nullptr, "Play from here", "Watch again",
                                                        "Back", "Drop it and play", "Keep watching"};
static const char* const kPlayingLabel = "||";            // the pause button while the game plays
static const char* const kStandingLabel = ">";            // and while it stands still
static const char* const kDropQuestion = "The game in progress will be lost.";

// ---- Globals ----------------------------------------------------------------

const float kWatchSpeedFactors[kWatchSpeeds] = {0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f};
bool watchOffersPlayHere = true;
int32_t watchBackState = kStateTitleMenu;
int32_t watchSpeed = kWatchNormalSpeed;
bool watchPaused = false;
bool watchAtEnd = false;
bool watchAsking = false;
bool watchGameKept = false;
int32_t watchHot = kWatchNoButtonHot;
int32_t watchEndItem = 0;
int32_t watchBestScore = kNoBestScore;
float watchDueMilliseconds = 0;
float watchPlayedMilliseconds = 0;

static FILE* watchedFile = nullptr;                          // the recording being watched
static char watchedName[kRecordingErrorLength] = {};          // its path, for messages
static uint32_t seekTarget = 0;                              // the step a seek under way goes to
static bool seeking = false;                                 // a seek is under way
static unsigned char keptGame[kMaxSnapshotBytes] = {};        // the game in progress, kept aside
static int32_t keptSaveSize = 0;                             // bytes of its save encoding
static int32_t keptActors = 0;                               // its actors, whose bleed pauses follow
static uint32_t keptSeed = 0;                                // its generator's seed and draws
static uint64_t keptDraws = 0;
static unsigned char hereGame[kMaxSaveBytes] = {};            // the moment "Play from here" starts from
static int32_t hereSize = 0;                                 // bytes of its save encoding
static uint32_t hereSeed = 0;                                // its generator's seed and draws
static uint64_t hereDraws = 0;
static uint32_t buildSteps = 8;                              // steps in the next slice built ahead, adapted to its time
static float buildCredit = 0;                                // ms of the passes' shares saved up for the next slice
static float lastSliceMilliseconds = 0;                      // how long the last slice took
static uint32_t seedBefore = 0;                              // the generator before watching, given back after
static uint64_t drawsBefore = 0;

// ---- The game in progress, kept aside ---------------------------------------

// Keeps the world of the game in progress: its save encoding, the actors'
// bleed pauses a save leaves out, and the generator's position.
static void keepGameAside()
{
    keptSaveSize = encodeSave();
    keptActors = actorCount;
    memcpy(keptGame, saveBytes, (size_t)keptSaveSize);
    for (int i = 0; i < actorCount; i++)
        memcpy(keptGame + keptSaveSize + i * sizeof(float), &actors[i].bleedTimer, sizeof(float));
    keptSeed = randomSeed;
    keptDraws = randomDraws;
    watchGameKept = true;
}

// Puts the kept game back as it stood, so its recording goes on unbroken;
// with none kept, the generator as it stood before watching.
static void bringGameBack()
{
    if (!watchGameKept) {
        seedRandom(seedBefore);
        skipRandomDraws(drawsBefore);
        return;
    }
    watchGameKept = false;
    memcpy(saveBytes, keptGame, (size_t)keptSaveSize);
    decodeSave(keptSaveSize, true);
    for (int i = 0; i < keptActors && i < actorCount; i++)
        memcpy(&actors[i].bleedTimer, keptGame + keptSaveSize + i * sizeof(float), sizeof(float));
    seedRandom(keptSeed);
    skipRandomDraws(keptDraws);
}

// ---- Beginning and leaving ----------------------------------------------------

// The pace starts over from where the world now stands.
static void resetPace()
{
    watchPlayedMilliseconds = watchSeconds * 1000.0f;
    watchDueMilliseconds = watchPlayedMilliseconds;
}

// Opens the recording at `path` and shows it from its start; Escape and
// "Back" ask the flow to return to backState. False, with nothing changed,
// when the file cannot be played. A game in progress is kept aside until
// watching ends. The flow sets the game's state.
bool beginWatching(const char* path, int32_t backState)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr)
        return false;
    seedBefore = randomSeed;
    drawsBefore = randomDraws;
    if (recordingActive)
        keepGameAside();
    snprintf(watchedName, sizeof watchedName, "%s", path);
    if (!beginWatching(file, watchedName)) {
        fclose(file);
        bringGameBack();
        return false;
    }
    watchedFile = file;
    watchBackState = backState;
    watchSpeed = kWatchNormalSpeed;
    watchPaused = false;
    watchAtEnd = false;
    watchAsking = false;
    watchHot = kWatchNoButtonHot;
    watchEndItem = 0;
    watchBestScore = recordingHeader.bestScore;
    seeking = false;
    buildCredit = 0;
    lastSliceMilliseconds = 0;
    resetPace();
    return true;
}

// Stops watching; a game kept aside comes back. The flow sets the state.
void leaveWatching()
{
    endWatching();
    if (watchedFile != nullptr)
        fclose(watchedFile);
    watchedFile = nullptr;
    seeking = false;
    bringGameBack();
    pauseGameSounds(false);
}

// Keeps the moment shown for "Play from here": the world's save encoding and
// the generator's position, which leaving watching gives back to the game
// kept aside.
static void keepMomentShown()
{
    hereSize = encodeSave();
    memcpy(hereGame, saveBytes, (size_t)hereSize);
    hereSeed = randomSeed;
    hereDraws = randomDraws;
}

// A new game of the player's own from the moment "Play from here" kept: it
// starts as a loaded game holding that world, with the generator where it
// stood, so its own recording replays (a generator too far on for a
// recording to skip to is seeded afresh). False when it could not begin.
bool beginGameFromMoment()
{
    memcpy(saveBytes, hereGame, (size_t)hereSize);
    bool replayable = hereDraws <= kMaxRecordedDraws;
    seedRandom(replayable ? hereSeed : hereSeed ^ (uint32_t)hereDraws);
    skipRandomDraws(replayable ? hereDraws : 0);
    if (!beginGame(kStartLoadedGame, hereSize, (int64_t)time(nullptr), screenWidth, screenHeight, aspectRatio))
        return false;
    beginRunStats();
    return true;
}

// ---- Pace and seeking ---------------------------------------------------------

// Starts a seek to the given seconds of play; it goes on in the next passes.
static void beginSeek(float seconds)
{
    seekTarget = stepAtSeconds(seconds < 0.0f ? 0.0f : seconds);
    seeking = true;
    watchAtEnd = false;
}

// One pass of a seek under way: a slice of its steps, so the bar moves.
static void goOnSeeking()
{
    int r = seekWatchingWithin(seekTarget, kSeekStepsPerPass);
    if (r == kSeekGoing)
        return;
    seeking = false;
    if (r == kSeekFailed)
        watchAtEnd = true;
    resetPace();
}

// Moves the recorded time that should have been shown on by the time that
// passed (a stall counts as a quarter second at most) times the speed; it
// stands still while paused, at the end or seeking.
void advanceWatchPace(float elapsedMilliseconds)
{
    if (watchPaused || watchAtEnd || seeking)
        return;
    float elapsed = elapsedMilliseconds < kMostPassMilliseconds ? elapsedMilliseconds : kMostPassMilliseconds;
    watchPlayedMilliseconds += elapsed * kWatchSpeedFactors[watchSpeed];
}

// The steps whose time has come, played with their sounds (a pass plays so
// many at most, and what it could not is let go rather than caught up); the
// end of the recording, or a failure on the way, stops on the last picture.
static void stepWatched(float elapsedMilliseconds)
{
    pauseGameSounds(watchPaused);
    advanceWatchPace(elapsedMilliseconds);
    for (int32_t n = 0; !watchAtEnd && watchDueMilliseconds < watchPlayedMilliseconds; n++) {
        if (n == kMostStepsPerPass) {
            watchPlayedMilliseconds = watchDueMilliseconds;
            break;
        }
        if (watchNextStep() != kReplayStepped)
            watchAtEnd = true;
        else {
            watchDueMilliseconds += stepInput.speedFactor * kMillisecondsPerStepUnit;
            playStepSounds(stepInput.speedFactor);
        }
    }
    if (watchStep >= watchSteps)
        watchAtEnd = true;
}

// Builds snapshots ahead of the furthest point reached from the passes'
// shares of spare time: each pass saves its share up, and a slice runs once
// the savings cover the last one, so on average a pass gives no more than
// its share however much keeping the watched world aside costs. A slice's
// steps follow how long the last one took, aiming at a fixed length.
static void buildAhead(float milliseconds)
{
    if (watchBuiltStep >= watchSteps)
        return;
    buildCredit = fminf(buildCredit + milliseconds, kMostBuildCredit);
    if (buildCredit < lastSliceMilliseconds)
        return;
    uint32_t start = clockTicks();
    buildAheadWithin(buildSteps);
    lastSliceMilliseconds = (float)(clockTicks() - start);
    buildCredit -= lastSliceMilliseconds;
    if (lastSliceMilliseconds > kBuildSliceMilliseconds)
        buildSteps = buildSteps * 3 / 4 > 1 ? buildSteps * 3 / 4 : 1;
    else if (lastSliceMilliseconds * 2.0f < kBuildSliceMilliseconds && buildSteps < kMostBuildSteps)
        buildSteps += 1 + buildSteps / 4;
}

// One pass of watching: a seek under way goes on, else the steps due are
// played; then a slice of snapshots is built ahead.
void watchFrame(float elapsedMilliseconds)
{
    if (seeking) {
        goOnSeeking();
        return;
    }
    stepWatched(elapsedMilliseconds);
    buildAhead(watchPaused || watchAtEnd ? kBuildMillisecondsIdle : kBuildMillisecondsPlaying);
}

// ---- The bar's layout and input -------------------------------------------------

// True when the point lies inside the rectangle.
static bool inside(const WatchRect& r, float x, float y)
{
    return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
}

// Where the bar and its buttons lie in a window of the given size, the end's
// panel in the middle above the bar, and the recorded picture of the given
// aspect letterboxed in the window above the bar, so none of it is hidden.
WatchLayout watchLayout(float width, float height, float recordedAspect)
{
    WatchLayout l = {};
    float top = height - kWatchBarHeight;
    l.bar = {0, top, width, height};
    float x = 0;
    l.buttons[kWatchPauseButton] = {x, top, x + kButtonWidth, height};
    x += kButtonWidth;
    l.buttons[kWatchSlowerButton] = {x, top, x + kButtonWidth, height};
    x += kButtonWidth;
    l.speedAt = {x, top, x + kSpeedLabelWidth, height};
    x += kSpeedLabelWidth;
    l.buttons[kWatchFasterButton] = {x, top, x + kButtonWidth, height};
    x += kButtonWidth;
    float right = width - kPlayHereWidth;
    l.buttons[kWatchPlayHereButton] = {right, top, width, height};
    float trackRight = right - kTimeWidth - kTrackMargin;
    l.buttons[kWatchTrack] = {x + kTrackMargin, top + kTrackMargin, trackRight > x + kTrackMargin ? trackRight
                                                                                                 : x + kTrackMargin + 1,
                              height - kTrackMargin};
    l.timeAt = {l.buttons[kWatchTrack].x1, top, right, height};
    float middle = width * 0.5f, half = kEndButtonWidth * 0.5f;
    float endTop = floorf(top * 0.5f - kEndButtonHeight - kEndButtonGap * 0.5f);
    l.buttons[kWatchAgainButton] = {middle - half, endTop, middle + half, endTop + kEndButtonHeight};
    l.buttons[kWatchBackButton] = {middle - half, endTop + kEndButtonHeight + kEndButtonGap, middle + half,
                                   endTop + 2.0f * kEndButtonHeight + kEndButtonGap};
    l.questionAt = {middle - 2.0f * half, endTop - kEndButtonHeight - kEndButtonGap, middle + 2.0f * half,
                    endTop - kEndButtonGap};
    l.buttons[kWatchYesButton] = l.buttons[kWatchAgainButton];
    l.buttons[kWatchNoButton] = l.buttons[kWatchBackButton];
    float pictureWidth = width, pictureHeight = top;
    if (recordedAspect > 0.0f && width / top > recordedAspect)
        pictureWidth = top * recordedAspect;
    else if (recordedAspect > 0.0f)
        pictureHeight = width / recordedAspect;
    pictureWidth = roundf(pictureWidth);
    pictureHeight = roundf(pictureHeight);
    float left = floorf((width - pictureWidth) * 0.5f), above = floorf((top - pictureHeight) * 0.5f);
    l.picture = {left, above, left + pictureWidth, above + pictureHeight};
    return l;
}

// Whether a button can be used in the state watching is in.
static bool buttonShown(int32_t b)
{
    if (watchAsking)
        return b == kWatchYesButton || b == kWatchNoButton;
    if (b == kWatchYesButton || b == kWatchNoButton)
        return false;
    if (b == kWatchAgainButton || b == kWatchBackButton)
        return watchAtEnd;
    return b != kWatchPlayHereButton || watchOffersPlayHere;
}

// The button under the pointer, or kWatchNoButtonHot.
static int32_t buttonAt(const WatchLayout& l, float x, float y)
{
    for (int32_t b = 0; b < kWatchButtons; b++)
        if (buttonShown(b) && inside(l.buttons[b], x, y))
            return b;
    return kWatchNoButtonHot;
}

// The two-entry panel (the end's, or the question): the pad's moves and the
// up and down arrows move its highlight, which shows unless the mouse is on
// an entry; A or Return choose the highlighted entry, a click the entry
// under the pointer.
static int32_t panelChoice(const WatchInput& in, int32_t first, int32_t second, int32_t firstAction,
                           int32_t secondAction)
{
    int32_t move = in.speedStep != 0 ? -in.speedStep : in.menu.padDrives ? in.menu.highlightStep : 0;
    if (move != 0)
        watchEndItem = move < 0 ? 0 : 1;
    int32_t highlighted = watchEndItem == 0 ? first : second;
    int32_t under = watchHot;
    if (in.menu.padDrives || (under != first && under != second))
        watchHot = highlighted;
    int32_t chosen = kWatchNoButtonHot;
    if (in.enter || (in.menu.padDrives && in.menu.choose))
        chosen = highlighted;
    else if (in.menu.click && !in.menu.padDrives)
        chosen = under;
    return chosen == first ? firstAction : chosen == second ? secondAction : kWatchNothing;
}

// Changes the speed by a step, within a quarter to eight times.
static void stepSpeed(int32_t step)
{
    watchSpeed += step;
    if (watchSpeed < 0)
        watchSpeed = 0;
    if (watchSpeed >= kWatchSpeeds)
        watchSpeed = kWatchSpeeds - 1;
}

// One pass of the watching logic: the question answered first, then Escape
// or B, the end's entries, pause, speed, seeking by arrows or a click on the
// track, and "Play from here". Pause and speed change here; everything else
// is returned for the flow to do.
WatchChoice readWatchInput(const WatchInput& in, float seconds, float totalSeconds)
{
    WatchChoice c = {kWatchNothing, 0};
    WatchLayout l = watchLayout(in.windowWidth, in.windowHeight, 0);
    watchHot = buttonAt(l, (float)in.menu.pointerX, (float)in.menu.pointerY);
    if (watchAsking) {
        c.action = panelChoice(in, kWatchYesButton, kWatchNoButton, kWatchDropGame, kWatchKeepGame);
        if (c.action == kWatchNothing && (in.escape || in.menu.back))
            c.action = kWatchKeepGame;
        return c;
    }
    if (in.escape || in.menu.back) {
        c.action = kWatchBack;
        return c;
    }
    if (watchAtEnd) {
        c.action = panelChoice(in, kWatchAgainButton, kWatchBackButton, kWatchAgain, kWatchBack);
        if (c.action != kWatchNothing)
            return c;
    }
    bool click = in.menu.click && !in.menu.padDrives;
    if (in.pause || (click && watchHot == kWatchPauseButton) || (!watchAtEnd && in.menu.padDrives && in.menu.choose)) {
        if (watchAtEnd)
            c.action = kWatchAgain;
        else
            watchPaused = !watchPaused;
        return c;
    }
    int32_t speed = watchAtEnd ? 0 : in.speedStep;
    if (!watchAtEnd && in.menu.padDrives)
        speed -= in.menu.highlightStep;
    if (click && watchHot == kWatchSlowerButton)
        speed = -1;
    if (click && watchHot == kWatchFasterButton)
        speed = 1;
    stepSpeed(speed < 0 ? -1 : speed > 0 ? 1 : 0);
    if (in.seekStep != 0) {
        c.action = kWatchSeek;
        c.seekSeconds = fminf(fmaxf(seconds + (float)in.seekStep * kWatchSeekSeconds, 0.0f), totalSeconds);
    } else if (click && watchHot == kWatchTrack) {
        const WatchRect& t = l.buttons[kWatchTrack];
        float share = fminf(fmaxf(((float)in.menu.pointerX - t.x0) / (t.x1 - t.x0), 0.0f), 1.0f);
        c.action = kWatchSeek;
        c.seekSeconds = share * totalSeconds;
    } else if ((in.playHere && watchOffersPlayHere) || (click && watchHot == kWatchPlayHereButton))
        c.action = kWatchPlayHere;
    return c;
}

// Acts on what the logic returned: seeks, starts again, asks before
// dropping a game in progress. What only the flow can do it returns: for
// "Play from here" it keeps the moment shown and returns kWatchPlayHere (the
// flow leaves watching, ends the game kept aside and begins the new one);
// for "Back" kWatchLeave. Otherwise kWatchNothing.
int32_t chooseWatchAction(const WatchChoice& choice)
{
    if (choice.action == kWatchSeek)
        beginSeek(choice.seekSeconds);
    else if (choice.action == kWatchAgain) {
        watchPaused = false;
        beginSeek(0);
    } else if (choice.action == kWatchBack)
        return kWatchLeave;
    else if (choice.action == kWatchPlayHere && watchGameKept) {
        watchAsking = true;
        watchEndItem = 1;
    } else if (choice.action == kWatchPlayHere || choice.action == kWatchDropGame) {
        keepMomentShown();
        return kWatchPlayHere;
    } else if (choice.action == kWatchKeepGame)
        watchAsking = false;
    return kWatchNothing;
}

// The shape the step shown was played in (the header's before the first).
float watchedAspect()
{
    return watchStep == 0 ? recordingHeader.viewAspect : stepInput.viewAspect;
}

// "m:ss / m:ss" of the seconds shown and the whole recording.
void formatWatchTime(float seconds, float totalSeconds, char* text, int size)
{
    int shown = (int)seconds, total = (int)totalSeconds;
    snprintf(text, (size_t)size, "%d:%02d / %d:%02d", shown / 60, shown % 60, total / 60, total % 60);
}

// What the bar shows in this frame: the buttons of the state watching is
// in, the hot one, the progress, the speed and the time.
WatchBarPicture watchBarPicture(float width, float height, float seconds, float totalSeconds)
{
    WatchLayout l = watchLayout(width, height, 0);
    WatchBarPicture p = {};
    p.width = width;
    p.height = height;
    p.bar = l.bar;
    for (int32_t b = 0; b < kWatchButtons; b++) {
        p.places[b] = l.buttons[b];
        p.labels[b] = kWatchLabels[b];
        p.shown[b] = buttonShown(b);
    }
    p.labels[kWatchPauseButton] = watchPaused || watchAtEnd ? kStandingLabel : kPlayingLabel;
    p.hot = watchHot;
    p.track = kWatchTrack;
    p.progress = totalSeconds > 0.0f ? fminf(fmaxf(seconds / totalSeconds, 0.0f), 1.0f) : 1.0f;
    p.speedAt = l.speedAt;
    snprintf(p.speedText, sizeof p.speedText, "%gx", (double)kWatchSpeedFactors[watchSpeed]);
    p.timeAt = l.timeAt;
    formatWatchTime(seconds, totalSeconds, p.timeText, (int)sizeof p.timeText);
    p.questionAt = l.questionAt;
    p.question = watchAsking ? kDropQuestion : nullptr;
    return p;
}
