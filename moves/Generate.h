// The generators' shared machinery, for the move generation's own files: the
// direction tables, one generator call's state, adding a scored move, and
// running a generator for the side to move. Full generation is
// moves/GenMoves.cpp, capture generation moves/GenCaptures.cpp.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "eval/LookUpTables.h"
#include "moves/PositionStack.h"
#include "platform/Fatal.h"

namespace MoveGen {
// ---- direction tables -----------------------------------------------------
// The order of the rows is the order in which moves enter the list, which in
// turn breaks ties in GetAMove; they are expanded per square at compile time.
struct Step {
  int8_t Rank, Fyle;
};
constexpr Step KnightOffset[8] = {{1, -2}, {1, 2}, {-1, -2}, {-1, 2},
                                  {2, -1}, {2, 1}, {-2, -1}, {-2, 1}};
constexpr Step KingOffset[8] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                                {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
// Rows 0..3 are the rook's, 4..7 the bishop's.
constexpr Step SlideOffset[8] = {{0, 1}, {0, -1},  {1, 0},  {-1, 0},
                                 {1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
constexpr int RookRows = 0, BishopRows = 4;

// The on-board targets of a step piece from each square, in row order.
struct Targets {
  int8_t N;
  int8_t Sq[8];
};
struct StepTable {
  Targets T[64];
};
constexpr StepTable MakeStepTable(const Step (&Offset)[8]) {
  StepTable R{};
  for (int Sq = 0; Sq < 64; ++Sq) {
    Targets &T = R.T[Sq];
    for (const Step &S : Offset) {
      const int Rank = Sq / 8 + S.Rank, Fyle = Sq % 8 + S.Fyle;
      if (Rank >= 0 && Rank <= 7 && Fyle >= 0 && Fyle <= 7)
        T.Sq[T.N++] = static_cast<int8_t>(Rank * 8 + Fyle);
    }
  }
  return R;
}
constexpr StepTable KnightTargets = MakeStepTable(KnightOffset);
constexpr StepTable KingTargets = MakeStepTable(KingOffset);

// The squares of each ray from each square, nearest first.
struct RayTable {
  Targets R[64][8];
};
constexpr RayTable MakeRayTable() {
  RayTable R{};
  for (int Sq = 0; Sq < 64; ++Sq)
    for (int Row = 0; Row < 8; ++Row) {
      Targets &T = R.R[Sq][Row];
      int Rank = Sq / 8 + SlideOffset[Row].Rank, Fyle = Sq % 8 + SlideOffset[Row].Fyle;
      while (Rank >= 0 && Rank <= 7 && Fyle >= 0 && Fyle <= 7) {
        T.Sq[T.N++] = static_cast<int8_t>(Rank * 8 + Fyle);
        Rank += SlideOffset[Row].Rank;
        Fyle += SlideOffset[Row].Fyle;
      }
    }
  return R;
}
constexpr RayTable Rays = MakeRayTable();

// ---- the table move -------------------------------------------------------
// HashMove as squares (HashFrom, HashTo), so that each added move is compared
// by two bytes instead of by text; -1 when the text names no move.
inline void ParseHashMove(PositionStack &St) {
  const Str4 &M = St.HashMove;
  St.HashFrom = St.HashTo = -1;
  if (M.Length() != 4 || !IsSquareText(M[0], M[1]) || !IsSquareText(M[2], M[3])) return;
  St.HashFrom = StrToFromSq(M);
  St.HashTo = StrToToSq(M);
}

// ---- adding a move --------------------------------------------------------
constexpr int16_t TTMoveScore = 1001;
constexpr int16_t PromotionScore = 1000;
constexpr int16_t CastleScore = 150;
constexpr int16_t EnPassantBonus = 99;

// One generator call: the record it reads, the row it fills, how many
// entries it holds, the table move and the history table. The generators
// pass it down instead of reading Ply, MoveListIndex and HashFrom again for
// every entry.
struct GenState {
  const DataType &D;
  const int8_t *Squares; // D's board, a code per byte, square order
  MoveRec *Row;
  // The row's scores once more, entry I in Scores[I - 1], eight to a 16-byte
  // block, so that GetAMove reads eight with one load (MoveScore).
  int16_t *Scores;
  int N;
  int8_t HFrom, HTo;
  const uint16_t (&Hist)[16][64];
  bool EndGame; // the king's table
};

// The packed board unpacked into a byte per square, so that each square the
// generators look at costs one load instead of a shift and a mask. A rank
// word holds file f in bits 4f..4f+3: byte k holds files 2k (low nibble) and
// 2k + 1 (high nibble), so the low and high nibbles of the 32 board bytes,
// interleaved, are the squares in order.
struct Unpacked {
  alignas(16) int8_t Sq[64];
  explicit Unpacked(const DataType &D) {
#if defined(__SSE2__)
    static_assert(sizeof D.Board == 32, "the board is two 16-byte blocks");
    const __m128i Low = _mm_set1_epi8(0x0F);
    for (int Half = 0; Half < 2; ++Half) {
      const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i *>(D.Board) + Half);
      const __m128i Even = _mm_and_si128(B, Low);
      const __m128i Odd = _mm_and_si128(_mm_srli_epi16(B, 4), Low);
      auto *Out = reinterpret_cast<__m128i *>(Sq + 32 * Half);
      _mm_store_si128(Out, _mm_unpacklo_epi8(Even, Odd));
      _mm_store_si128(Out + 1, _mm_unpackhi_epi8(Even, Odd));
    }
#else
    for (int I = 0; I < 64; ++I) Sq[I] = PieceOn(D, I);
#endif
  }
};

template <bool White> inline bool IsEnemy(int8_t Code) {
  return White ? Code >= 9 : Code >= 1 && Code <= 6;
}

// An entry as the word it is stored as: FromSq, ToSq, MoveValue (two bytes),
// Castle, Capture, Promotion and a zero pad byte, in memory order.
static_assert(sizeof(MoveRec) == 8 && offsetof(MoveRec, ToSq) == 1 &&
                  offsetof(MoveRec, MoveValue) == 2 && offsetof(MoveRec, Castle) == 4 &&
                  offsetof(MoveRec, Capture) == 5 && offsetof(MoveRec, Promotion) == 6,
              "an entry is written as one 64-bit word");
inline void Store(MoveRec &M, int From, int To, int16_t Value, bool Castle, bool Capture,
                  bool Promotion) {
  const uint64_t Word = static_cast<uint8_t>(From) |
                        static_cast<uint64_t>(static_cast<uint8_t>(To)) << 8 |
                        static_cast<uint64_t>(static_cast<uint16_t>(Value)) << 16 |
                        static_cast<uint64_t>(Castle) << 32 | static_cast<uint64_t>(Capture) << 40 |
                        static_cast<uint64_t>(Promotion) << 48;
  std::memcpy(static_cast<void *>(&M), &Word, sizeof Word);
}

// Piece stands on From and Target on To; the generators know both already.
template <bool White>
inline void Add(GenState &G, int From, int To, int8_t Piece, int8_t Target, int Value) {
  if (G.N >= MoveListCapacity) Fatal("GenMoves", __LINE__, "move list row full");
  if (From == G.HFrom && To == G.HTo) Value = TTMoveScore;
  const bool Pawn = Piece == WPawn || Piece == BPawn;
  const bool IsCap = IsEnemy<White>(Target) || (To == G.D.EnPasSq && Pawn);
  if (IsCap) {
    if (To == G.D.EnPasSq)
      Value += EnPassantBonus;
    else
      Value += PieceValue[Target & 7] - (Piece & 7);
  }
  const bool Promotion = (Piece == WPawn && To > 55) || (Piece == BPawn && To < 8);
  const bool Castle = (Piece == WKing || Piece == BKing) && std::abs(From - To) == 2;
  const int16_t Score = static_cast<int16_t>(Promotion ? PromotionScore : Value);
  G.Scores[G.N] = Score;
  Store(G.Row[++G.N], From, To, Score, Castle, IsCap, Promotion);
}

// The piece-square term of a move's score: Type is the piece type (1 pawn ..
// 6 king) of the code the generator passes, known at compile time, so the
// table's choice folds away.
template <int Type> inline int TableTerm(int Seen, bool EndGame) {
  static_assert(Type >= WPawn && Type <= WKing, "a piece type");
  return PST(static_cast<int8_t>(Type), static_cast<int8_t>(Seen), EndGame);
}

// The code of piece type Type for the side.
template <bool White> constexpr int8_t Own(int Type) {
  return static_cast<int8_t>(White ? Type : Type + 8);
}

// A move of a piece of type Mover scored with the table of type Type (they
// differ for the queen, which uses the bishop's and the rook's tables).
template <bool White, int Type, int Mover = Type>
inline void AddScored(GenState &G, int From, int To, int8_t Target) {
  constexpr int8_t Piece = Own<White>(Mover);
  const int Seen = White ? To : To ^ 56;
  const int Value = G.Hist[Piece][To] + TableTerm<Type>(Seen, G.EndGame);
  Add<White>(G, From, To, Piece, Target, static_cast<int16_t>(Value));
}

#if defined(__SSE2__)
// Zeroes Bytes bytes from P on with 16-byte stores (and one of 8 at the end),
// written out: as a loop or a memset the compiler makes it a string
// instruction (rep stos), which costs more here than the whole clear this way.
template <std::size_t Bytes, std::size_t... I>
inline void Zero(void *P, std::index_sequence<I...>) {
  static_assert(Bytes % 8 == 0 && sizeof...(I) == Bytes / 16, "whole 8-byte words");
  __m128i *Out = static_cast<__m128i *>(P);
  (_mm_storeu_si128(Out + I, _mm_setzero_si128()), ...);
  if constexpr (Bytes % 16 != 0) _mm_storel_epi64(Out + Bytes / 16, _mm_setzero_si128());
}
template <std::size_t Bytes> inline void Zero(void *P) {
  Zero<Bytes>(P, std::make_index_sequence<Bytes / 16>{});
}
#else
template <std::size_t Bytes> inline void Zero(void *P) { std::memset(P, 0, Bytes); }
#endif

// The first MaxMoves entries of row Ply, and their scores. Add writes the
// scores with the entries, ClearRow clears them with the row and GetAMove
// marks them with the entry it takes; so an entry written into MoveList by
// any other way is not seen by GetAMove. The row has room past the capacity
// for a last block of eight.
inline void ClearRow(PositionStack &St) {
  Zero<MaxMoves * sizeof(MoveRec)>(&St.MoveList[St.Ply][1]);
  Zero<MaxMoves * sizeof(int16_t)>(St.MoveScore[St.Ply]);
  St.MoveListIndex = 0;
}

template <bool White> inline bool IsOwn(int8_t Code) {
  return White ? Code >= 1 && Code <= 6 : Code >= 9;
}

// Runs a generator for the side to move on Data[Ply] into row Ply, after the
// entries already there; the count.
template <void (*ForWhite)(GenState &), void (*ForBlack)(GenState &)>
uint16_t Generate(PositionStack &St) {
  const DataType &D = St.Data[St.Ply];
  const Unpacked Board(D);
  GenState G{D,
             Board.Sq,
             St.MoveList[St.Ply],
             St.MoveScore[St.Ply],
             St.MoveListIndex,
             St.HashFrom,
             St.HashTo,
             St.HistTab,
             St.EndGame};
  if (St.WhosMove == BMove)
    ForBlack(G);
  else
    ForWhite(G);
  St.MoveListIndex = static_cast<uint16_t>(G.N);
  return St.MoveListIndex;
}
// The pieces beyond the two list slots of their kind (from promotions), each
// with the generator of its kind: Knight, Bishop, Rook and Queen are the
// full generation's or the captures'. Out of line, as almost no position has
// extras.
using PieceGen = void (*)(GenState &, int);
template <bool White, PieceGen Knight, PieceGen Bishop, PieceGen Rook, PieceGen Queen>
[[gnu::noinline]] void GenExtra(GenState &G) {
  const int8_t *Extra = White ? G.D.WExtra : G.D.BExtra;
  for (int I = 0; I < (White ? G.D.WExtraCount : G.D.BExtraCount); ++I) {
    const int Sq = Extra[I];
    switch (G.Squares[Sq] & 7) {
    case WNight:
      Knight(G, Sq);
      break;
    case WBishop:
      Bishop(G, Sq);
      break;
    case WRook:
      Rook(G, Sq);
      break;
    case WQueen:
      Queen(G, Sq);
      break;
    default:
      break;
    }
  }
}
} // namespace MoveGen
