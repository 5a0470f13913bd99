// One step of the game world.
#pragma once

void stepGame(float speedFactor);
