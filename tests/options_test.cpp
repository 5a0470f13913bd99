// The options screen's logic driven by input records as the menus give them,
// and the values it writes read back by the game's own readers. Key names
// come from SDL on the dummy driver; files go to a scratch directory.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/settings.h"
#include "app/sound.h"
#include "options/options.h"
#include "tests/scratchdir.h"

namespace {

const WindowSize kDesktop = {1920, 1080};
const WindowSize kModes[] = {{1920, 1080}, {1600, 1200}, {1280, 1024}, {800, 600}, {2560, 1600}};

// An input record of a 1280 x 720 window with nothing pressed, the pointer
// off the rows.
OptionsInput idle()
{
    OptionsInput in = {};
    in.windowWidth = 1280;
    in.windowHeight = 720;
    return in;
}

OptionsInput choose() { OptionsInput in = idle(); in.choose = true; return in; }
OptionsInput back() { OptionsInput in = idle(); in.back = true; return in; }
OptionsInput step(int32_t by) { OptionsInput in = idle(); in.step = by; return in; }
OptionsInput adjust(int32_t by) { OptionsInput in = idle(); in.adjust = by; return in; }
OptionsInput key(int32_t symbol) { OptionsInput in = idle(); in.keyPressed = symbol; return in; }

// A click at window pixels, the row under it taken from the layout.
OptionsInput clickAt(int32_t x, int32_t y)
{
    OptionsInput in = idle();
    in.pointerX = x, in.pointerY = y, in.click = true;
    return in;
}

// The window height of the middle of a shown row.
int32_t rowMiddle(int32_t shown)
{
    float top = kOptionsFirstRowTop + (shown + 0.5f) * kOptionsRowHeight * optionsChosen.textSize;
    return (int32_t)((top + kOptionsHalfHeight) / (2.0f * kOptionsHalfHeight) * 720.0f);
}

// The row of a kind on the page shown.
int32_t rowOf(int32_t kind, int32_t target = 0)
{
    for (int32_t r = 0; r < optionsRowCount; r++)
        if (optionsRows[r].kind == kind && optionsRows[r].target == target)
            return r;
    return -1;
}

// Highlights the row and chooses it.
int32_t chooseRow(int32_t kind, int32_t target = 0)
{
    optionsHighlight = rowOf(kind, target);
    return runOptions(choose());
}

// SDL for key names; each test starts with the values a file without keys
// gives, the screen opened on a desktop of 1920 x 1080, in its own directory.
struct Options : ::testing::Test {
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        buildKeyNames();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override
    {
        enterScratchDir(scratch, "options");
        OptionValues values = {};
        for (int page = kPageSound; page < kOptionsPages; page++)
            defaultOptionValues(values, page);
        startOptions(values);
        openOptions(kModes, 5, kDesktop, false);
    }
    void TearDown() override { leaveScratchDir(scratch); }

    // Reads settings.ini the way the game does at start, into values.
    static OptionValues readBack()
    {
        readSettings();
        readKeyBindings();
        readPadBindings();
        OptionValues values = {};
        optionValuesFromGame(values);
        return values;
    }

