// Writes "save.dat" in the working directory: a new city for several players,
// from a fixed seed. The game itself only ever starts games for one player;
// this save lets a recorded game continue a game of four.
#include <cstdio>
#include <cstdlib>

#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/savefile.h"
#include "world/world.h"

static const uint32_t kPartySeed = 20261207;

int main(int argc, char** argv)
{
    int players = argc > 1 ? atoi(argv[1]) : kMaxPlayers;
    seedRandom(kPartySeed);
    playerCount = players;
    startNewGame();
    if (!saveGame()) {
        fprintf(stderr, "partysave: could not write save.dat\n");
        return 1;
    }
    return 0;
}
