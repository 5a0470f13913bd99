// Placeholder until the city generator lands.
#include "world/levelgen.h"

void startNewGame() {}
void generateLevel() {}
void buildWallBoxes() {}
void placeObstacles() {}
void addWallPiece(int, int, int, int, int, int, int) {}
void addWallBox(int, int, float, float, float, float) {}
void addObstacle(int, int, int, float, float, float, float, float) {}
