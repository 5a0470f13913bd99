// Reads "settings.ini": key=value lines, spaces ignored, last line wins.
#include "platform/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

char settingsLines[kSettingsLines][kSettingsLineLength] = {};
int32_t settingsLineCount = 0;

float screenWidth = 0;
float screenHeight = 0;
float aspectRatio = 0;
int32_t screenBpp = 0;
bool fullscreen = false;
bool showCursor = false;
bool antialiasing = false;
bool mipmapping = false;
float soundVolume = 0;
bool soundMuted = false;
float textSize = 1.0f;

// Reads one line into line (at most 255 characters). A longer line keeps its
// first 255 characters and the rest is skipped, so it never spills into the next
// held line. A line feed ends the line; a carriage return before it is dropped.
static void readSettingsLine(FILE* file, char* line)
{
    int length = 0;
    int taken = 0;
    int c;
    while ((c = fgetc(file)) != EOF && c != '\n') {
        if (length < kSettingsLineLength - 1)
            line[length++] = (char)c;
        taken++;
    }
    if (c == '\n' && taken == length && length > 0 && line[length - 1] == '\r')
        length--;
    line[length] = 0;
}

// Removes every space character from the line, closing up the gaps.
static void removeSpaces(char* line)
{
    char* to = line;
    for (char* from = line; *from; from++)
        if (*from != ' ')
            *to++ = *from;
    *to = 0;
}

// Loads the file's first 100 lines (missing lines are empty), spaces removed;
// a missing file holds no lines.
static void loadSettingsLines()
{
    settingsLineCount = 0;
    FILE* file = fopen("settings.ini", "r");
    if (file) {
        for (int i = 0; i < kSettingsLines; i++)
            readSettingsLine(file, settingsLines[i]);
        settingsLineCount = kSettingsLines;
        fclose(file);
        for (int i = 0; i < kSettingsLines; i++)
            removeSpaces(settingsLines[i]);
    }
}

// The sound keys alone, for a program that sizes its window otherwise.
void readSoundSettings()
{
    loadSettingsLines();
    soundVolume = settingValue("volume");
    soundMuted = settingValue("mute") != 0;
}

// Loads the file and turns its keys into the display and sound settings; a
// missing file leaves every value 0.
void readSettings()
{
    readSoundSettings();
    screenWidth = settingValue("screenw");
    screenHeight = settingValue("screenh");
    screenBpp = settingToInt(settingValue("screenbpp"));
    fullscreen = settingValue("fullscreen") != 0;
    showCursor = settingValue("showcursor") != 0;
    antialiasing = settingValue("antialiasing") != 0;
    mipmapping = settingValue("mipmapping") != 0;
    textSize = textSizeFor(settingValue("textsize"));
    aspectRatio = screenWidth / screenHeight;
}

// The number after "key=" on the last held line that starts with it, read the
// way atof reads (leading number only); 0 when no line gives the key.
float settingValue(const char* key)
{
    char pattern[kSettingsLineLength + 1];
    snprintf(pattern, sizeof pattern, "%s=", key);
    size_t patternLength = strlen(pattern);
    float value = 0;
    for (int i = 0; i < settingsLineCount; i++)
        if (strncmp(settingsLines[i], pattern, patternLength) == 0)
            value = (float)atof(settingsLines[i] + patternLength);
    return value;
}

// Copies the text after "key=" on the last held line that starts with it into
// out (spaces already removed, cut to fit); false and out empty when no line
// gives the key. Key names and pad inputs are read this way.
bool settingText(const char* key, char* out, int size)
{
    char pattern[kSettingsLineLength + 1];
    snprintf(pattern, sizeof pattern, "%s=", key);
    size_t patternLength = strlen(pattern);
    bool found = false;
    out[0] = 0;
    for (int i = 0; i < settingsLineCount; i++)
        if (strncmp(settingsLines[i], pattern, patternLength) == 0) {
            snprintf(out, (size_t)size, "%s", settingsLines[i] + patternLength);
            found = true;
        }
    return found;
}

// Truncates a setting toward zero for the calls that take whole numbers. A value
// that is not a number, or absurdly large, cannot be converted safely: NaN gives
// 0 and the rest is held within +-kLargestSetting.
int32_t settingToInt(float value)
{
    if (value != value)
        return 0;
    if (value > kLargestSetting)
        return (int32_t)kLargestSetting;
    if (value < -kLargestSetting)
        return (int32_t)-kLargestSetting;
    return (int32_t)value;
}

// The text size for a "textsize" setting: the nearest of 1, 1.5 and 2;
// 0, a missing key or nonsense keep today's 1.
float textSizeFor(float setting)
{
    if (setting >= 1.75f)
        return 2.0f;
    return setting >= 1.25f ? 1.5f : 1.0f;
}
