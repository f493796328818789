// The one reader of decimal numbers in commands, options and arguments.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// The Len characters at S as a number of one to MaxDigits decimal digits and
// nothing else (no sign, no blank); false otherwise. MaxDigits is at most 19,
// so the value always fits.
inline bool ParseDecimal(const char *S, std::size_t Len, std::size_t MaxDigits, uint64_t &Value) {
  if (Len == 0 || Len > MaxDigits || MaxDigits > 19) return false;
  uint64_t V = 0;
  for (std::size_t I = 0; I < Len; ++I) {
    if (S[I] < '0' || S[I] > '9') return false;
    V = V * 10 + static_cast<uint64_t>(S[I] - '0');
  }
  Value = V;
  return true;
}
// The same for a whole NUL-terminated text.
inline bool ParseDecimal(const char *S, std::size_t MaxDigits, uint64_t &Value) {
  return ParseDecimal(S, std::strlen(S), MaxDigits, Value);
}
