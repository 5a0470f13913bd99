// The display options read from "settings.ini", and the display metrics they
// start. Plain values only, so the simulation can read them without a window.
#pragma once

#include <cstdint>

const int kSettingsLines = 100;       // only the first 100 lines of the file count
const int kSettingsLineLength = 256;  // a held line: at most 255 characters and a zero
const float kLargestSetting = 1000000.0f;  // whole-number settings are kept within +-this

extern char settingsLines[kSettingsLines][kSettingsLineLength];  // lines of the file, spaces removed
extern int32_t settingsLineCount;    // 100 after the file was read, 0 when it could not be opened

extern float screenWidth;            // window width, pixels (0 in the file: the desktop's)
extern float screenHeight;           // window height, pixels (0 in the file: the desktop's)
extern float aspectRatio;            // screenWidth / screenHeight
extern int32_t screenBpp;            // colour depth, bits per pixel (0: the desktop's)
extern bool fullscreen;              // full screen instead of a window
extern bool showCursor;              // the system mouse cursor stays visible
extern bool antialiasing;            // four-sample multisampled context
extern bool mipmapping;              // textures are built with mipmaps
extern float soundVolume;            // "volume": per cent of full, 1..100; 0 or out of range: full
extern bool soundMuted;              // "mute" not 0: no sound, the audio device stays closed
extern float textSize;               // "textsize": the menus', overlay's and HUD's texts, 1, 1.5 or 2 times

void readSettings();
void readSoundSettings();
float settingValue(const char* key);
bool settingText(const char* key, char* out, int size);
int32_t settingToInt(float value);
float textSizeFor(float setting);
