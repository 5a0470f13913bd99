// Watching's drawing: the recorded world letterboxed in the window in the
// shape it was played in, with the HUD's best score from the recording; and
// the bar from a plain record of what to show (filled by the watching logic,
// which owns the layout and the input), drawn in window pixels along the
// bottom of the window, with the end's panel above it.
#pragma once

#include <cstdint>

// ---- Constants --------------------------------------------------------------

const int kWatchPlaces = 9;                  // clickable places of the bar and its panel
const int kWatchBarTextLength = 32;          // room for the time or the speed

// ---- Records ----------------------------------------------------------------

// A rectangle of window pixels, y down.
struct WatchRect {
    float x0, y0, x1, y1;
};

// Everything one frame of the bar shows.
struct WatchBarPicture {
    float width, height;                     // the window, pixels
    WatchRect bar;                           // the strip along the bottom
    WatchRect places[kWatchPlaces];          // each clickable place
    const char* labels[kWatchPlaces];        // the text on each, null for none
    bool shown[kWatchPlaces];                // drawn in this frame
    int32_t hot;                             // the place highlighted, or -1
    int32_t track;                           // the place that is the progress track
    float progress;                          // share of the track filled, 0..1
    WatchRect speedAt;                       // where the speed is written
    char speedText[kWatchBarTextLength];     // "0.25x" .. "8x"
    WatchRect timeAt;                        // where the time is written
    char timeText[kWatchBarTextLength];      // "m:ss / m:ss"
    WatchRect questionAt;                    // where the question is written
    const char* question;                    // a line over the panel, or null
};

// ---- Functions --------------------------------------------------------------

void renderWatchedWorld(const WatchRect& picture, int32_t bestScore, float windowWidth, float windowHeight);
void drawWatchBar(const WatchBarPicture& p);
