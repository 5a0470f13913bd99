// A new city: the random plan, its wall boxes, cars and props, and where the
// players start.
#pragma once

#include <cstdint>

// Tile kinds laid by the generator.
const int kTileVoid = 0;
const int kTileCentreLine = 4;
const int kTileStreet = 5;
const int kTileWalkway = 7;
const int kTileOpenGround = 8;
const int kTileFloor = 9;
const int kTileWall = 10;
const int kTileOuterDoorway = 11;
const int kTileCorner = 12;
const int kTileJunction = 13;
const int kTileInnerDoorway = 14;
const int kTileInnerWall = 15;
const int kTileMark = 16;        // only while generating

void generateCity(int32_t& startX, int32_t& startY);
void generateLevel();
void buildWallBoxes();
void placeObstacles();
void addWallPiece(int cx, int cy, int rotation, int x0, int y0, int x1, int y1);
void addWallBox(int cx, int cy, float x, float y, float width, float height);
void addObstacle(int cx, int cy, int kind, float x, float y, float a, float b, float angle);
