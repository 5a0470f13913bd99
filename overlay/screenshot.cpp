// Screenshots: the frame captured when the pause menu opened, written as the
// next free "screenshot%d.png" in the working directory.
#include <lodepng.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "overlay/overlay.h"
#include "platform/settings.h"

// ---- Constants --------------------------------------------------------------

static const char* const kScreenshotName = "screenshot%d.png";
static const char* const kCommentKey = "Comment";
static const char* const kCommentText = "Created with LodePNG";
static const unsigned kDeflateWindow = 2048;  // bytes the encoder looks back for repeats

// ---- Functions --------------------------------------------------------------

// Turns the bottom-up RGBA capture into top-down RGB rows. The alpha the
// window happened to hold is dropped: a screenshot is always opaque.
void uprightCapture(const uint8_t* capture, int width, int height, uint8_t* rgb)
{
    for (int r = 0; r < height; r++) {
        const uint8_t* from = capture + (size_t)(height - 1 - r) * (size_t)width * 4;
        uint8_t* to = rgb + (size_t)r * (size_t)width * 3;
        for (int c = 0; c < width; c++) {
            to[3 * c] = from[4 * c];
            to[3 * c + 1] = from[4 * c + 1];
            to[3 * c + 2] = from[4 * c + 2];
        }
    }
}

// Encodes opaque RGB rows as an 8-bit RGB PNG with our comment, then the
// encoder's own name, as plain text chunks; the encoder keeps its own filter
// and matching choices, with a short look-back window. Returns the encoder's
// error, 0 when png holds the file.
unsigned encodeScreenshot(const uint8_t* rgb, int width, int height, std::vector<unsigned char>& png)
{
    lodepng::State state;
    state.encoder.zlibsettings.windowsize = kDeflateWindow;
    state.encoder.auto_convert = 0;
    state.encoder.text_compression = 0;
    state.encoder.add_id = 1;
    state.info_raw.colortype = LCT_RGB;
    state.info_raw.bitdepth = 8;
    state.info_png.color.colortype = LCT_RGB;
    state.info_png.color.bitdepth = 8;
    unsigned error = lodepng_add_text(&state.info_png, kCommentKey, kCommentText);
    if (error == 0)
        error = lodepng::encode(png, rgb, (unsigned)width, (unsigned)height, state);
    return error;
}

// Writes the PNG under the first free name from screenshot1.png on. Each name
// is created exclusively, so an existing file, readable or not, is never
// touched; a file that could not be written whole is removed again. Returns
// whether a file was written; its name is left in name.
bool writeNewScreenshot(const std::vector<unsigned char>& png, char* name, size_t nameSize)
{
    for (int n = 1; n < INT_MAX; n++) {
        snprintf(name, nameSize, kScreenshotName, n);
        FILE* file = fopen(name, "wbx");
        if (!file && errno == EEXIST)
            continue;
        if (!file)
            return false;
        bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
        written = fclose(file) == 0 && written;
        if (!written)
            remove(name);
        return written;
    }
    return false;
}

// Saves a bottom-up RGBA capture as the next screenshot, using rgb (3 bytes a
// pixel) for the upright rows. Nothing is written when encoding fails, nor
// for a picture without pixels, which the encoder would turn into a broken file.
bool saveCaptureAsPng(const uint8_t* capture, int width, int height, uint8_t* rgb)
{
    if (width <= 0 || height <= 0)
        return false;
    uprightCapture(capture, width, height, rgb);
    std::vector<unsigned char> png;
    if (encodeScreenshot(rgb, width, height, png) != 0 || png.empty())
        return false;
    char name[64];
    return writeNewScreenshot(png, name, sizeof name);
}

// The pause menu's "Save screenshot": the frame captured when the menu opened.
// True once the file is written.
bool saveScreenshot()
{
    return frameCapture && screenshotPixels &&
           saveCaptureAsPng(frameCapture, (int)screenWidth, (int)screenHeight, screenshotPixels);
}
