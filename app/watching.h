// Watching a recorded game inside the game's window: the recording plays at
// its recorded pace times a chosen speed, with its sounds, under a bar that
// shows the progress and the time and takes pause, speed and seeking; at the
// end the last picture stays with "Watch again" and "Back", and "Play from
// here" turns the moment watched into a new game of the player's own. The
// logic reads an input record and returns an action, as the menus do; the
// flow acts on it. Watching never writes a player's file.
#pragma once

#include <cstdint>

#include "render/menu.h"
#include "render/watchbar.h"

// ---- Constants --------------------------------------------------------------

const int kWatchSpeeds = 6;                  // entries of kWatchSpeedFactors
const int kWatchNormalSpeed = 2;             // index of 1x
const float kWatchSeekSeconds = 10.0f;       // an arrow key or the pad's hat seeks this far
const float kWatchBarHeight = 48.0f;         // window pixels along the bottom

// Actions of the watching logic, for the flow to act on.
const int32_t kWatchNothing = 0;
const int32_t kWatchSeek = 31;               // seek to WatchChoice::seekSeconds
const int32_t kWatchBack = 32;               // leave to the state watching began from
const int32_t kWatchAgain = 33;              // back to the start and play
const int32_t kWatchPlayHere = 34;           // a new game from the moment shown
const int32_t kWatchDropGame = 35;           // yes, drop the game in progress for it
const int32_t kWatchKeepGame = 36;           // no, keep watching
const int32_t kWatchLeave = 37;              // watching is done: back to watchBackState

// The clickable places of the bar and the end's panel, kWatchButtons of them.
enum WatchButton {
    kWatchPauseButton,    // pause and resume
    kWatchSlowerButton,   // half the speed
    kWatchFasterButton,   // twice the speed
    kWatchTrack,          // the progress track: a click seeks there
    kWatchPlayHereButton, // "Play from here"
    kWatchAgainButton,    // "Watch again", at the end
    kWatchBackButton,     // "Back", at the end
    kWatchYesButton,      // drop the game in progress: yes
    kWatchNoButton,       // and no
    kWatchButtons
};
const int32_t kWatchNoButtonHot = -1;        // no button under the pointer
static_assert(kWatchButtons == kWatchPlaces, "the drawing has a place for every button");

// ---- Records ----------------------------------------------------------------

// What the watching logic reads in one pass, filled from live input.
struct WatchInput {
    MenuInput menu;          // pointer, left click, pad highlight moves, A and B
    float windowWidth;       // pixels
    float windowHeight;      // pixels
    bool pause;              // Space went down
    int32_t speedStep;       // -1 slower (down arrow), 1 faster (up arrow), 0 neither
    int32_t seekStep;        // -1 back 10 s (left arrow, hat left), 1 on (right), 0 neither
    bool escape;             // Escape went down: back
    bool playHere;           // the play-from-here key or the pad's Start went down
    bool enter;              // Return went down: the highlighted end entry
};

// Where the bar's parts lie in a window of a given size.
struct WatchLayout {
    WatchRect bar;                       // the whole bar along the bottom
    WatchRect buttons[kWatchButtons];    // each clickable place
    WatchRect speedAt;                   // the speed, between its buttons
    WatchRect timeAt;                    // the time, right of the track
    WatchRect questionAt;                // the question, over the panel
    WatchRect picture;                   // the recorded shape letterboxed in the window
};

// What one pass of the logic gave.
struct WatchChoice {
    int32_t action;          // kWatchNothing or a kWatch action
    float seekSeconds;       // kWatchSeek: seconds of play to seek to
};

// ---- Globals ----------------------------------------------------------------

extern const float kWatchSpeedFactors[kWatchSpeeds];  // 0.25, 0.5, 1, 2, 4, 8 times the recorded pace
extern bool watchOffersPlayHere;     // "Play from here" is offered (not by the replay program, which starts no game)
extern int32_t watchBackState;       // the game state Escape and "Back" return to
extern int32_t watchSpeed;           // index into kWatchSpeedFactors, 0..kWatchSpeeds-1
extern bool watchPaused;             // the recording stands still
extern bool watchAtEnd;              // the last step was played: the end's panel shows
extern bool watchAsking;             // "Play from here" asks before dropping the game in progress
extern bool watchGameKept;           // a game was in progress when watching began, kept aside
extern int32_t watchHot;             // WatchButton under the pointer or highlighted, or kWatchNoButtonHot
extern int32_t watchEndItem;         // the end's entry the pad highlights: 0 "Watch again", 1 "Back"
extern int32_t watchBestScore;       // the best score the recording holds, or kNoBestScore
extern float watchDueMilliseconds;   // recorded play time of the steps shown so far, ms
extern float watchPlayedMilliseconds;  // recorded play time that should have been shown, ms

// ---- Functions --------------------------------------------------------------

bool beginWatching(const char* path, int32_t backState);
WatchLayout watchLayout(float width, float height, float recordedAspect);
WatchChoice readWatchInput(const WatchInput& in, float seconds, float totalSeconds);
int32_t chooseWatchAction(const WatchChoice& choice);
bool beginGameFromMoment();
void advanceWatchPace(float elapsedMilliseconds);
void watchFrame(float elapsedMilliseconds);
void leaveWatching();
float watchedAspect();
void formatWatchTime(float seconds, float totalSeconds, char* text, int size);
WatchBarPicture watchBarPicture(float width, float height, float seconds, float totalSeconds);
