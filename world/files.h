// Whole files in the working directory: read at once, or replaced as one step
// so that a crash or a full disk never leaves half a file behind.
#pragma once

#include <cstdint>

bool writeFileAtomically(const char* path, const uint8_t* bytes, int32_t size);
int32_t readWholeFile(const char* path, uint8_t* bytes, int32_t capacity);
bool writeAll(int fd, const uint8_t* bytes, int32_t size);
void syncDirectoryOf(const char* path);
