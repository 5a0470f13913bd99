// "save.dat" (one saved game) and "stats.dat" (the best kill count).
#pragma once

void saveGame();
void loadGame();
void readBestScore();
void writeBestScore();