    ScratchDir scratch;
};

// Every key of every type written and read back by the game's readers: the
// values come back exactly, and the file's comments stay.
TEST_F(Options, EveryValueChosenIsWhatTheGameReadsBack)
{
    std::ofstream("settings.ini") << "# mine\nscreenw=0\nvolume=0\n#keyleft=a\n";
    OptionValues saved = readBack();
    startOptions(saved);
    OptionValues& c = optionsChosen;
    c.volume = 35, c.mute = true, c.window = WindowSize{1280, 720};
    c.fullscreen = c.antialiasing = c.mipmapping = c.showCursor = true;
    c.textSize = 1.5f, c.deadZone = 35;
    const int32_t keys[kKeyActions] = {SDLK_i, SDLK_k, SDLK_j, SDLK_l, SDLK_LCTRL, SDLK_KP4, SDLK_p};
    memcpy(c.keys, keys, sizeof keys);
    for (int a = 0; a < kPadActions; a++) {
        c.pad[a][0] = a < kPadFirstSwitch ? PadInput{kPadInputAxis, 6 + a, 0} : PadInput{kPadInputButton, 10 + a, 0};
        c.padCount[a] = 1;
    }
    c.pad[kPadFire][1] = PadInput{kPadInputHat, 1, kHatBitLeft};
    c.pad[kPadFire][2] = PadInput{kPadInputAxis, 15, 0};
    c.padCount[kPadFire] = 3;
    SettingEdit edits[kMaxSettingEdits];
    int count = buildSettingEdits(c, saved, edits);
    ASSERT_TRUE(writeSettings("settings.ini", edits, count));
    OptionValues read = readBack();
    EXPECT_EQ(read.volume, 35);
    EXPECT_TRUE(read.mute);
    EXPECT_EQ(read.window.width, 1280);
    EXPECT_EQ(read.window.height, 720);
    EXPECT_TRUE(read.fullscreen && read.antialiasing && read.mipmapping && read.showCursor);
    EXPECT_EQ(read.textSize, 1.5f);
    EXPECT_EQ(read.deadZone, 35);
    for (int a = 0; a < kKeyActions; a++)
        EXPECT_EQ(read.keys[a], keys[a]) << keyNames[keys[a]];
    for (int a = 0; a < kPadActions; a++) {
        ASSERT_EQ(read.padCount[a], c.padCount[a]) << a;
        for (int i = 0; i < c.padCount[a]; i++)
            EXPECT_TRUE(samePadInput(read.pad[a][i], c.pad[a][i])) << a << "/" << i;
    }
    std::ifstream in("settings.ini");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "# mine");
    EXPECT_EQ(buildSettingEdits(read, c, edits), 0) << "nothing left to write";
    c.window.height = 1024;
    ASSERT_TRUE(writeSettings("settings.ini", edits, buildSettingEdits(c, read, edits)));
    EXPECT_EQ(readBack().window.height, 1024) << "the height alone changed";
}

// A volume of 0 on the page is silence in the file too: "volume=0" would
// read as full. Steps of 5 from a value between them land on the grid.
TEST_F(Options, VolumeZeroIsSilentAfterARestartAndStepsLandOnTheGrid)
{
    OptionValues saved = optionsChosen;
    optionsChosen.volume = 0;
    SettingEdit edits[kMaxSettingEdits];
    ASSERT_TRUE(writeSettings("settings.ini", edits, buildSettingEdits(optionsChosen, saved, edits)));
    OptionValues read = readBack();
    EXPECT_EQ(read.volume, 0);
    EXPECT_EQ(cueVolume(kInterfaceLevel, volumeShareFor(soundVolume)), 0);
    std::ofstream("settings.ini") << "volume=37\npaddeadzone=0.9\ntextsize=7\n";
    startOptions(readBack());
    EXPECT_EQ(optionsChosen.deadZone, kMostDeadZone);
    EXPECT_EQ(optionsChosen.textSize, 2.0f);
    openOptions(kModes, 5, kDesktop, false);
    chooseRow(kRowOpenPage, kPageSound);
    optionsHighlight = rowOf(kRowVolume);
    EXPECT_EQ(runOptions(adjust(-1)), kOptionsSound);
    EXPECT_EQ(optionsChosen.volume, 35);
    optionsChosen.volume = 37;
    runOptions(adjust(1));
    EXPECT_EQ(optionsChosen.volume, 40);
    optionsChosen.volume = 100;
    EXPECT_EQ(runOptions(adjust(1)), 0) << "already at the top";
    EXPECT_EQ(optionsChosen.volume, 100);
}

