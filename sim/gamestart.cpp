// How every game starts. The flow begins a game with beginGame, which ends
// the recording in progress and starts the next; a replay sets up the game
// its recording describes with setUpGame, the very same way.
#include "sim/gamestart.h"

#include "sim/recordingfile.h"
#include "world/levelgen.h"
#include "world/savefile.h"
#include "world/world.h"

// ---- Constants --------------------------------------------------------------

static const float kStartEnergy = 100.0f;

// ---- Records ----------------------------------------------------------------

// Where a player stands from the start cell's corner, cells.
struct PlayerOffset {
    float x, y;
};

// ---- Tables -------------------------------------------------------------------

static const PlayerOffset kPlayerOffsets[kMaxPlayers] = {
    {0.5f, 0.5f}, {1.5f, 0.5f}, {-0.5f, 0.5f}, {0.5f, 1.5f},
};

// ---- Functions --------------------------------------------------------------

// The players, who lead the actor list, at the start cell with everything
// per player and per game starting over, the camera on the cell.
static void placePlayers(int32_t startX, int32_t startY)
{
    for (int i = 0; i < playerCount; i++)
        addActor(kActorPlayer, startX + kPlayerOffsets[i].x, startY + kPlayerOffsets[i].y, 0, 0, 0);
    for (int i = 0; i < playerCount; i++) {
        energyRegenDelay[i] = 0;
        energy[i] = kStartEnergy;
        healthRegenDelay[i] = 0;
        fireCooldown[i] = 0;
        aimWorldY[i] = 0;
        aimWorldX[i] = 0;
        aimScreenY[i] = 0;
        aimScreenX[i] = 0;
    }
    killCount = 0;
    thinkTick = 0;
    cameraX = startX + 0.5f;
    cameraY = startY + 0.5f;
    cameraZoom = 1.0f;
}

// A fresh city with the players at its start cell. A player count outside
// 1..4 is brought into range so the per-player arrays stay in bounds.
void startNewGame()
{
    if (playerCount < 1)
        playerCount = 1;
    if (playerCount > kMaxPlayers)
        playerCount = kMaxPlayers;
    int32_t startX = 0, startY = 0;
    generateCity(startX, startY);
    placePlayers(startX, startY);
}

// The world as a game of this start begins: a new city for one player from
// the generator as it stands, or the save of saveSize bytes in saveBytes
// (already checked). False when the save does not load.
bool setUpGame(int start, int32_t saveSize)
{
    if (start == kStartLoadedGame)
        return decodeSave(saveSize, true);
    playerCount = 1;
    startNewGame();
    return true;
}

// Begins a game as the player chose it: the game recorded until now ends
// with its score, the world is set up, and its recording starts with the
// generator as it stood before, the view the first step will have and the
// player's best score as it stands. A loaded game's save is in saveBytes,
// already checked. False when the save does not load (the world is then
// unchanged, and so is the recording).
bool beginGame(int start, int32_t saveSize, int64_t date, float viewWidth, float viewHeight, float viewAspect)
{
    uint32_t seed = randomSeed;
    uint64_t draws = randomDraws;
    if (start == kStartLoadedGame && !decodeSave(saveSize, false))
        return false;
    endRecording(killCount);
    setUpGame(start, saveSize);
    RecordingHeader h = {kRecordingFormat, kGameVersion, date, playerCount, viewWidth, viewHeight, viewAspect,
                         start, seed, draws, start == kStartLoadedGame ? saveSize : 0, 0, bestKillCount};
    beginRecording(h, saveBytes);
    return true;
}
