// Durable whole-file writes: a temporary file beside the target, synced, then
// renamed over it, and the directory synced so the new name lasts a crash.
#include "world/files.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

// ---- Constants --------------------------------------------------------------

static const char* const kTemporarySuffix = ".tmp";  // the file being written, beside the target
static const int kPathRoom = 4096;                   // longest path written, with its zero
static const mode_t kNewFileMode = 0644;             // a new file: the player reads and writes it

// ---- Functions --------------------------------------------------------------

// Writes every byte, going on after short writes; false on any error (a full
// disk included).
static bool writeEveryByte(int fd, const uint8_t* bytes, int32_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, bytes, (size_t)size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= (int32_t)n;
    }
    return true;
}

// Syncs the directory holding path, so a rename inside it reaches the disk.
static void syncDirectoryOf(const char* path)
{
    char directory[kPathRoom];
    const char* slash = strrchr(path, '/');
    if (!slash)
        snprintf(directory, sizeof directory, ".");
    else if (slash == path)
        snprintf(directory, sizeof directory, "/");
    else
        snprintf(directory, sizeof directory, "%.*s", (int)(slash - path), path);
    int fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// Replaces the file at path with the bytes: they go to path.tmp, reach the
// disk, and only then take the file's name. On any failure the old file stays
// as it was and the temporary file is removed. True when the new file is in
// place. A link at path.tmp is never followed.
bool writeFileAtomically(const char* path, const uint8_t* bytes, int32_t size)
{
    char temporary[kPathRoom];
    if (size < 0 || snprintf(temporary, sizeof temporary, "%s%s", path, kTemporarySuffix) >= kPathRoom)
        return false;
    int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
    if (fd < 0)
        return false;
    bool written = writeEveryByte(fd, bytes, size) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temporary, path) != 0) {
        unlink(temporary);
        return false;
    }
    syncDirectoryOf(path);
    return true;
}