// The list, a page, a change, back: the page asks for a write only when it
// was left with a change, and the list's Back closes the screen.
TEST_F(Options, LeavingAPageWithAChangeWritesAndTheListsBackCloses)
{
    EXPECT_EQ(optionsRowCount, 4) << "Sound, Keys, Display, Back: no pad";
    openOptions(kModes, 5, kDesktop, true);
    EXPECT_EQ(rowOf(kRowOpenPage, kPagePad), 2);
    EXPECT_EQ(chooseRow(kRowOpenPage, kPageDisplay), kOptionsChose);
    EXPECT_EQ(optionsPage, kPageDisplay);
    EXPECT_EQ(runOptions(back()), 0) << "no change, no write";
    EXPECT_EQ(optionsPage, kPageList);
    EXPECT_EQ(optionsHighlight, rowOf(kRowOpenPage, kPageDisplay)) << "back on the page left";
    chooseRow(kRowOpenPage, kPageSound);
    EXPECT_EQ(chooseRow(kRowMute), kOptionsChose | kOptionsSound);
    EXPECT_EQ(chooseRow(kRowMute), kOptionsChose | kOptionsSound);
    EXPECT_EQ(runOptions(back()), 0) << "changed and changed back";
    chooseRow(kRowOpenPage, kPageSound);
    chooseRow(kRowMute);
    EXPECT_EQ(chooseRow(kRowBack), kOptionsChose | kOptionsWrite);
    optionsWriteFailed();
    char note[kOptionTextLength];
    optionsNoteText(note);
    EXPECT_STREQ(note, "Could not save settings.ini: kept for this run");
    EXPECT_TRUE(optionsChosen.mute) << "still in force";
    EXPECT_EQ(runOptions(back()), kOptionsClosed);
}

// Each row of the display page on its own is a change worth writing, and
// tells the flow what to apply.
TEST_F(Options, EveryDisplayRowChangedAloneAsksForAWrite)
{
    const int32_t rows[] = {kRowWindowSize, kRowFullscreen, kRowAntialiasing, kRowMipmapping, kRowShowCursor,
                            kRowTextSize};
    const int32_t effects[] = {kOptionsVideoMode, kOptionsVideoMode, 0, kOptionsLook, kOptionsLook, kOptionsLook};
    for (int i = 0; i < 6; i++) {
        chooseRow(kRowOpenPage, kPageDisplay);
        EXPECT_EQ(chooseRow(rows[i]), kOptionsChose | effects[i]) << "row " << i;
        char label[kOptionTextLength], value[kOptionTextLength];
        for (int r = 1; r < 5; r++) {
            optionRowText(rowOf(rows[r]), label, value);
            EXPECT_STREQ(value, r == i ? "On" : "Off") << label << " after row " << i;
        }
        EXPECT_EQ(runOptions(back()), kOptionsWrite) << "row " << i;
        chooseRow(kRowOpenPage, kPageDisplay);
        EXPECT_EQ(chooseRow(kRowReset), kOptionsChose | kOptionsVideoMode | kOptionsLook) << "row " << i;
        EXPECT_EQ(runOptions(back()), kOptionsWrite) << "row " << i;
    }
}

TEST_F(Options, ChoosingAKeyWaitsForItAndSaysWhatWasSwapped)
{
    chooseRow(kRowOpenPage, kPageKeys);
    EXPECT_EQ(chooseRow(kRowKey, kKeyLeft), kOptionsChose);
    EXPECT_EQ(optionsCapture, kCaptureAKey);
    EXPECT_EQ(runOptions(idle()), 0);
    EXPECT_EQ(runOptions(key(SDLK_UP)), 0) << "walk up's arrow is refused, the wait goes on";
    char note[kOptionTextLength];
    optionsNoteText(note);
    EXPECT_STREQ(note, "That key stays with Walk up: press another");
    EXPECT_EQ(runOptions(key(SDLK_d)), kOptionsChose | kOptionsKeys);
    optionsNoteText(note);
    EXPECT_STREQ(note, "Swapped with Walk right");
    EXPECT_EQ(optionsChosen.keys[kKeyLeft], SDLK_d);
    EXPECT_EQ(optionsChosen.keys[kKeyRight], SDLK_a);
    chooseRow(kRowKey, kKeySprint);
    EXPECT_EQ(runOptions(key(SDLK_ESCAPE)), kOptionsChose) << "cancelled";
    EXPECT_EQ(optionsCapture, kCaptureNothing);
    EXPECT_EQ(optionsChosen.keys[kKeySprint], SDLK_LSHIFT);
    EXPECT_EQ(runOptions(back()), kOptionsWrite) << "Escape, now not waiting, leaves the page";
    chooseRow(kRowOpenPage, kPageKeys);
    EXPECT_EQ(chooseRow(kRowReset), kOptionsChose | kOptionsKeys);
    EXPECT_EQ(optionsChosen.keys[kKeyLeft], SDLK_a);
    EXPECT_EQ(chooseRow(kRowReset), kOptionsChose) << "already the defaults";
}

