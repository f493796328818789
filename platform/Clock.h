// The monotonic millisecond tick count.
#pragma once
#include <cstdint>

uint64_t GetTickCount64();
