// The game flow, kept apart from drawing and from the step: new games, loads
// and saves from the menu, the recording of every game, and the best score
// when a game ends. A replay runs the same step without any of this.
#include "app/flow.h"

#include <ctime>

#include "app/app.h"
#include "app/input.h"
#include "app/settings.h"
#include "app/sound.h"
#include "sim/gamestart.h"
#include "sim/recordingfile.h"
#include "sim/step.h"
#include "world/savefile.h"
#include "world/world.h"

// A fresh city for one player; the game that was recorded until now ends.
static void beginNewGame()
{
    beginGame(kStartNewCity, 0, (int64_t)time(nullptr), screenWidth, screenHeight, aspectRatio);
    gameState = kStatePlaying;
}

// Replaces the game by "save.dat" when it is one sound save; otherwise the
// menu stays open and the game in progress goes on as it was.
static void beginLoadedGame()
{
    int32_t size = readSave();
    if (size < 0 || !beginGame(kStartLoadedGame, size, (int64_t)time(nullptr), screenWidth, screenHeight, aspectRatio))
        return;
    gameState = kStatePlaying;
}

// Acts on the entry chosen in the main menu: resume, a new game, a save (then
// play on) or a load.
void chooseMenuEntry(int choice)
{
    if (choice == kMenuResume)
        gameState = kStatePlaying;
    else if (choice == kMenuNewGame)
        beginNewGame();
    else if (choice == kMenuSaveGame) {
        saveGame();
        gameState = kStatePlaying;
    } else if (choice == kMenuLoadGame)
        beginLoadedGame();
}

// Ends the recorded game, if one is being recorded, keeping its file.
void finishGame()
{
    endRecording(killCount);
}

// One step of play from this pass's input, recorded as it goes, and the sounds
// of what happened in it. A death ends the game: a beaten best score is kept
// on disk and the recording is written.
void playStep(float speedFactor)
{
    readStepInput(speedFactor);
    recordStep(stepInput);
    stepGame(stepInput.speedFactor);
    playStepSounds(stepInput.speedFactor);
    recordStepResult();
    if (gameState != kStateTitleMenu)
        return;
    if (killCount > bestKillCount) {
        bestKillCount = killCount;
        writeBestScore();
    }
    finishGame();
}