TEST_F(Options, APadInputIsWaitedForFromThePadAtRest)
{
    openOptions(kModes, 5, kDesktop, true);
    chooseRow(kRowOpenPage, kPagePad);
    OptionsInput in = idle();
    in.pad.axis[2] = in.pad.axis[5] = kPadAxisLowest;
    in.choose = true;
    optionsHighlight = rowOf(kRowPadInput, kPadFire);
    runOptions(in);
    in.choose = false;
    EXPECT_EQ(runOptions(in), 0) << "triggers resting at the bottom";
    in.pad.button[3] = kInputPressed;
    EXPECT_EQ(runOptions(in), kOptionsChose | kOptionsPad);
    EXPECT_TRUE(samePadInput(optionsChosen.pad[kPadFire][0], PadInput{kPadInputButton, 3, 0}));
    in.choose = true;
    runOptions(in);
    in.choose = false;
    in.keyPressed = SDLK_ESCAPE;
    in.pad.button[4] = kInputPressed;
    EXPECT_EQ(runOptions(in), kOptionsChose) << "Escape cancels";
    EXPECT_EQ(optionsCapture, kCaptureNothing);
    EXPECT_EQ(optionsChosen.padCount[kPadFire], 1);
    EXPECT_TRUE(samePadInput(optionsChosen.pad[kPadFire][0], PadInput{kPadInputButton, 3, 0}));
    optionsHighlight = rowOf(kRowDeadZone);
    EXPECT_EQ(runOptions(adjust(1)), kOptionsPad);
    EXPECT_EQ(optionsChosen.deadZone, 25);
    EXPECT_EQ(chooseRow(kRowReset), kOptionsChose | kOptionsPad);
    EXPECT_EQ(optionsChosen.deadZone, kDefaultDeadZone);
    EXPECT_EQ(optionsChosen.padCount[kPadSprint], 3);
}

// The desktop's size first, then every mode and common size that fits it,
// in order, the file's own odd size among them; a refused mode goes back to
// the old one and leaves nothing to write.
TEST_F(Options, WindowSizesFitTheDesktopAndARefusedModeIsUndone)
{
    optionsChosen.window = WindowSize{1000, 700};
    optionsSaved = optionsChosen;
    openOptions(kModes, 5, kDesktop, false);
    ASSERT_GT(optionsWindowSizeCount, 5);
    EXPECT_EQ(optionsWindowSizes[0].width, 0);
    for (int i = 1; i < optionsWindowSizeCount; i++) {
        EXPECT_LE(optionsWindowSizes[i].width, 1920);
        EXPECT_LE(optionsWindowSizes[i].height, 1080);
        if (i > 1) {
            EXPECT_TRUE(optionsWindowSizes[i - 1].width < optionsWindowSizes[i].width ||
                        (optionsWindowSizes[i - 1].width == optionsWindowSizes[i].width &&
                         optionsWindowSizes[i - 1].height < optionsWindowSizes[i].height));
        }
    }
    chooseRow(kRowOpenPage, kPageDisplay);
    optionsHighlight = rowOf(kRowWindowSize);
    EXPECT_EQ(runOptions(adjust(1)), kOptionsVideoMode);
    EXPECT_EQ(optionsChosen.window.width, 1024) << "the next size after 1000 x 700";
    optionsModeRefused(WindowSize{1000, 700}, false);
    EXPECT_EQ(optionsChosen.window.width, 1000);
    EXPECT_EQ(runOptions(back()), 0);
    chooseRow(kRowOpenPage, kPageDisplay);
    optionsHighlight = rowOf(kRowWindowSize);
    for (int i = 0; i < 3; i++)
        runOptions(adjust(-1));
    EXPECT_EQ(optionsChosen.window.width, 0) << "800 x 600, 640 x 480, then the desktop's";
    char label[kOptionTextLength], value[kOptionTextLength];
    optionRowText(rowOf(kRowWindowSize), label, value);
    EXPECT_STREQ(value, "Desktop (1920 x 1080)");
    chooseRow(kRowAntialiasing);
    char note[kOptionTextLength];
    optionsNoteText(note);
    EXPECT_STREQ(note, "Antialiasing changes at the next start");
}

