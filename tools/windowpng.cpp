// Reads the window back and writes it top-down as an opaque PNG.
#include "tools/windowpng.h"

#include <GL/gl.h>
#include <lodepng.h>

#include <vector>

// glReadPixels gives rows from the bottom up; the PNG wants them top-down.
bool writeWindowPng(const char* path, int width, int height)
{
    std::vector<unsigned char> bottomUp((size_t)width * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<unsigned char> page(bottomUp.size());
    size_t row = (size_t)width * 4;
    for (int y = 0; y < height; y++)
        for (size_t i = 0; i < row; i++)
            page[y * row + i] = (i % 4 == 3) ? 255 : bottomUp[(height - 1 - y) * row + i];
    return lodepng::encode(path, page, width, height) == 0;
}
