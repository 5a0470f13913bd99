// Geometric queries on the solids: solid tiles (kind below 4), wall boxes and
// turned obstacles, over the 3 x 3 cells around a point. Single precision.
#pragma once

const int kSolidTileKinds = 4;   // tile kinds below this are solid squares

float distance(float x1, float y1, float x2, float y2);
bool circleHitsBox(float x, float y, float r, float bx, float bw, float by, float bh);
bool isBlocked(float x, float y, float r, bool tilesCount);
void pushFromSide(float& x, float& y, float r, float bx, float bw, float by, float bh);
void pushFromNearestPoint(float& x, float& y, float r, float bx, float bw, float by, float bh);
void pushOutOfSolids(float& x, float& y, float r);
