// The one durable file writer: a temporary file beside the target, written
// whole and synced, then renamed over it, then the directory synced.
#include "world/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "world/savefile.h"

// ---- Constants --------------------------------------------------------------

static const char* const kTemporarySuffix = ".tmp";
static const mode_t kWrittenFileMode = 0644;

// ---- Functions --------------------------------------------------------------

// Syncs the directory that holds path ("." for a bare name), so that a rename
// into it lasts through a crash.
static void syncDirectoryOf(const char* path)
{
    char dir[kMaxFilePathLength];
    const char* slash = strrchr(path, '/');
    if (slash == nullptr)
        snprintf(dir, sizeof dir, ".");
    else if (slash == path)
        snprintf(dir, sizeof dir, "/");
    else
        snprintf(dir, sizeof dir, "%.*s", (int)(slash - path), path);
    int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// Replaces the file at path by size bytes. On any failure (no room, no
// permission, a path too long) the old file stays whole, the temporary file
// is removed and the result is false.
bool writeFileAtomically(const char* path, const uint8_t* bytes, int32_t size)
{
    char temp[kMaxFilePathLength];
    if (size < 0 || snprintf(temp, sizeof temp, "%s%s", path, kTemporarySuffix) >= (int)sizeof temp)
        return false;
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kWrittenFileMode);
    if (fd < 0)
        return false;
    bool written = writeAll(fd, bytes, size) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temp, path) != 0) {
        unlink(temp);
        return false;
    }
    syncDirectoryOf(path);
    return true;
}
