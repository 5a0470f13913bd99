// Overlay work of each pass. The pause menu is not built yet, so the overlay
// only paces the frame and stays closed.
#include "overlay/overlay.h"

#include "app/app.h"

float pauseFade = 0;

// Loads the overlay sheet (nothing to load until the pause menu exists).
void initOverlay()
{
}

// Paces and measures the frame; it always comes first in the overlay's pass.
void overlayFrame()
{
    measureFrame();
}
