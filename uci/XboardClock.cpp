#include "uci/XboardClock.h"

#include "platform/Decimal.h"

namespace Uci {
namespace {

constexpr uint64_t DayMs = 86400000;

// Digits, then at most three decimals after a point, in thousandths.
bool ReadThousandths(const char *T, uint64_t &V) {
  uint64_t Whole = 0;
  int Digits = 0;
  for (; *T >= '0' && *T <= '9'; ++T, ++Digits) {
    if (Digits == 9) return false;
    Whole = Whole * 10 + static_cast<uint64_t>(*T - '0');
  }
  uint64_t Part = 0, Scale = 100;
  if (*T == '.') {
    for (++T; *T >= '0' && *T <= '9'; ++T) {
      Part += static_cast<uint64_t>(*T - '0') * Scale;
      Scale /= 10;
    }
  } else if (Digits == 0) {
    return false;
  }
  if (*T != '\0') return false;
  V = Whole * 1000 + Part;
  return true;
}

} // namespace

bool ReadSeconds(const char *Text, uint64_t &Ms) {
  uint64_t V = 0;
  if (!ReadThousandths(Text, V) || V > DayMs) return false;
  Ms = V;
  return true;
}

bool ReadLevel(const char *Mps, const char *Base, const char *Inc, XboardClock &C) {
  uint64_t Moves = 0, BaseMs = 0, IncMs = 0;
  if (!ParseDecimal(Mps, 6, Moves) || !ReadSeconds(Inc, IncMs)) return false;
  // "5" is five minutes, "0:30" thirty seconds.
  char Minutes[16];
  const char *Seconds = nullptr;
  int I = 0;
  for (; Base[I] && Base[I] != ':'; ++I) {
    if (I + 1 == static_cast<int>(sizeof Minutes)) return false;
    Minutes[I] = Base[I];
  }
  Minutes[I] = '\0';
  if (Base[I] == ':') Seconds = Base + I + 1;
  uint64_t MinuteMs = 0, SecondMs = 0;
  if (!ReadSeconds(Minutes, MinuteMs) || (Seconds && !ReadSeconds(Seconds, SecondMs))) return false;
  BaseMs = MinuteMs * 60 + SecondMs;
  if (BaseMs > DayMs) return false;
  C.MovesPerSession = static_cast<uint32_t>(Moves);
  C.BaseMs = BaseMs;
  C.IncMs = IncMs;
  C.MoveMs = 0;
  return true;
}

SearchLimits XboardMoveLimits(const XboardClock &C, uint32_t Made) {
  SearchLimits L;
  L.FirstDepth = 1;
  if (C.Depth > 0) L.Depth = C.Depth;
  if (C.MoveMs > 0) {
    // Like UCI's movetime: one tick more, so that the limit never fires early.
    L.TimeMs = C.MoveMs + 1;
    return L;
  }
  L.OnClock = true;
  L.ClockMs = C.LeftMs >= 0 ? static_cast<uint64_t>(C.LeftMs) : C.BaseMs;
  L.IncMs = C.IncMs;
  L.MovesToGo = C.MovesPerSession > 0 ? C.MovesPerSession - Made % C.MovesPerSession : 0;
  return L;
}

} // namespace Uci
