// The best score in "stats.dat": 4 bytes, a little-endian int32.
#include "world/savefile.h"

#include <cstdio>

#include "world/world.h"

// Writes the whole world to "save.dat" (not built yet: nothing is saved).
void saveGame()
{
}

// Replaces the world by "save.dat" (not built yet: the world is only emptied).
void loadGame()
{
    resetWorld();
}

// bestKillCount from "stats.dat"; a missing or short file leaves it as it was.
void readBestScore()
{
    FILE* file = fopen("stats.dat", "rb");
    if (!file)
        return;
    unsigned char bytes[4];
    if (fread(bytes, 1, 4, file) == 4)
        bestKillCount = (int32_t)((uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 |
                                  (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24);
    fclose(file);
}

// Writes bestKillCount to "stats.dat"; a file that cannot be opened is skipped.
void writeBestScore()
{
    FILE* file = fopen("stats.dat", "wb");
    if (!file)
        return;
    uint32_t v = (uint32_t)bestKillCount;
    unsigned char bytes[4] = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16),
                              (unsigned char)(v >> 24)};
    fwrite(bytes, 1, 4, file);
    fclose(file);
}
