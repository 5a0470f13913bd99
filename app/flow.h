// The game flow: what the main menu's entries do, one played step with its
// recording, and the end of a game with its best score.
#pragma once

const int kMenuNothing = 0;          // no entry chosen in this pass
const int kMenuResume = 1;
const int kMenuNewGame = 2;
const int kMenuSaveGame = 3;
const int kMenuLoadGame = 4;

void chooseMenuEntry(int choice);
void playStep(float speedFactor);
void finishGame();
