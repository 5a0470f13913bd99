// Writes the fuzzer's first inputs: saves made by the game's own writer, from
// an empty world with one player, a busy one and a generated city.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fullworld.h"
#include "tests/testworld.h"
#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/savefile.h"
#include "world/world.h"

// Encodes the world into dir/name; exits on a failed write.
static void writeSeed(const char* dir, const char* name)
{
    std::string path = std::string(dir) + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    size_t size = (size_t)encodeSave();
    if (!f || fwrite(saveBytes, 1, size, f) != size || fclose(f) != 0) {
        perror(path.c_str());
        exit(1);
    }
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <corpus-dir>\n", argv[0]);
        return 2;
    }
    openWorldWith({{kActorPlayer, 130, 131}});
    writeSeed(argv[1], "one-player");
    fillBusyLists(2);
    putWallBox(101, 102, 101.1f, 102.1f, 0.5f, 0.5f);
    putWallBox(101, 102, 101.6f, 102.1f, 0.3f, 0.5f);
    obstacles[120][121][0] = Obstacle{kObstacleCar, 120.5f, 121.5f, 0, 0, 1.5f, 100};
    obstacleCount[120][121] = 1;
    writeSeed(argv[1], "busy-world");
    srand(1);
    playerCount = 2;
    startNewGame();
    writeSeed(argv[1], "city");
    return 0;
}
