// Writes the fuzzer's first inputs: saves made by the game's own writer, from
// an empty world with one player, a small busy one and a generated city.
#include <cstdio>
#include <cstdlib>

#include "tests/fullworld.h"
#include "tests/testworld.h"
#include "world/levelgen.h"
#include "world/savefile.h"
#include "world/world.h"

// Encodes the world into dir/name.
static void writeSeed(const char* dir, const char* name)
{
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", dir, name);
    FILE* f = fopen(path, "wb");
    if (!f) {
        perror(path);
        exit(1);
    }
    fwrite(saveBytes, 1, (size_t)encodeSave(), f);
    fclose(f);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <corpus-dir>\n", argv[0]);
        return 2;
    }
    openWorldWith({{kActorPlayer, 130, 131}});
    writeSeed(argv[1], "one-player");
    openWorldWith({{kActorPlayer, 130, 131}, {kActorZombie, 132, 131}, {kActorCivilian, 128, 129}});
    actors[1].hasTarget = 1;
    putWallBox(101, 102, 101.1f, 102.1f, 0.5f, 0.5f);
    putWallBox(101, 102, 101.6f, 102.1f, 0.3f, 0.5f);
    obstacles[120][121][0] = Obstacle{kObstacleCar, 120.5f, 121.5f, 0, 0, 1.5f, 100};
    obstacleCount[120][121] = 1;
    tracers[0] = Tracer{0.5f, 130, 131, 135, 131};
    tracerCount = 1;
    addDecal(kDecalBlood, 131, 131, 0.3f);
    projectiles[0] = Projectile{0, 131, 130, 0.2f, 0, 0, 100};
    projectileCount = 1;
    explosions[0] = Explosion{125, 125, 0.5f, 85};
    explosionCount = 1;
    writeSeed(argv[1], "small-world");
    srand(1);
    playerCount = 2;
    startNewGame();
    writeSeed(argv[1], "city");
    return 0;
}
