// Writing "settings.ini" back with the values the options screen changed,
// keeping every line the player wrote: comments, blank lines, keys we do not
// know and the launcher's commented template stay where they are, a changed
// key's value is replaced on the line the reader takes it from, and a key the
// file does not give yet goes where the reader will see it.
#pragma once

#include <cstdint>

#include "platform/settings.h"

// ---- Constants --------------------------------------------------------------

const int32_t kSettingsFileRoom = 65536;  // largest settings.ini rewritten, bytes; a bigger one is left alone
const int kMaxSettingEdits = 48;          // keys changed in one rewrite
const int kSettingKeyLength = 24;         // room for a key and its zero
const int kSettingValueLength = 64;       // room for a value the options write, and its zero
const int32_t kSettingsTextRoom =         // room for the rewritten text: every line, added lines, longer values
    kSettingsFileRoom + kSettingsLines * (kSettingsLineLength + 2) +
    kMaxSettingEdits * (kSettingKeyLength + kSettingValueLength + 2);
const int kSettingsPathRoom = 4096;       // longest path to the settings file, links followed
const int kMostLinksFollowed = 8;         // links followed to the real file; more is taken for a loop

// ---- Records ----------------------------------------------------------------

// One key to give a new value.
struct SettingEdit {
    char key[kSettingKeyLength];       // "screenw", "keyleft", ...
    char value[kSettingValueLength];   // written after "key=": no spaces, no control characters
    bool number;                       // read as a number (text after it may stay) or as the whole rest
};

// ---- Globals ----------------------------------------------------------------

extern char settingsOldText[kSettingsFileRoom];   // settings.ini as read for a rewrite
extern char settingsNewText[kSettingsTextRoom];   // the rewritten text

// ---- Functions --------------------------------------------------------------

int32_t rewriteSettings(const char* text, int32_t size, const SettingEdit* edits, int count, char* out,
                        int32_t room);
bool settingGiven(const char* text, int32_t size, const char* key, char* value);
int32_t readSettingsText(const char* path, char* text, int32_t room);
bool followLinks(const char* path, char* real, int room);
bool writeSettings(const char* path, const SettingEdit* edits, int count);
