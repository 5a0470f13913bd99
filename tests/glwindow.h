// The game's window for the drawing tests, and reading its pixels back.
#pragma once

#include <GL/gl.h>
#include <lodepng.h>
#include <unistd.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/settings.h"
#include "render/draw.h"

// One window pixel, 0..255 a channel.
struct Pixel {
    int r, g, b;
};

inline std::ostream& operator<<(std::ostream& out, Pixel p)
{
    return out << "(" << p.r << "," << p.g << "," << p.b << ")";
}

inline bool same(Pixel a, Pixel b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

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

// The whole frame just drawn as RGB bytes, bottom row first.
inline std::vector<unsigned char> wholeFrame()
{
    std::vector<unsigned char> rgb((size_t)screenWidth * (size_t)screenHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, (int)screenWidth, (int)screenHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// One pass of the frame dispatcher's drawing over a magenta that no picture uses.
inline void drawFrame(void (*draw)())
{
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginSpriteDrawing();
    draw();
    endSpriteDrawing();
}

// A texture of RGBA texels made the way the game makes its own: a scratch PNG
// file read by loadTexture (repeating; mipmapped when the setting is on).
inline uint32_t textureOf(int width, int height, const std::vector<unsigned char>& rgba)
{
    std::string path = "/tmp/vg-texture-" + std::to_string(getpid()) + ".png";
    lodepng::encode(path, rgba, width, height);
    uint32_t name = loadTexture(path.c_str());
    remove(path.c_str());
    return name;
}
