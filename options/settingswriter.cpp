// Rewrites "settings.ini" line by line. Each line is looked at the way the
// reader takes it (its first 255 characters, a carriage return before the line
// feed dropped, spaces removed, "key=" at its start, the last of the first 100
// lines giving a key wins), so what the reader will see is known before the
// file is written, and checked again on the finished text.
#include "options/settingswriter.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "world/files.h"

// ---- Records ----------------------------------------------------------------

// One line of a text.
struct TextLine {
    int32_t start;   // first byte of the line
    int32_t end;     // one past its content (a carriage return before the line feed is not content)
    int32_t next;    // first byte of the next line
    bool fed;        // ended by a line feed; the last line may not be
};

// ---- Globals ----------------------------------------------------------------

char settingsOldText[kSettingsFileRoom] = {};
char settingsNewText[kSettingsTextRoom] = {};

static TextLine lines[kSettingsLines] = {};                           // the first 100 lines being rewritten
static char heldLines[kSettingsLines][kSettingsLineLength] = {};     // each as the reader holds it
static int32_t lineCount = 0;                                        // lines above, 0..100
static int32_t restStart = 0;                                        // first byte after line 100, or the size
static int32_t winners[kMaxSettingEdits] = {};                       // line giving each edit's key, -1 none
static int32_t addedLines[kSettingsLines] = {};                      // lines added: edit e as e, line i kept as -(i + 1)
static int32_t addedCount = 0;

// ---- Functions: lines as the reader sees them -------------------------------

// The line starting at byte at: its content and ending.
static TextLine lineAt(const char* text, int32_t size, int32_t at)
{
    TextLine line = {at, size, size, false};
    const char* feed = (const char*)memchr(text + at, '\n', (size_t)(size - at));
    if (feed) {
        line.fed = true;
        line.end = (int32_t)(feed - text);
        line.next = line.end + 1;
        if (line.end > at && text[line.end - 1] == '\r')
            line.end--;
    }
    return line;
}

// The line as the reader holds it: at most its first 255 characters, up to a
// zero byte, spaces removed. raw (may be null) gets each held character's
// place in the line.
static void holdLine(const char* text, const TextLine& line, char* held, int32_t* raw)
{
    int32_t length = line.end - line.start;
    if (length > kSettingsLineLength - 1)
        length = kSettingsLineLength - 1;
    int n = 0;
    for (int32_t i = 0; i < length && text[line.start + i] != 0; i++)
        if (text[line.start + i] != ' ') {
            if (raw)
                raw[n] = i;
            held[n++] = text[line.start + i];
        }
    held[n] = 0;
}

// Length of the key a held line gives (letters, digits and '_' before its
// '='); 0 when it gives none, like a comment or a blank line.
static int keyLength(const char* held)
{
    int n = 0;
    while ((held[n] >= 'a' && held[n] <= 'z') || (held[n] >= 'A' && held[n] <= 'Z') ||
           (held[n] >= '0' && held[n] <= '9') || held[n] == '_')
        n++;
    return n > 0 && held[n] == '=' ? n : 0;
}

// The text after "key=" when the held line gives the key, else null.
static const char* valueOf(const char* held, const char* key)
{
    size_t length = strlen(key);
    return strncmp(held, key, length) == 0 && held[length] == '=' ? held + length + 1 : nullptr;
}

// Whether a value read from a line means what the edit wrote: as a number
// the way the reader converts it, or as the exact text.
static bool sameValue(const char* given, const SettingEdit& edit)
{
    if (edit.number)
        return (float)atof(given) == (float)atof(edit.value);
    return strcmp(given, edit.value) == 0;
}

// Copies into value what the reader would take for key from the text: the
// rest of the last of the first 100 lines giving it. False when none does.
bool settingGiven(const char* text, int32_t size, const char* key, char* value)
{
    char held[kSettingsLineLength];
    bool found = false;
    int32_t at = 0;
    for (int i = 0; i < kSettingsLines && at < size; i++) {
        TextLine line = lineAt(text, size, at);
        holdLine(text, line, held, nullptr);
        if (const char* given = valueOf(held, key)) {
            snprintf(value, kSettingsLineLength, "%s", given);
            found = true;
        }
        at = line.next;
    }
    return found;
}

