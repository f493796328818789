// The one reader of decimal numbers in commands, options and arguments, and
// the one writer of their digits.
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

// The digits of V, most significant first, into Buf (one char a digit, 20 at
// most, no NUL); returns their count. Nothing else is touched, so a signal
// handler may use it.
inline int DecimalDigits(uint64_t V, char *Buf) {
  char Rev[20];
  int N = 0;
  do {
    Rev[N++] = static_cast<char>('0' + V % 10);
    V /= 10;
  } while (V != 0);
  for (int I = 0; I < N; ++I) Buf[I] = Rev[N - 1 - I];
  return N;
}
