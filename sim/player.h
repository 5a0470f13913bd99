// The player stage of the game step: keyboard and mouse to walking, sprinting,
// aim, gun and throw, then energy, health and the camera that follows.
#pragma once

// ---- Constants --------------------------------------------------------------

const float kQuarterTurn = 1.570796325f;     // radians; turns the key angle so up is -y
const float kWalkAcceleration = 0.011f;      // cells per step unit, per step unit, at magnitude 1
const float kSprintThreshold = 0.75f;        // sprint counts only above this move magnitude
const float kSprintMagnitude = 1.5f;         // replaces the walking magnitude while sprinting
const float kSprintEnergyCost = 0.5f;        // energy per step unit of sprinting
const float kEnergyRegeneration = 0.15f;     // energy per step unit once the pause ran out
const float kMaxEnergy = 100.0f;
const float kMaxHealth = 100.0f;
const float kEnergyPause = 30.0f;            // step units without energy regeneration after effort
const float kGunCooldown = 4.0f;             // step units between two shots
const float kThrowCooldown = 20.0f;          // step units after a throw before any weapon
const int kGunSpreadDraws = 201;             // spread draw, thousandths of a radian
const float kGunSpreadUnit = 0.001f;         // radians per spread draw
const float kGunSpreadHalf = 0.1f;           // radians either side of the facing
const float kGunStartDistance = 0.1f;        // cells from the player to the muzzle
const float kGunRange = 8.0f;                // cells, shortest reach of a shot
const int kGunRangeDraws = 100;              // extra reach draw, hundredths of a cell
const float kGunRangeUnit = 0.01f;           // cells per extra reach draw
const float kGunDamage = 20.0f;              // health a shot takes from a zombie
const float kThrowDistance = 0.25f;          // cells ahead of the player a projectile starts
const float kProjectileSpeed = 0.11f;        // cells per step unit
const float kProjectileFuse = 100.0f;        // fuse of a projectile in flight
const float kOverdraftShare = 0.5f;          // health lost per unit of energy overdrawn
const float kHealthRegeneration = 0.15f;     // health per step unit at full energy
const float kPerCent = 0.01f;                // health and energy are out of 100
const float kCameraEase = 0.1f;              // share of the remaining distance closed per step unit
const float kCameraOnPlayer = 0.75f;         // the camera aims between the player...
const float kCameraOnAim = 0.25f;            // ...and the aim point
const float kZoomSpread = 5.5f;              // cells the view height grows from no health to full
const float kDeathZoom = 2.0f;               // view height at health 0, cells (7.5 at full health)

// ---- Records ----------------------------------------------------------------

// What a player asks for in one step.
struct PlayerControls {
    float moveAngle;      // radians, 0 along +x
    float moveMagnitude;  // 1 when the keys give a direction, else 0
    bool sprint;          // sprint held
    bool gun;             // fire held
    bool throwing;        // throw held
};

// ---- Functions --------------------------------------------------------------

PlayerControls readPlayerControls(int p);
bool runPlayerStage(int p, float f);
