// Fixed-capacity text: the program's strings never touch the heap, and a text
// that does not fit is cut on assignment, as the game's texts are defined to be.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

template <std::size_t N> struct FixedStr {
  static_assert(N >= 1 && N <= 255, "texts hold at most 255 characters");
  uint8_t Len = 0;
  char Buf[N + 1] = {};

  constexpr FixedStr() = default;
  FixedStr(const char *S) { Assign(S); }
  template <std::size_t M> FixedStr(const FixedStr<M> &S) { Assign(S.Buf, S.Len); }

  FixedStr &operator=(const char *S) {
    Assign(S);
    return *this;
  }
  template <std::size_t M> FixedStr &operator=(const FixedStr<M> &S) {
    Assign(S.Buf, S.Len);
    return *this;
  }

  // A null text is the empty one: memmove with a null pointer is undefined
  // even for no bytes.
  void Assign(const char *S) {
    if (S)
      Assign(S, std::strlen(S));
    else
      Clear();
  }
  void Assign(const char *S, std::size_t L) {
    if (L > N) L = N;
    std::memmove(Buf, S, L);
    Len = static_cast<uint8_t>(L);
    Buf[Len] = '\0';
  }
  void Append(const char *S, std::size_t L) {
    std::size_t Room = N - Len;
    if (L > Room) L = Room;
    std::memcpy(Buf + Len, S, L);
    Len = static_cast<uint8_t>(Len + L);
    Buf[Len] = '\0';
  }
  void Append(const char *S) { Append(S, std::strlen(S)); }
  template <std::size_t M> void Append(const FixedStr<M> &S) { Append(S.Buf, S.Len); }
  void Append(char C) { Append(&C, 1); }
  void Clear() {
    Len = 0;
    Buf[0] = '\0';
  }

  std::size_t Length() const { return Len; }
  bool Empty() const { return Len == 0; }
  const char *c_str() const { return Buf; }
  char operator[](std::size_t I) const { return Buf[I]; }
  char &operator[](std::size_t I) { return Buf[I]; }
  static constexpr std::size_t Capacity() { return N; }

  bool StartsWith(const char *P, std::size_t L) const {
    return L <= Len && std::memcmp(Buf, P, L) == 0;
  }
  template <std::size_t M> bool StartsWith(const FixedStr<M> &P) const {
    return StartsWith(P.Buf, P.Len);
  }
};

template <std::size_t N, std::size_t M>
bool operator==(const FixedStr<N> &A, const FixedStr<M> &B) {
  return A.Len == B.Len && std::memcmp(A.Buf, B.Buf, A.Len) == 0;
}
template <std::size_t N> bool operator==(const FixedStr<N> &A, const char *B) {
  std::size_t L = std::strlen(B);
  return A.Len == L && std::memcmp(A.Buf, B, L) == 0;
}

// Whether Text is one of the Count texts at List.
template <std::size_t N, std::size_t M>
bool InList(const FixedStr<N> &Text, const FixedStr<M> *List, std::size_t Count) {
  for (std::size_t I = 0; I < Count; ++I)
    if (List[I] == Text) return true;
  return false;
}

using Str2 = FixedStr<2>;
using Str4 = FixedStr<4>;
using ShortStr = FixedStr<10>;
using Str255 = FixedStr<255>;
