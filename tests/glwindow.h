// The game's own window for the drawing tests, and reading its pixels back.
#pragma once

#include <GL/gl.h>

#include <ostream>

#include "app/display.h"
#include "app/settings.h"
#include "render/draw.h"

// One window pixel, 0..255 a channel.
struct Pixel {
    int r, g, b;
};

inline std::ostream& operator<<(std::ostream& out, Pixel p)
{
    return out << "(" << p.r << "," << p.g << "," << p.b << ")";
}

// Opens the game's window at the given size with its sprite and font tables cut.
inline void openGameWindow(int width, int height)
{
    screenWidth = (float)width;
    screenHeight = (float)height;
    setupDisplay();
    buildFrameTables();
    buildGlyphFrames();
}

// The pixel at (x, y) of the frame just drawn, counted from the window's top-left corner.
inline Pixel pixelAt(int x, int y)
{
    unsigned char rgb[3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, (int)screenHeight - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}
