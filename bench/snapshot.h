// A snapshot of everything a step changes, so each timed run starts from the
// same world.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/settings.h"
#include "world/world.h"

const int kSavedColumns = 40;     // map columns around the camera restored by a snapshot

// One stretch of memory a step may change.
struct Region {
    void* at;
    size_t size;
};

inline unsigned char savedBytes[2 << 20] = {};   // the snapshot: the regions' bytes one after another
inline int savedFirstColumn = 0;                 // first of the map columns the snapshot holds

// Copies everything a step changes into the snapshot (save) or back out of it:
// the lists and their counts, the per-player values, the camera, and the walls
// of the saved columns.
inline void copySnapshot(bool save)
{
    const int c = savedFirstColumn;
    const Region regions[] = {
        {actors, sizeof actors}, {&actorCount, sizeof actorCount}, {actorTypeCount, sizeof actorTypeCount},
        {tracers, sizeof tracers}, {&tracerCount, sizeof tracerCount},
        {projectiles, sizeof projectiles}, {&projectileCount, sizeof projectileCount},
        {explosions, sizeof explosions}, {&explosionCount, sizeof explosionCount},
        {decals, sizeof decals}, {&decalCount, sizeof decalCount},
        {&killCount, sizeof killCount}, {&thinkTick, sizeof thinkTick},
        {aimScreenX, sizeof aimScreenX}, {aimScreenY, sizeof aimScreenY},
        {aimWorldX, sizeof aimWorldX}, {aimWorldY, sizeof aimWorldY},
        {fireCooldown, sizeof fireCooldown}, {energy, sizeof energy},
        {healthRegenDelay, sizeof healthRegenDelay}, {energyRegenDelay, sizeof energyRegenDelay},
        {&cameraX, sizeof cameraX}, {&cameraY, sizeof cameraY}, {&cameraZoom, sizeof cameraZoom},
        {wallBoxCount[c], kSavedColumns * sizeof wallBoxCount[0]}, {wallBoxes[c], kSavedColumns * sizeof wallBoxes[0]},
    };
    size_t at = 0;
    for (const Region& r : regions) {
        if (at + r.size > sizeof savedBytes)
            abort();
        memcpy(save ? savedBytes + at : (unsigned char*)r.at, save ? r.at : savedBytes + at, r.size);
        at += r.size;
    }
}

// Saves the world around the camera as it stands now.
inline void takeSnapshot()
{
    savedFirstColumn = std::min(std::max((int)cameraX - kSavedColumns / 2, 0), kMapSize - kSavedColumns);
    copySnapshot(true);
}

// Puts back the world the last snapshot saved.
inline void restoreSnapshot() { copySnapshot(false); }