// The pointer picks rows by the layout; a click left of the middle lowers a
// value and right of it raises it. At text size 2 the pad's page scrolls to
// keep the highlight shown, and the pointer follows the scroll.
TEST_F(Options, ThePointerPicksRowsAndTheLongestPageScrollsAtDoubleText)
{
    chooseRow(kRowOpenPage, kPageSound);
    EXPECT_EQ(runOptions(clickAt(300, rowMiddle(0))), kOptionsChose | kOptionsSound);
    EXPECT_EQ(optionsChosen.volume, 95);
    EXPECT_EQ(runOptions(clickAt(900, rowMiddle(0))), kOptionsChose | kOptionsSound);
    EXPECT_EQ(optionsChosen.volume, 100);
    EXPECT_EQ(optionsRowAt(rowMiddle(0) - 40, 720), -1) << "above the rows";
    OptionsInput moved = idle();
    moved.pointerY = rowMiddle(1), moved.pointerMoved = true;
    EXPECT_EQ(runOptions(moved), kOptionsHovered);
    EXPECT_EQ(optionsHighlight, 1);
    runOptions(back());
    optionsChosen.textSize = 2.0f;
    openOptions(kModes, 5, kDesktop, true);
    chooseRow(kRowOpenPage, kPagePad);
    int32_t visible = optionsVisibleRows();
    ASSERT_LT(visible, optionsRowCount);
    for (int i = 0; i < optionsRowCount; i++)
        runOptions(step(1));
    EXPECT_EQ(optionsHighlight, optionsRowCount - 1);
    EXPECT_EQ(optionsFirstRow, optionsRowCount - visible);
    EXPECT_EQ(optionsRowAt(rowMiddle(visible - 1), 720), optionsRowCount - 1);
    EXPECT_EQ(optionsRowAt(rowMiddle(visible), 720), -1);
}

// Left and right on the pad move a value once per push, from the stick or
// the d-pad.
TEST(PadSideStep, OneStepEachTimeADirectionIsNewlyHeld)
{
    int32_t held = 0;
    EXPECT_EQ(padSideStep(20000, 0, held), 1);
    EXPECT_EQ(padSideStep(30000, 0, held), 0) << "still held";
    EXPECT_EQ(padSideStep(0, kHatBitLeft | kHatBitUp, held), -1);
    EXPECT_EQ(padSideStep(-16000, 0, held), 0) << "not half-way: let go";
    EXPECT_EQ(held, 0);
    EXPECT_EQ(padSideStep(-16384, 0, held), -1);
}

// The defaults the options reset to are those the readers use with no file.
TEST_F(Options, ResetGivesWhatAFileWithoutTheKeysGives)
{
    OptionValues read = readBack();
    for (int a = 0; a < kKeyActions; a++)
        EXPECT_EQ(optionsChosen.keys[a], read.keys[a]) << a;
    for (int a = 0; a < kPadActions; a++) {
        ASSERT_EQ(optionsChosen.padCount[a], read.padCount[a]) << a;
        for (int i = 0; i < read.padCount[a]; i++)
            EXPECT_TRUE(samePadInput(optionsChosen.pad[a][i], read.pad[a][i])) << a << "/" << i;
    }
    EXPECT_EQ(optionsChosen.volume, read.volume);
    EXPECT_EQ(optionsChosen.deadZone, read.deadZone);
    EXPECT_EQ(optionsChosen.textSize, read.textSize);
    EXPECT_EQ(optionsChosen.window.width, read.window.width);
}

}  // namespace