// ---- Functions: planning ----------------------------------------------------

// Splits the text's first 100 lines and holds each as the reader would.
static void scanLines(const char* text, int32_t size)
{
    lineCount = 0;
    int32_t at = 0;
    while (at < size && lineCount < kSettingsLines) {
        lines[lineCount] = lineAt(text, size, at);
        holdLine(text, lines[lineCount], heldLines[lineCount], nullptr);
        at = lines[lineCount++].next;
    }
    restStart = at;
}

// The last of the first 100 lines giving the key, -1 when none does.
static int32_t winningLine(const char* key)
{
    for (int32_t i = lineCount - 1; i >= 0; i--)
        if (valueOf(heldLines[i], key))
            return i;
    return -1;
}

// A value the options may write: some text, no spaces (the reader removes
// them) and no control characters (a line feed would start a new line).
static bool writableEdit(const SettingEdit& edit)
{
    if (edit.value[0] == 0)
        return false;
    char probe[kSettingKeyLength + 1];
    snprintf(probe, sizeof probe, "%s=", edit.key);
    if (keyLength(probe) != (int)strlen(edit.key))
        return false;
    for (const char* c = edit.value; *c; c++)
        if ((unsigned char)*c <= ' ' || *c == 127)
            return false;
    return true;
}

// The key a planned added line gives.
static const char* addedKey(int32_t entry, const SettingEdit* edits, char* key)
{
    if (entry >= 0)
        return edits[entry].key;
    const char* held = heldLines[-entry - 1];
    int n = keyLength(held);
    memcpy(key, held, (size_t)n);
    key[n] = 0;
    return key;
}

// Whether a planned added line gives the key already.
static bool keyAdded(const char* key, const SettingEdit* edits)
{
    char own[kSettingsLineLength];
    for (int32_t a = 0; a < addedCount; a++)
        if (strcmp(addedKey(addedLines[a], edits, own), key) == 0)
            return true;
    return false;
}

// Where the added lines go: after the last line when they still fall within
// the first 100 lines, else just before line 100 less their number. Lines
// pushed past line 100 that gave a key would no longer count, so each such
// key is given again among the added lines (its new value if it is edited).
// The line the lines go before, or -1 when they cannot fit.
static int32_t planAddedLines(const SettingEdit* edits, int count, int32_t size)
{
    addedCount = 0;
    for (int e = 0; e < count; e++)
        if (winners[e] < 0 && !keyAdded(edits[e].key, edits))
            addedLines[addedCount++] = e;
    if (addedCount == 0 || (restStart >= size && lineCount + addedCount <= kSettingsLines))
        return lineCount;
    bool grew = true;
    while (grew) {
        grew = false;
        for (int32_t i = kSettingsLines - addedCount; i < lineCount; i++) {
            char key[kSettingsLineLength];
            int n = keyLength(heldLines[i]);
            memcpy(key, heldLines[i], (size_t)n);
            key[n] = 0;
            if (n == 0 || winningLine(key) != i || keyAdded(key, edits))
                continue;
            if (addedCount == kSettingsLines)
                return -1;
            int32_t entry = -(i + 1);
            for (int e = 0; e < count; e++)
                if (strcmp(edits[e].key, key) == 0)
                    entry = e;
            addedLines[addedCount++] = entry;
            grew = true;
        }
    }
    return kSettingsLines - addedCount;
}

// ---- Functions: writing the new text -----------------------------------------

// Appends bytes to the text being built; false when they do not fit.
static bool put(char* out, int32_t room, int32_t& at, const char* bytes, int32_t length)
{
    if (length < 0 || at + length > room)
        return false;
    memcpy(out + at, bytes, (size_t)length);
    at += length;
    return true;
}

