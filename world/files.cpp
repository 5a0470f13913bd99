// Whole files in the working directory: read at once, or replaced as one step
// so that a crash or a full disk never leaves half a file behind.
#include "world/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// ---- Constants --------------------------------------------------------------

static const char* const kTempSuffix = ".tmp";  // a file being written, renamed over the real one once complete
static const mode_t kFileMode = 0644;
static const int kMaxPathLength = 4096;

// ---- Functions --------------------------------------------------------------

// Reads up to capacity bytes of a file; the number read, or -1 when the file
// cannot be opened or read. A pipe in the file's place reads as empty instead
// of waiting for a writer.
int32_t readWholeFile(const char* path, uint8_t* bytes, int32_t capacity)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int32_t size = 0;
    while (size < capacity) {
        ssize_t n = read(fd, bytes + size, (size_t)(capacity - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0)
                size = -1;
            break;
        }
        size += (int32_t)n;
    }
    close(fd);
    return size;
}

// Writes every byte, going on after short writes; false on any error (a full
// disk included).
bool writeAll(int fd, const uint8_t* bytes, int32_t size)
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

// Makes the renaming of a file last through a crash: syncs the directory
// that holds `path` (the working directory for a bare name).
void syncDirectoryOf(const char* path)
{
    char directory[kMaxPathLength] = ".";
    const char* slash = strrchr(path, '/');
    if (slash && slash - path < kMaxPathLength - 1) {
        size_t length = slash == path ? 1 : (size_t)(slash - path);
        memcpy(directory, path, length);
        directory[length] = 0;
    }
    int fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// Replaces a file as one step: the bytes go to a temporary file beside it,
// reach the disk, and only then take the file's name. On any failure the old
// file stays as it was and the temporary file is removed. True when the new
// file is in place.
bool writeFileAtomically(const char* path, const uint8_t* bytes, int32_t size)
{
    char temp[kMaxPathLength];
    if (snprintf(temp, sizeof temp, "%s%s", path, kTempSuffix) >= (int)sizeof temp || size < 0)
        return false;
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kFileMode);
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
