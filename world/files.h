// Files replaced as one step: a crash, a full disk or a read-only directory
// never leaves a half-written file where a whole one stood.
#pragma once

#include <cstdint>

bool writeFileAtomically(const char* path, const uint8_t* bytes, int32_t size);
