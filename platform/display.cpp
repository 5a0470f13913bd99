// Opens the window with its OpenGL context and sets the fixed GL state.
#include "platform/display.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdlib>

#include "platform/settings.h"

SDL_Surface* screenSurface = nullptr;
float fieldOfViewY = 0;
int32_t desktopWidth = 0;
int32_t desktopHeight = 0;

static const char* const kWindowCaption = "Vellgrave 2";
static const int kColourBits = 5;
static const int kDepthBits = 16;
static const int kMultisamples = 4;
static const float kFieldOfViewY = 45;     // degrees
static const double kNearPlane = 1.0;
static const double kFarPlane = 1000.0;
static const char* const kVideoDriver = "x11";  // the only SDL driver here that gives an OpenGL window

// With no X display SDL would fall back to its text-mode drivers, which take
// over the terminal and can never give an OpenGL window. Only the windowing
// driver is tried, unless the player chose a driver through SDL's own variable.
static void chooseVideoDriver()
{
    setenv("SDL_VIDEODRIVER", kVideoDriver, 0);
}

// Asks for a double-buffered 5/5/5 colour, 16-bit depth context, and four-sample
// multisampling when antialiasing is on.
static void requestContextAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, kColourBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, kColourBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, kColourBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kDepthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (antialiasing) {
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 1);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, kMultisamples);
    }
}

// A zero width or height in the settings becomes the desktop's: a video mode
// asked with a zero dimension comes back at the desktop size.
static void probeDesktopSize()
{
    if (screenWidth != 0 && screenHeight != 0)
        return;
    SDL_Surface* probe = SDL_SetVideoMode(settingToInt(screenWidth), settingToInt(screenHeight),
                                          screenBpp, SDL_DOUBLEBUF);
    if (!probe) {
        SDL_Quit();
        exit(kExitNoVideoMode);
    }
    screenWidth = (float)probe->w;
    screenHeight = (float)probe->h;
    aspectRatio = screenWidth / screenHeight;
    SDL_FreeSurface(probe);
}

// The GL state every frame relies on: depth test, smooth shading, back faces
// culled (all quads are wound counter-clockwise), alpha blending and alpha test.
static void setFixedGlState()
{
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.0f);
}

// The flags of a video mode: OpenGL, and full screen when asked.
static Uint32 modeFlags(bool full)
{
    return full ? (SDL_OPENGL | SDL_FULLSCREEN) : SDL_OPENGL;
}

// Sets up the GL context of the surface just obtained and publishes its
// metrics: viewport, start-up projection, fixed state, size, depth, shape.
static void takeSurface(SDL_Surface* surface)
{
    screenSurface = surface;
    glViewport(0, 0, screenSurface->w, screenSurface->h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewY, (double)screenSurface->w / screenSurface->h, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    setFixedGlState();
    screenWidth = (float)screenSurface->w;
    screenHeight = (float)screenSurface->h;
    screenBpp = screenSurface->format->BitsPerPixel;
    aspectRatio = screenWidth / screenHeight;
    SDL_ShowCursor(showCursor ? 1 : 0);
}

// Opens the window or full screen with its GL context and publishes the display
// metrics of the surface obtained. Ends the process with 1 or 3 on failure.
void setupDisplay()
{
    fieldOfViewY = kFieldOfViewY;
    chooseVideoDriver();
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        exit(kExitNoSdl);
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    desktopWidth = desktop ? desktop->current_w : 0;
    desktopHeight = desktop ? desktop->current_h : 0;
    SDL_WM_SetCaption(kWindowCaption, nullptr);
    requestContextAttributes();
    probeDesktopSize();
    SDL_Surface* surface = SDL_SetVideoMode(settingToInt(screenWidth), settingToInt(screenHeight),
                                            screenBpp, modeFlags(fullscreen));
    if (!surface) {
        SDL_Quit();
        exit(kExitNoVideoMode);
    }
    takeSurface(surface);
}

// Sets the video mode again while running (0 x 0 is the desktop's size). SDL
// makes a new GL context, so the caller loads every texture again. A mode the
// display refuses leaves the old one, and false; should even the old one
// fail now, the game ends as it would at start.
bool changeVideoMode(int32_t width, int32_t height, bool full)
{
    int w = width > 0 ? width : desktopWidth, h = height > 0 ? height : desktopHeight;
    int oldWidth = screenSurface->w, oldHeight = screenSurface->h;
    bool oldFull = fullscreen;
    if (w <= 0 || h <= 0 || SDL_VideoModeOK(w, h, screenBpp, modeFlags(full)) == 0)
        return false;
    SDL_Surface* surface = SDL_SetVideoMode(w, h, screenBpp, modeFlags(full));
    bool set = surface != nullptr;
    if (!set)
        surface = SDL_SetVideoMode(oldWidth, oldHeight, screenBpp, modeFlags(oldFull));
    if (!surface) {
        SDL_Quit();
        exit(kExitNoVideoMode);
    }
    fullscreen = set ? full : oldFull;
    takeSurface(surface);
    return set;
}

// The full-screen modes the display lists, largest first, up to room of
// them; 0 when it lists none or takes any size.
int listVideoModes(int32_t* widths, int32_t* heights, int room)
{
    SDL_Rect** modes = SDL_ListModes(nullptr, modeFlags(true));
    int count = 0;
    if (modes == nullptr || modes == (SDL_Rect**)-1)
        return 0;
    for (int i = 0; modes[i] && count < room; i++, count++) {
        widths[count] = modes[i]->w;
        heights[count] = modes[i]->h;
    }
    return count;
}

// Shows or hides the system pointer over the window.
void showSystemPointer(bool shown)
{
    SDL_ShowCursor(shown ? 1 : 0);
}

// Lets SDL gather the waiting window, keyboard, mouse and joystick events
// into its queue, for the pollers to take.
void pumpEvents()
{
    SDL_PumpEvents();
}

// Discards what the pollers left in the queue; true when it held the window
// closing.
bool drainEvents()
{
    bool closed = false;
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_ALLEVENTS) > 0)
        if (event.type == SDL_QUIT)
            closed = true;
    return closed;
}

// Clears the back buffer's colour for a new frame. Nothing is drawn with the
// depth test on, so clearing the depth too would only cost a pass over memory.
void clearDisplay()
{
    glClear(GL_COLOR_BUFFER_BIT);
}

// Shows the frame drawn in the back buffer.
void swapDisplay()
{
    SDL_GL_SwapBuffers();
}

// Whether the window has the mouse focus now.
bool displayHasMouse()
{
    return (SDL_GetAppState() & SDL_APPMOUSEFOCUS) != 0;
}

// Closes the window and whatever else of SDL is still open.
void closeDisplay()
{
    SDL_Quit();
}
