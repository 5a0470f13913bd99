// Writing settings.ini back: what the reader takes from the new text, every
// line the player wrote kept in order, and the file on disk replaced whole or
// not at all. Every test works in a fresh directory of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/settings.h"
#include "options/settingswriter.h"
#include "tests/scratchdir.h"

namespace {

// An edit of a key read as a number or as text.
SettingEdit number(const char* key, const char* value)
{
    SettingEdit edit = {};
    snprintf(edit.key, sizeof edit.key, "%s", key);
    snprintf(edit.value, sizeof edit.value, "%s", value);
    edit.number = true;
    return edit;
}

SettingEdit text(const char* key, const char* value)
{
    SettingEdit edit = number(key, value);
    edit.number = false;
    return edit;
}

// The text rewritten with the edits; "<refused>" when the writer refuses.
std::string rewrite(const std::string& old, std::vector<SettingEdit> edits)
{
    static char out[kSettingsTextRoom];
    int32_t n = rewriteSettings(old.data(), (int32_t)old.size(), edits.data(), (int)edits.size(), out, sizeof out);
    return n < 0 ? "<refused>" : std::string(out, (size_t)n);
}

// The text's lines, split at line feeds (a last line without one counts).
std::vector<std::string> linesOf(const std::string& s)
{
    std::vector<std::string> lines;
    std::istringstream in(s);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Whether every line of before appears in after, in the same order, but for
// the lines giving an edited key; added is the number of lines added.
bool keepsEveryLine(const std::string& before, const std::string& after, const std::vector<SettingEdit>& edits,
                    int& added)
{
    std::vector<std::string> a, b = linesOf(after);
    for (const std::string& line : linesOf(before)) {
        std::string packed = line;
        packed.erase(std::remove(packed.begin(), packed.end(), ' '), packed.end());
        bool edited = false;
        for (const SettingEdit& e : edits)
            edited = edited || packed.rfind(std::string(e.key) + "=", 0) == 0;
        if (!edited)
            a.push_back(line);
    }
    size_t i = 0;
    for (const std::string& line : b)
        if (i < a.size() && line == a[i])
            i++;
    added = (int)b.size() - (int)linesOf(before).size();
    return i == a.size();
}

// The launcher's commented settings.ini, as a first run writes it.
std::string launcherTemplate()
{
    std::ifstream in(VG_SOURCE_DIR "/tools/launcher.sh");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t from = all.find("<<'SETTINGS'\n") + 13, to = all.find("\nSETTINGS\n");
    return all.substr(from, to - from + 1);
}

std::string fileText(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Each test in a fresh directory of its own.
struct SettingsWriter : ::testing::Test {
    void SetUp() override { enterScratchDir(scratch, "writer"); }
    void TearDown() override { leaveScratchDir(scratch); }

    // Puts the text in settings.ini and reads it the way the game does.
    static void readBack(const std::string& s)
    {
        std::ofstream("settings.ini", std::ios::binary) << s;
        readSettings();
    }

    static std::string given(const char* key)
    {
        char value[kSettingsLineLength];
        return settingText(key, value, sizeof value) ? value : "<none>";
    }

    ScratchDir scratch;
};

TEST_F(SettingsWriter, TheLaunchersFileTakesEveryKindOfKeyAndKeepsEveryLineAndUnknownKey)
{
    std::string old = launcherTemplate() + "colour=blue\n";
    ASSERT_NE(old.find("#keyleft=a"), std::string::npos);
    std::vector<SettingEdit> edits = {number("screenw", "1280"), number("screenh", "720"),
                                      number("fullscreen", "1"),  number("mipmapping", "1"),
                                      number("volume", "35"),     number("mute", "1"),
                                      text("keyleft", "q"),       text("keysprint", "leftctrl"),
                                      text("padsprint", "button4,button5"), number("textsize", "1.5")};
    std::string out = rewrite(old, edits);
    int added = 0;
    EXPECT_TRUE(keepsEveryLine(old, out, edits, added)) << out;
    EXPECT_EQ(added, 4) << "keyleft, keysprint, padsprint and textsize are new; the rest stood in the file";
    EXPECT_NE(out.find("\nscreenw=1280\n"), std::string::npos) << "replaced where it stands";
    EXPECT_EQ(out.find("screenw=0"), std::string::npos);
    readBack(out);
    EXPECT_EQ(screenWidth, 1280);
    EXPECT_EQ(screenHeight, 720);
    EXPECT_TRUE(fullscreen);
    EXPECT_TRUE(mipmapping);
    EXPECT_FALSE(antialiasing);
    EXPECT_EQ(soundVolume, 35);
    EXPECT_TRUE(soundMuted);
    EXPECT_EQ(settingValue("textsize"), 1.5f);
    EXPECT_EQ(given("keyleft"), "q");
    EXPECT_EQ(given("keysprint"), "leftctrl");
    EXPECT_EQ(given("padsprint"), "button4,button5");
    EXPECT_EQ(given("keyup"), "<none>") << "the commented template stays a comment";
    EXPECT_EQ(given("colour"), "blue");
}

// A number is replaced where it stands, so the player's spacing and a note
// after it stay; where keeping the rest would change what is read, the
// whole rest goes, and a text value always takes the whole rest.
TEST_F(SettingsWriter, AValueIsReplacedWhereItStandsKeepingWhatFollowsOnlyWhenItReadsTheSame)
{
    EXPECT_EQ(rewrite("screen w = 1024  # my monitor\n", {number("screenw", "1280")}),
              "screen w = 1280  # my monitor\n");
    EXPECT_EQ(rewrite("showcursor=\t1\n", {number("showcursor", "0")}), "showcursor=0\n");
    EXPECT_EQ(rewrite("volume=50.5.5\n", {number("volume", "70")}), "volume=70\n");
    EXPECT_EQ(rewrite("volume=50.5.5\n", {number("volume", "70.5")}), "volume=70.5.5\n");
    EXPECT_EQ(rewrite("fullscreen=yes\n", {number("fullscreen", "1")}), "fullscreen=1\n");
    EXPECT_EQ(rewrite("screenw=e5\n", {number("screenw", "800")}), "screenw=800\n") << "800e5 would read 80000000";
    EXPECT_EQ(rewrite("keyup = z # mine\n", {text("keyup", "w")}), "keyup =w\n");
    EXPECT_EQ(rewrite("mute=\n", {number("mute", "1")}), "mute=1\n");
}

// The last of the first 100 lines giving a key is the one the reader takes;
// earlier ones, a tab before the '=' and lines past 100 give nothing and
// stay as they were.
TEST_F(SettingsWriter, OnlyTheLineTheReaderTakesChangesAndALineItIgnoresGetsAKeyAddedInstead)
{
    EXPECT_EQ(rewrite("screenw=800\nscreenw = 1024\n", {number("screenw", "640")}), "screenw=800\nscreenw = 640\n");
    EXPECT_EQ(rewrite("antialiasing\t=1\n", {number("antialiasing", "1")}), "antialiasing\t=1\nantialiasing=1\n");
    EXPECT_EQ(rewrite("ScreenW=800\n", {number("screenw", "640")}), "ScreenW=800\nscreenw=640\n");
    EXPECT_EQ(rewrite("#keyup=w\n", {text("keyup", "z")}), "#keyup=w\nkeyup=z\n");
    std::string hundred(100, '\n');
    std::string out = rewrite(hundred + "mute=1\n", {number("mute", "0")});
    EXPECT_EQ(out, std::string(99, '\n') + "mute=0\n\nmute=1\n") << "added within the first 100 lines";
    readBack(out);
    EXPECT_FALSE(soundMuted);
}

// Adding lines before line 100 pushes the lines below them past it, where
// they no longer count: each key they gave is given again among the added
// lines, with its new value when it is one of the edits.
TEST_F(SettingsWriter, KeysPushedPastTheHundredthLineAreGivenAgainWithinIt)
{
    std::string old;
    for (int i = 0; i < 96; i++)
        old += "# note " + std::to_string(i) + "\n";
    old += "screenh=600\nscreenw = 800\n#\nvolume=40\nfullscreen=1\n";
    std::vector<SettingEdit> edits = {number("screenw", "1024"), text("keyleft", "q"), number("mute", "1")};
    std::string out = rewrite(old, edits);
    int added = 0;
    EXPECT_TRUE(keepsEveryLine(old, out, edits, added));
    EXPECT_EQ(added, 5) << "keyleft, mute, then volume, screenw and screenh pushed out";
    readBack(out);
    EXPECT_EQ(screenWidth, 1024);
    EXPECT_EQ(screenHeight, 600);
    EXPECT_EQ(soundVolume, 40);
    EXPECT_TRUE(soundMuted);
    EXPECT_FALSE(fullscreen) << "line 101 counted before and still does not";
    EXPECT_EQ(given("keyleft"), "q");
}

TEST_F(SettingsWriter, CarriageReturnLinesStayAndAddedLinesFollowThem)
{
    EXPECT_EQ(rewrite("screenw=640\r\nscreenh=480\r\n", {number("screenw", "800"), text("keyleft", "q")}),
              "screenw=800\r\nscreenh=480\r\nkeyleft=q\r\n");
    EXPECT_EQ(rewrite("# mine\r\nmute=1", {text("keyleft", "q")}), "# mine\r\nmute=1\r\nkeyleft=q\r\n");
    EXPECT_EQ(rewrite("keyup=z\r\n", {text("keyup", "w")}), "keyup=w\r\n");
    EXPECT_EQ(rewrite("", {number("mute", "1")}), "mute=1\n");
    EXPECT_EQ(rewrite("mute=1", {number("screenw", "800")}), "mute=1\nscreenw=800\n");
}

TEST_F(SettingsWriter, ValuesThatCouldNotBeReadBackAreRefused)
{
    EXPECT_EQ(rewrite("", {text("keyup", "left shift")}), "<refused>") << "the reader removes spaces";
    EXPECT_EQ(rewrite("", {text("keyup", "")}), "<refused>");
    EXPECT_EQ(rewrite("", {text("keyup", "z\nscreenw=1")}), "<refused>");
    EXPECT_EQ(rewrite("", {text("key up", "z")}), "<refused>");
    EXPECT_EQ(rewrite("a=1\n", {}), "a=1\n");
}

// ---- The file on disk ----------------------------------------------------------

const char* const kOld = "# mine\nscreenw=800\n";

TEST_F(SettingsWriter, TheFileIsReplacedWholeAndAMissingOneIsCreated)
{
    SettingEdit edit = number("screenw", "1024");
    ASSERT_TRUE(writeSettings("settings.ini", &edit, 1));
    EXPECT_EQ(fileText("settings.ini"), "screenw=1024\n");
    std::ofstream("settings.ini") << kOld;
    ASSERT_TRUE(writeSettings("settings.ini", &edit, 1));
    EXPECT_EQ(fileText("settings.ini"), "# mine\nscreenw=1024\n");
    EXPECT_EQ(filesHere().size(), 1u) << "no temporary file is left";
}

// A link in place of the file stays a link: the file it points to takes the
// new text, and a link to a file not there yet creates it.
TEST_F(SettingsWriter, ALinkStaysALinkAndItsTargetIsRewritten)
{
    ASSERT_EQ(mkdir("dotfiles", 0755), 0);
    std::ofstream("dotfiles/vg.ini") << kOld;
    ASSERT_EQ(symlink("dotfiles/vg.ini", "settings.ini"), 0);
    SettingEdit edit = number("screenw", "1024");
    ASSERT_TRUE(writeSettings("settings.ini", &edit, 1));
    struct stat status;
    ASSERT_EQ(lstat("settings.ini", &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(fileText("dotfiles/vg.ini"), "# mine\nscreenw=1024\n");
    remove("dotfiles/vg.ini");
    ASSERT_TRUE(writeSettings("settings.ini", &edit, 1));
    EXPECT_EQ(fileText("dotfiles/vg.ini"), "screenw=1024\n");
    ASSERT_EQ(mkdir("game", 0755), 0);
    ASSERT_EQ(symlink("../dotfiles/vg.ini", "game/settings.ini"), 0);
    ASSERT_TRUE(writeSettings("game/settings.ini", &edit, 1)) << "a relative link starts from its own directory";
    EXPECT_EQ(fileText("dotfiles/vg.ini"), "screenw=1024\n");
    remove("game/settings.ini");
    rmdir("game");
    remove("dotfiles/vg.ini");
    rmdir("dotfiles");
    remove("settings.ini");
    ASSERT_EQ(symlink("settings.ini", "settings.ini"), 0);
    EXPECT_FALSE(writeSettings("settings.ini", &edit, 1)) << "a link to itself";
}

// A write that fails keeps the old file byte for byte and leaves no
// temporary file: a disk that fills up (the file-size limit cuts the write
// short), a directory that takes no new files, a file too big to keep whole.
TEST_F(SettingsWriter, AFailedWriteKeepsTheOldFileWhole)
{
    std::string old = kOld + std::string(100, '#') + "\n";
    std::ofstream("settings.ini") << old;
    SettingEdit edit = number("screenw", "1024");
    bool written = true;
    onAFullDisk([&] { written = writeSettings("settings.ini", &edit, 1); });
    EXPECT_FALSE(written) << "full disk";
    EXPECT_EQ(fileText("settings.ini"), old);
    EXPECT_EQ(filesHere().size(), 1u);

    ASSERT_EQ(chmod(".", 0555), 0);
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(writeSettings("settings.ini", &edit, 1) ? 1 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    chmod(".", 0700);
    EXPECT_EQ(status, 0) << "a read-only directory";
    EXPECT_EQ(fileText("settings.ini"), old);

    std::string huge = "screenw=800\n" + std::string(kSettingsFileRoom, '#');
    std::ofstream("settings.ini") << huge;
    EXPECT_FALSE(writeSettings("settings.ini", &edit, 1)) << "lines past the room would be lost";
    EXPECT_EQ(fileText("settings.ini"), huge);
    EXPECT_EQ(filesHere().size(), 1u);
}

}  // namespace
