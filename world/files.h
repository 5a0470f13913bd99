// Writing a file so that it is either the old one or the whole new one, even
// through a crash or a full disk.
#pragma once

#include <cstdint>

// ---- Constants --------------------------------------------------------------

const int kMaxFilePathLength = 256;   // longest path the writer takes, with its end byte

// ---- Functions --------------------------------------------------------------

bool writeFileAtomically(const char* path, const uint8_t* bytes, int32_t size);