// The line with the edit's value in place of what stood after its key, and
// only that changed, tried in order until the line reads back as the edit:
// a number replaced where it stands (a note after it stays), then the whole
// rest after the '=' (also when no number stood there: that text was the
// value), then the line written anew as key=value.
static bool putEditedLine(const char* text, const TextLine& line, const SettingEdit& edit, char* out,
                          int32_t room, int32_t& at)
{
    char held[kSettingsLineLength], check[kSettingsLineLength];
    int32_t raw[kSettingsLineLength];
    holdLine(text, line, held, raw);
    int32_t valueAt = (int32_t)strlen(edit.key) + 1;
    const char* content = text + line.start;
    int32_t length = line.end - line.start, valueLength = (int32_t)strlen(edit.value);
    char* end = nullptr;
    strtod(held + valueAt, &end);
    int32_t taken = (int32_t)(end - (held + valueAt));
    for (int attempt = edit.number && taken > 0 ? 0 : 1; attempt < 3; attempt++) {
        int32_t from = at;
        bool fits = true;
        if (attempt == 0) {
            int32_t cutFrom = raw[valueAt], cutTo = raw[valueAt + taken - 1] + 1;
            fits = put(out, room, at, content, cutFrom) && put(out, room, at, edit.value, valueLength) &&
                   put(out, room, at, content + cutTo, length - cutTo);
        } else if (attempt == 1) {
            fits = put(out, room, at, content, raw[valueAt - 1] + 1) &&
                   put(out, room, at, edit.value, valueLength);
        } else {
            fits = put(out, room, at, edit.key, valueAt - 1) && put(out, room, at, "=", 1) &&
                   put(out, room, at, edit.value, valueLength);
        }
        if (!fits)
            return false;
        holdLine(out, TextLine{from, at, at, line.fed}, check, nullptr);
        const char* given = valueOf(check, edit.key);
        if (given && sameValue(given, edit))
            return true;
        at = from;
    }
    return false;
}

// The added lines, each key=value with the file's own line ending.
static bool putAddedLines(const SettingEdit* edits, const char* newline, char* out, int32_t room, int32_t& at)
{
    for (int32_t a = 0; a < addedCount; a++) {
        int32_t entry = addedLines[a];
        bool fits = true;
        if (entry >= 0)
            fits = put(out, room, at, edits[entry].key, (int32_t)strlen(edits[entry].key)) &&
                   put(out, room, at, "=", 1) &&
                   put(out, room, at, edits[entry].value, (int32_t)strlen(edits[entry].value));
        else
            fits = put(out, room, at, heldLines[-entry - 1], (int32_t)strlen(heldLines[-entry - 1]));
        if (!fits || !put(out, room, at, newline, (int32_t)strlen(newline)))
            return false;
    }
    return true;
}

// Whether the new text gives every edited key its new value and every other
// key of the old text's first 100 lines exactly what it gave before.
static bool rewriteHolds(const char* text, int32_t size, const char* out, int32_t outSize,
                         const SettingEdit* edits, int count)
{
    char before[kSettingsLineLength], after[kSettingsLineLength], key[kSettingsLineLength];
    for (int e = 0; e < count; e++)
        if (!settingGiven(out, outSize, edits[e].key, after) || !sameValue(after, edits[e]))
            return false;
    for (int32_t i = 0; i < lineCount; i++) {
        int n = keyLength(heldLines[i]);
        memcpy(key, heldLines[i], (size_t)n);
        key[n] = 0;
        bool edited = false;
        for (int e = 0; e < count; e++)
            edited = edited || strcmp(edits[e].key, key) == 0;
        if (n == 0 || edited)
            continue;
        settingGiven(text, size, key, before);
        if (!settingGiven(out, outSize, key, after) || strcmp(before, after) != 0)
            return false;
    }
    return true;
}

