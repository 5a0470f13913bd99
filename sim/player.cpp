// The player stage: walking and sprinting, aim, the gun and the thrown
// explosive, the camera and zoom, energy, health regeneration and death.
#include "sim/player.h"

#include <cmath>
#include <cstdlib>

#include "sim/events.h"
#include "sim/shots.h"
#include "sim/step.h"
#include "sim/zombies.h"
#include "world/world.h"

// Keeps a value within -1..1.
static float clampUnit(float v)
{
    if (v < -1.0f)
        return -1.0f;
    if (v > 1.0f)
        return 1.0f;
    return v;
}

// Player 0 walks and aims by the step's input record (its aim on screen is set
// here); a diagonal is never faster than a straight line. Other players
// receive no input: they stand, hold fire and keep their aim.
PlayerControls readPlayerControls(int p)
{
    PlayerControls c = {};
    if (p != 0)
        return c;
    float across = (float)stepInput.moveAcross / (float)kAxisFull;
    float along = (float)stepInput.moveAlong / (float)kAxisFull;
    c.moveAngle = atan2f(across, along) - kQuarterTurn;
    c.moveMagnitude = fminf(sqrtf(across * across + along * along), 1.0f);
    c.sprint = stepInput.sprint;
    c.gun = stepInput.gun;
    c.throwing = stepInput.throwing;
    aimScreenX[0] = (float)stepInput.pointerX / stepInput.viewWidth * 2.0f - 1.0f;
    aimScreenY[0] = (float)stepInput.pointerY / stepInput.viewHeight * 2.0f - 1.0f;
    return c;
}

// Clamps the aim to the view's edge and finds the point it names in the world,
// through the camera of the previous step.
static void aimAcrossView(int p)
{
    aimScreenX[p] = clampUnit(aimScreenX[p]);
    aimScreenY[p] = clampUnit(aimScreenY[p]);
    aimWorldX[p] = cameraX + stepInput.viewAspect * cameraZoom * aimScreenX[p] * 0.5f;
    aimWorldY[p] = cameraY + cameraZoom * aimScreenY[p] * 0.5f;
}

// Sprinting, only when really moving, costs energy (which may go below 0) and
// pauses its regeneration; then the player speeds up along the move angle and
// turns to face the aim point.
static void walk(int p, const PlayerControls& c, float f)
{
    Actor& a = actors[p];
    float magnitude = c.moveMagnitude;
    if (c.sprint && magnitude > kSprintThreshold) {
        magnitude = kSprintMagnitude;
        energy[p] -= kSprintEnergyCost * f;
        energyRegenDelay[p] = kEnergyPause;
    }
    a.vx += cosf(c.moveAngle) * magnitude * kWalkAcceleration * f;
    a.vy += sinf(c.moveAngle) * magnitude * kWalkAcceleration * f;
    a.angle = atan2f(aimWorldY[p] - a.y, aimWorldX[p] - a.x);
}

// One gun shot along the facing, spread at random and of random reach. The
// reach is drawn before the spread.
static void fireGun(int p)
{
    const Actor& a = actors[p];
    int reach = drawRandom() % kGunRangeDraws;
    int spread = drawRandom() % kGunSpreadDraws;
    addGameEvent(kEventShot, a.x, a.y);
    fireTracer(a.angle + spread * kGunSpreadUnit - kGunSpreadHalf, a.x, a.y, kGunStartDistance,
               kGunRange + reach * kGunRangeUnit, kGunDamage, p);
}

// An explosive leaves just ahead of the player along the facing, at its own
// speed whatever the player's; a full list makes none.
static void throwExplosive(int p)
{
    if (projectileCount >= kMaxProjectiles)
        return;
    const Actor& a = actors[p];
    float c = cosf(a.angle);
    float s = sinf(a.angle);
    addGameEvent(kEventThrow, a.x, a.y);
    projectiles[projectileCount++] = Projectile{p, a.x + c * kThrowDistance, a.y + s * kThrowDistance,
                                                c * kProjectileSpeed, s * kProjectileSpeed, a.angle,
                                                kProjectileFuse};
}

// The gun fires whenever it is ready; a throw needs the weapons ready after
// that, so a shot in this step blocks it. Either pauses energy regeneration,
// and both set their cooldown even when nothing could be made.
static void useWeapons(int p, const PlayerControls& c, float f)
{
    fireCooldown[p] -= f;
    if (c.gun && fireCooldown[p] < 0) {
        fireGun(p);
        fireCooldown[p] = kGunCooldown;
        energyRegenDelay[p] = kEnergyPause;
    }
    if (c.throwing && fireCooldown[p] < 0) {
        throwExplosive(p);
        fireCooldown[p] = kThrowCooldown;
        energyRegenDelay[p] = kEnergyPause;
    }
}

// Eases the camera towards a point between the player and the aim, and the
// zoom towards a view that shrinks as health falls. Uses the player as it
// stands before this step's movement.
static void followWithCamera(int p, float f)
{
    const Actor& a = actors[p];
    float targetX = a.x * kCameraOnPlayer + aimWorldX[p] * kCameraOnAim;
    float targetY = a.y * kCameraOnPlayer + aimWorldY[p] * kCameraOnAim;
    float targetZoom = a.health * kPerCent * kZoomSpread + kDeathZoom;
    cameraX += (targetX - cameraX) * kCameraEase * f;
    cameraY += (targetY - cameraY) * kCameraEase * f;
    cameraZoom += (targetZoom - cameraZoom) * kCameraEase * f;
}

// Energy overdrawn by sprinting is paid for with half as much health and a
// health pause; otherwise energy comes back once its pause has run out.
static void restoreEnergy(int p, float f)
{
    if (energy[p] < 0) {
        actors[p].health += energy[p] * kOverdraftShare;
        healthRegenDelay[p] = kPlayerHurtPause;
        energy[p] = 0;
    }
    energyRegenDelay[p] -= f;
    if (energyRegenDelay[p] < 0)
        energy[p] = fminf(energy[p] + kEnergyRegeneration * f, kMaxEnergy);
}

// Health comes back, once its pause has run out, in proportion to the energy
// left: 0.15 per step unit at full energy, nothing at none.
static void restoreHealth(int p, float f)
{
    healthRegenDelay[p] -= f;
    if (healthRegenDelay[p] < 0)
        actors[p].health =
            fminf(actors[p].health + energy[p] * kHealthRegeneration * kPerCent * f, kMaxHealth);
}

// One player's part of the step, in order: controls, aim, walking, weapons,
// camera, energy, death, health. True when the player is dead, which ends the
// game at the end of the step.
bool runPlayerStage(int p, float f)
{
    PlayerControls c = readPlayerControls(p);
    aimAcrossView(p);
    walk(p, c, f);
    useWeapons(p, c, f);
    followWithCamera(p, f);
    restoreEnergy(p, f);
    bool dead = actors[p].health <= 0;
    if (dead) {
        actors[p].health = 0;
        addGameEvent(kEventPlayerDied, actors[p].x, actors[p].y);
    }
    restoreHealth(p, f);
    return dead;
}
