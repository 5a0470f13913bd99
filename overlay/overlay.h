// The pixel-space layer over everything: pause menu over a frozen frame,
// frame-rate line, pointer sprite and screenshots.
#pragma once

extern float pauseFade;         // 0..100: 0 closed, 100 fully open; the game runs only at 0

void initOverlay();
void overlayFrame();
