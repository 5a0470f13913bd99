// The heads-up display over the world view.
#include "render/view.h"

// Drawn last in every frame of play, over the world. Empty for now: the health
// and energy bars, the vignettes and the kill counts come later.
void drawHud()
{
}
