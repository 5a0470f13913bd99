// The clock: milliseconds since start-up, and sleeping.
#pragma once

#include <cstdint>

uint32_t clockTicks();
void sleepMilliseconds(uint32_t milliseconds);
