// Placeholder until the collision queries land: nothing is solid.
#include "sim/collision.h"

float distance(float, float, float, float) { return 0; }
bool circleHitsBox(float, float, float, float, float, float, float) { return false; }
bool isBlocked(float, float, float, bool) { return false; }
void pushFromSide(float&, float&, float, float, float, float, float) {}
void pushFromNearestPoint(float&, float&, float, float, float, float, float) {}
void pushOutOfSolids(float&, float&, float) {}
