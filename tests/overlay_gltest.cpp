// The overlay drawn for real into the game's window: pieces from the dashboard
// sheet, their window rectangles, the frozen picture of the pause menu and the
// screenshot of it.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <algorithm>
#include <vector>

#include <SDL/SDL.h>

#include "app/app.h"
#include "app/flow.h"
#include "overlay/overlay.h"
#include "platform/input.h"
#include "tests/glwindow.h"
#include "tests/scratchdir.h"

namespace {

const int kWidth = 640;
const int kHeight = 480;

// Columns and rows of the lit pixels of the frame just drawn.
struct LitBox {
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
};

LitBox litBox()
{
    std::vector<unsigned char> rgb = wholeFrame();
    LitBox box;
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++)
            if (rgb[((kHeight - 1 - y) * kWidth + x) * 3] > 127) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

void clearTo(float r, float g, float b)
{
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

struct Overlay : ::testing::Test {
    static void SetUpTestSuite()
    {
        openGameWindow(kWidth, kHeight);
        initOverlay();
    }

    void SetUp() override
    {
        pauseMenuOpen = false;
        pauseFade = 0;
        showFrameRate = false;
        keyState[SDLK_ESCAPE] = kInputUp;
        mouseButtonState[SDL_BUTTON_LEFT] = kInputUp;
        clearTo(0, 0, 0);
    }

    // One pass of the main loop's overlay part, Escape going down in it or not.
    static void overlayPass(bool escape)
    {
        keyState[SDLK_ESCAPE] = escape ? kInputPressed : kInputHeld;
        runOverlay();
    }
};

// The pointer comes from the loaded picture; a sheet made without the picture
// is transparent, and with no sheet at all nothing is drawn either.
TEST_F(Overlay, PiecesComeFromTheDashboardPictureAndVanishWithoutIt)
{
    ASSERT_NE(dashboardTexture, 0u);
    drawPointer(100, 100);
    EXPECT_GT(pixelAt(103, 112).r, 200);  // inside the white arrow below its tip
    EXPECT_EQ(pixelAt(95, 95).r, 0);      // above and left of the tip
    uint32_t loaded = dashboardTexture;
    dashboardTexture = loadDashboardSheet("Media/no-such-picture.png");
    EXPECT_NE(dashboardTexture, 0u);
    clearTo(0, 0, 0);
    drawPointer(100, 100);
    drawPanel(25, 25, 40, 0);
    EXPECT_EQ(litBox().right, -1);
    glDeleteTextures(1, &dashboardTexture);
    dashboardTexture = 0;
    drawOverlayText(10, 10, "Exit");
    EXPECT_EQ(litBox().right, -1);
    dashboardTexture = loaded;
}

// With an opaque white sheet every piece shows its whole window rectangle.
TEST_F(Overlay, PanelsAndTextCoverTheirWindowRectangles)
{
    uint32_t loaded = dashboardTexture;
    dashboardTexture = textureOf(1024, 256, std::vector<unsigned char>(1024 * 256 * 4, 255));
    drawPanel(25, 25, 10, 0);
    LitBox panel = litBox();
    EXPECT_EQ(panel.left, 5);
    EXPECT_EQ(panel.right, 344);
    EXPECT_EQ(panel.top, 4);
    EXPECT_EQ(panel.bottom, 53);
    clearTo(0, 0, 0);
    drawOverlayText(380, 100, "Exit");  // "Exit" centred on column 400
    LitBox text = litBox();
    EXPECT_EQ(text.left, 375);
    EXPECT_EQ(text.right, 424);
    EXPECT_EQ(text.top, 100);
    EXPECT_EQ(text.bottom, 119);
    glDeleteTextures(1, &dashboardTexture);
    dashboardTexture = loaded;
}

// The frame of the pass in which Escape went down stays on the window while
// the overlay shows, whatever is drawn underneath: also when Escape re-opens
// the menu while it closes (no new capture), and in the last closing pass;
// the pass after that shows the game again. Column 5 lies beside the buttons
// and between the bars.
TEST_F(Overlay, PauseShowsTheFrameOfTheOpeningPassUntilFullyClosed)
{
    clearTo(1, 0, 0);
    pausePadItem = 2;
    overlayPass(true);
    EXPECT_EQ(pausePadItem, 0) << "an opening overlay highlights its first button for the pad";
    EXPECT_EQ(frameCapture[0], 255);
    EXPECT_EQ(frameCapture[2], 0);
    const bool escapes[] = {false, true, true, true, false};   // open, closing, open again, closing, closed
    for (bool escape : escapes) {
        clearTo(0, escape ? 1 : 0, 1);
        overlayPass(escape);
        EXPECT_EQ(pixelAt(5, 240).r, 255) << "fade now " << pauseFade;
    }
    EXPECT_EQ(frameCapture[1], 0);
    EXPECT_EQ(pauseFade, 0.0f);
    clearTo(0, 0, 1);
    overlayPass(false);
    EXPECT_EQ(pixelAt(5, 240).b, 255);
}

// The screenshot shows the captured frame with its top row at the top.
TEST_F(Overlay, ScreenshotIsTheCapturedFrameUpright)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, kHeight - 10, kWidth, 10);  // window rows 0..9
    clearTo(1, 0, 0);
    glDisable(GL_SCISSOR_TEST);
    overlayPass(true);
    ScratchDir scratch;
    enterScratchDir(scratch, "overlay-gl");
    choosePauseEntry(kPauseScreenshot);
    overlayPass(false);
    EXPECT_FALSE(screenshotWanted);
    std::vector<unsigned char> pixels;
    unsigned w = 0, h = 0;
    unsigned error = lodepng::decode(pixels, w, h, "screenshot1.png", LCT_RGB);
    leaveScratchDir(scratch);
    ASSERT_EQ(error, 0u);
    EXPECT_EQ(w, (unsigned)kWidth);
    EXPECT_EQ(h, (unsigned)kHeight);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[9 * kWidth * 3], 255);
    EXPECT_EQ(pixels[10 * kWidth * 3], 0);
}

}  // namespace
