// Best-first selection from a move list, and the history table that orders
// the quiet moves.
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "moves/GenMoves.h"

namespace {

// The entry of 1..Count with the highest score, the first one among equals
// (1 when no score is above Sentinal), and that score.
struct Best {
  int J;
  int16_t Score;
};

#if defined(__SSE2__)
inline __m128i Load8(const int16_t *P) {
  return _mm_load_si128(reinterpret_cast<const __m128i *>(P));
}

// Every lane ends up holding the maximum of all eight lanes:
// lanes are swapped four apart, then two apart, then one apart.
inline __m128i Swap4(__m128i V) { return _mm_shuffle_epi32(V, _MM_SHUFFLE(1, 0, 3, 2)); }
inline __m128i Swap2(__m128i V) { return _mm_shuffle_epi32(V, _MM_SHUFFLE(2, 3, 0, 1)); }
inline __m128i Swap1(__m128i V) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(V, _MM_SHUFFLE(2, 3, 0, 1)),
                             _MM_SHUFFLE(2, 3, 0, 1));
}
inline __m128i AllMax(__m128i V) {
  V = _mm_max_epi16(V, Swap4(V));
  V = _mm_max_epi16(V, Swap2(V));
  return _mm_max_epi16(V, Swap1(V));
}

// The block after the last full one holds R = Count % 8 counted entries (none
// for R = 0); row R caps its lanes: no cap on a counted entry, Sentinal past
// the count, so that such an entry can never be chosen.
struct TailTable {
  int16_t Cap[8][8];
};
constexpr TailTable MakeTailTable() {
  TailTable T{};
  for (int R = 0; R < 8; ++R)
    for (int L = 0; L < 8; ++L) T.Cap[R][L] = L < R ? INT16_MAX : Sentinal;
  return T;
}
alignas(16) constexpr TailTable Tails = MakeTailTable();

// Which lanes of V equal Top, two bits per lane.
inline unsigned Matches(__m128i V, __m128i Top) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(V, Top)));
}

// Pass one keeps the best score in each lane, pass two finds the first entry
// that holds the best of all lanes, which is the earliest among equals. The
// block after the last full one is always read (it never lies past the row),
// capped each time.
inline Best FindBest(const int16_t *Scores, int Count) {
  const int Full = Count / 8;
  const __m128i Cap = Load8(Tails.Cap[Count % 8]);
  __m128i Max = _mm_min_epi16(Load8(Scores + 8 * Full), Cap);
  for (int B = 0; B < Full; ++B) Max = _mm_max_epi16(Max, Load8(Scores + 8 * B));
  const __m128i Top = AllMax(Max);
  const int16_t Score = static_cast<int16_t>(_mm_cvtsi128_si32(Top));
  if (Score <= Sentinal) return {1, Sentinal};
  for (int B = 0; B < Full; ++B)
    if (const unsigned Hits = Matches(Load8(Scores + 8 * B), Top))
      return {8 * B + std::countr_zero(Hits) / 2 + 1, Score};
  const unsigned Hits = Matches(_mm_min_epi16(Load8(Scores + 8 * Full), Cap), Top);
  return {8 * Full + std::countr_zero(Hits) / 2 + 1, Score};
}
#else
inline Best FindBest(const int16_t *Scores, int Count) {
  Best B = {1, Sentinal};
  for (int I = 1; I <= Count; ++I)
    if (Scores[I - 1] > B.Score) B = {I, Scores[I - 1]};
  return B;
}
#endif
} // namespace

MoveRec GetAMove(PositionStack &St, uint16_t Count) {
  MoveRec *Row = St.MoveList[St.Ply];
  if (Count > MoveListCapacity) Count = MoveListCapacity;
  int16_t *Scores = St.MoveScore[St.Ply];
  const Best B = FindBest(Scores, Count);
  // Chosen as whole words, so that the entry is copied out in one piece.
  uint64_t Found, None;
  std::memcpy(&Found, &Row[B.J], sizeof Found);
  std::memcpy(&None, &NoMove, sizeof None);
  const uint64_t Word = B.Score > Sentinal ? Found : None;
  Row[B.J].MoveValue = Sentinal;
  Scores[B.J - 1] = Sentinal;
  MoveRec Result;
  std::memcpy(&Result, &Word, sizeof Result);
  return Result;
}

// A counter that grows past this halves the whole table.
constexpr uint16_t HistoryHalvingLimit = 99;

void AddToHistory(PositionStack &St, const MoveRec &TheMove, int8_t Depth) {
  if (TheMove.FromSq < 0 || TheMove.ToSq < 0) return;
  const int8_t P = PieceOn(St.Data[St.Ply], TheMove.FromSq);
  auto &Hist = St.HistTab;
  uint16_t &Entry = Hist[P][TheMove.ToSq];
  Entry = static_cast<uint16_t>(Entry + Depth * Depth);
  if (Entry <= HistoryHalvingLimit) return;
  // Halving keeps old successes from outweighing recent ones for ever.
  for (int Code = 1; Code <= 14; ++Code) {
    if (Code == 7 || Code == 8) continue;
    for (uint16_t &H : Hist[Code]) H >>= 1;
  }
}

void ClearHistory(PositionStack &St) { std::memset(St.HistTab, 0, sizeof St.HistTab); }
