// The depth argument of the developer programs: one to three decimal digits
// within the program's own bounds.
#pragma once
#include <cstdint>
#include <cstring>

inline bool ParseDepthArg(const char *S, int Min, int Max, uint8_t &Depth) {
  if (*S == '\0' || std::strlen(S) > 3) return false;
  int V = 0;
  for (const char *C = S; *C; ++C) {
    if (*C < '0' || *C > '9') return false;
    V = V * 10 + (*C - '0');
  }
  if (V < Min || V > Max) return false;
  Depth = static_cast<uint8_t>(V);
  return true;
}