// The text with the edits made (see the top of this file) into out; its
// length, or -1 when an edit cannot be written or the result does not fit.
int32_t rewriteSettings(const char* text, int32_t size, const SettingEdit* edits, int count, char* out,
                        int32_t room)
{
    if (size < 0 || count < 0 || count > kMaxSettingEdits)
        return -1;
    scanLines(text, size);
    for (int e = 0; e < count; e++) {
        if (!writableEdit(edits[e]))
            return -1;
        winners[e] = winningLine(edits[e].key);
    }
    int32_t insertAt = planAddedLines(edits, count, size);
    if (insertAt < 0)
        return -1;
    const char* newline = lineCount > 0 && lines[0].fed && lines[0].next - lines[0].end == 2 ? "\r\n" : "\n";
    int32_t at = 0;
    for (int32_t i = 0; i < lineCount; i++) {
        if (i == insertAt && !putAddedLines(edits, newline, out, room, at))
            return -1;
        int edit = -1;
        for (int e = 0; e < count; e++)
            if (winners[e] == i)
                edit = e;
        const TextLine& line = lines[i];
        bool fits = edit >= 0 ? putEditedLine(text, line, edits[edit], out, room, at)
                              : put(out, room, at, text + line.start, line.end - line.start);
        if (!fits || !put(out, room, at, text + line.end, line.next - line.end))
            return -1;
    }
    if (insertAt == lineCount && addedCount > 0) {
        bool unfed = lineCount > 0 && !lines[lineCount - 1].fed;
        if ((unfed && !put(out, room, at, newline, (int32_t)strlen(newline))) ||
            !putAddedLines(edits, newline, out, room, at))
            return -1;
    }
    if (!put(out, room, at, text + restStart, size - restStart))
        return -1;
    return rewriteHolds(text, size, out, at, edits, count) ? at : -1;
}

// ---- Functions: the file -----------------------------------------------------

// Reads the whole file into text; its size, 0 when there is no file, -1 when
// it cannot be read or is larger than room (rewriting it would lose lines).
int32_t readSettingsText(const char* path, char* text, int32_t room)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : -1;
    int32_t size = 0;
    while (true) {
        char spare;
        char* into = size < room ? text + size : &spare;
        ssize_t n = read(fd, into, size < room ? (size_t)(room - size) : 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || size >= room) {
            close(fd);
            return n == 0 ? size : -1;
        }
        size += (int32_t)n;
    }
}

// The file a path names once symbolic links are followed, so that a player
// who keeps settings.ini elsewhere and links it here keeps the link: the new
// file replaces the link's target. A link to a file not there yet names the
// file to create. False for a loop of links or a path too long.
bool followLinks(const char* path, char* real, int room)
{
    if (snprintf(real, (size_t)room, "%s", path) >= room)
        return false;
    for (int hop = 0; hop <= kMostLinksFollowed; hop++) {
        struct stat status;
        if (lstat(real, &status) != 0 || !S_ISLNK(status.st_mode))
            return true;
        char target[kSettingsPathRoom];
        ssize_t n = readlink(real, target, sizeof target - 1);
        if (n <= 0)
            return false;
        target[n] = 0;
        const char* slash = strrchr(real, '/');
        int directory = target[0] == '/' || !slash ? 0 : (int)(slash - real) + 1;
        char joined[kSettingsPathRoom];
        if (snprintf(joined, sizeof joined, "%.*s%s", directory, real, target) >= (int)sizeof joined ||
            snprintf(real, (size_t)room, "%s", joined) >= room)
            return false;
    }
    return false;
}

// Writes the edits into the settings file at path (through any links) as
// one step. False, with the old file whole, when it cannot be read, rewritten
// or written.
bool writeSettings(const char* path, const SettingEdit* edits, int count)
{
    char real[kSettingsPathRoom];
    if (!followLinks(path, real, sizeof real))
        return false;
    int32_t size = readSettingsText(real, settingsOldText, kSettingsFileRoom);
    if (size < 0)
        return false;
    int32_t length = rewriteSettings(settingsOldText, size, edits, count, settingsNewText, kSettingsTextRoom);
    return length >= 0 && writeFileAtomically(real, (const uint8_t*)settingsNewText, length);
}
