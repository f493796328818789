#include "moves/GenMoves.h"

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
#include "platform/Fatal.h"

namespace {
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
void ParseHashMove(PositionStack &St) {
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
void ClearRow(PositionStack &St) {
  Zero<MaxMoves * sizeof(MoveRec)>(&St.MoveList[St.Ply][1]);
  Zero<MaxMoves * sizeof(int16_t)>(St.MoveScore[St.Ply]);
  St.MoveListIndex = 0;
}

// ---- full generation ------------------------------------------------------
template <bool White> inline bool IsOwn(int8_t Code) {
  return White ? Code >= 1 && Code <= 6 : Code >= 9;
}

// The diagonal step of a pawn towards file Fyle + Side, if that is on the board.
template <bool White> inline void PawnTake(GenState &G, int From, int One, int Fyle, int Side) {
  if (Fyle + Side < 0 || Fyle + Side > 7) return;
  const int To = One + Side;
  const int8_t P = G.Squares[To];
  if (To == G.D.EnPasSq || (White ? P >= 9 && P <= 13 : P >= 1 && P <= 5))
    AddScored<White, WPawn>(G, From, To, P);
}

// The single step, the double step (from any square off the middle four
// ranks, over an empty square) and the two diagonals, which take a piece
// other than the king or the en-passant square. Black's steps are White's
// mirrored in rank and file, so its diagonals come in the other file order.
template <bool White> inline void GenPawn(GenState &G, int From) {
  constexpr int Dir = White ? 1 : -1;
  const int Rank = From / 8 + Dir, Fyle = From % 8;
  if (Rank < 0 || Rank > 7) return;
  const int One = From + 8 * Dir;
  const int8_t P1 = G.Squares[One];
  if (P1 == Empty) AddScored<White, WPawn>(G, From, One, P1);
  if (Rank + Dir >= 0 && Rank + Dir <= 7) {
    const int8_t P2 = G.Squares[One + 8 * Dir];
    if (!(From >= 16 && From <= 47) && P2 == Empty && P1 == Empty)
      AddScored<White, WPawn>(G, From, One + 8 * Dir, P2);
  }
  PawnTake<White>(G, From, One, Fyle, -Dir);
  PawnTake<White>(G, From, One, Fyle, Dir);
}

template <bool White> void GenPawnMoves(GenState &G) {
  const int8_t *Pawns = White ? G.D.WPawnList : G.D.BPawnList;
  for (int I = 0; I < 8; ++I)
    if (Pawns[I] != -1) GenPawn<White>(G, Pawns[I]);
}

// A knight may take the enemy king; a king never steps onto a king.
template <bool White, int Type> void GenStepMoves(GenState &G, int FromSq, const StepTable &Table) {
  const Targets &T = Table.T[FromSq];
  for (int I = 0; I < T.N; ++I) {
    const int8_t P = G.Squares[T.Sq[I]];
    if (IsOwn<White>(P)) continue;
    if (Type == WKing && (P == WKing || P == BKing)) continue;
    AddScored<White, Type>(G, FromSq, T.Sq[I], P);
  }
}

// Nearest square outward; a capture (the enemy king included) ends the ray.
template <bool White, int Type, int Mover>
void GenSlideMoves(GenState &G, int FromSq, int FirstRow) {
  for (int Row = FirstRow; Row < FirstRow + 4; ++Row) {
    const Targets &T = Rays.R[FromSq][Row];
    for (int I = 0; I < T.N; ++I) {
      const int8_t P = G.Squares[T.Sq[I]];
      if (IsOwn<White>(P)) break;
      AddScored<White, Type, Mover>(G, FromSq, T.Sq[I], P);
      if (P != Empty) break;
    }
  }
}

template <bool White> void GenKnightMoves(GenState &G, int FromSq) {
  GenStepMoves<White, WNight>(G, FromSq, KnightTargets);
}
template <bool White, int Mover = WRook> void GenRookMoves(GenState &G, int FromSq) {
  GenSlideMoves<White, WRook, Mover>(G, FromSq, RookRows);
}
template <bool White, int Mover = WBishop> void GenBishopMoves(GenState &G, int FromSq) {
  GenSlideMoves<White, WBishop, Mover>(G, FromSq, BishopRows);
}
// Scored with the bishop's table on the diagonals and the rook's on the lines.
template <bool White> void GenQueenMoves(GenState &G, int FromSq) {
  GenBishopMoves<White, WQueen>(G, FromSq);
  GenRookMoves<White, WQueen>(G, FromSq);
}

struct CastleRow {
  int8_t Origin;
  uint8_t Bit;
  int8_t Empty[3]; // -1: no square
  int8_t Safe[3];
  int8_t Dest;
};
// The rook's presence is not tested: the castle bits are the record of it.
// b1 and b8 need only be empty.
constexpr CastleRow WhiteCastle[2] = {{4, 1, {5, 6, -1}, {4, 5, 6}, 6},
                                      {4, 2, {1, 2, 3}, {4, 2, 3}, 2}};
constexpr CastleRow BlackCastle[2] = {{60, 4, {61, 62, -1}, {60, 61, 62}, 62},
                                      {60, 8, {57, 58, 59}, {60, 58, 59}, 58}};

template <bool White> void GenKingMoves(GenState &G, int FromSq) {
  GenStepMoves<White, WKing>(G, FromSq, KingTargets);
  const DataType &D = G.D;
  for (const CastleRow &C : White ? WhiteCastle : BlackCastle) {
    if (FromSq != C.Origin || !(D.CastleStat & C.Bit)) continue;
    bool Ok = true;
    for (int8_t Sq : C.Empty)
      if (Sq != -1 && G.Squares[Sq] != Empty) Ok = false;
    for (int I = 0; Ok && I < 3; ++I)
      if (Attacked(D, C.Safe[I], White ? BMove : WMove)) Ok = false;
    if (Ok) Add<White>(G, FromSq, C.Dest, Own<White>(WKing), G.Squares[C.Dest], CastleScore);
  }
}

// Out of line, as almost no position has extras; each moves (or, with Caps,
// takes) as its kind. Defined after the capture generators.
template <bool White, bool Caps> [[gnu::noinline]] void GenExtra(GenState &G);

template <bool White> void GenAll(GenState &G) {
  const DataType &D = G.D;
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  GenPawnMoves<White>(G);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WNight)] != -1) GenKnightMoves<White>(G, L[Slot][PIdx(WNight)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WRook)] != -1) GenRookMoves<White>(G, L[Slot][PIdx(WRook)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WBishop)] != -1) GenBishopMoves<White>(G, L[Slot][PIdx(WBishop)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WQueen)] != -1) GenQueenMoves<White>(G, L[Slot][PIdx(WQueen)]);
  // Pieces promoted beyond the two slots move after the listed ones.
  if ((White ? D.WExtraCount : D.BExtraCount) != 0) GenExtra<White, false>(G);
  if (L[0][PIdx(WKing)] != -1) GenKingMoves<White>(G, L[0][PIdx(WKing)]);
}

// ---- capture generation ---------------------------------------------------
// Enemy pawn..queen: the king is never captured here.
template <bool White> inline bool IsVictim(int8_t Code) {
  return White ? Code >= 9 && Code <= 13 : Code >= 1 && Code <= 5;
}

template <bool White, int Type> void GenStepCaps(GenState &G, int FromSq, const StepTable &Table) {
  const Targets &T = Table.T[FromSq];
  for (int I = 0; I < T.N; ++I) {
    const int8_t P = G.Squares[T.Sq[I]];
    if (IsVictim<White>(P)) AddScored<White, Type>(G, FromSq, T.Sq[I], P);
  }
}

// An own piece, the enemy king or the edge ends a ray without a move.
template <bool White, int Type> void GenSlideCaps(GenState &G, int FromSq, int FirstRow) {
  for (int Row = FirstRow; Row < FirstRow + 4; ++Row) {
    const Targets &T = Rays.R[FromSq][Row];
    for (int I = 0; I < T.N; ++I) {
      const int8_t P = G.Squares[T.Sq[I]];
      if (P == Empty) continue;
      if (IsVictim<White>(P)) AddScored<White, Type>(G, FromSq, T.Sq[I], P);
      break;
    }
  }
}

template <bool White> void GenKnightCap(GenState &G, int FromSq) {
  GenStepCaps<White, WNight>(G, FromSq, KnightTargets);
}
template <bool White> void GenKingCaps(GenState &G, int FromSq) {
  GenStepCaps<White, WKing>(G, FromSq, KingTargets);
}
template <bool White> void GenBishopCaps(GenState &G, int FromSq) {
  GenSlideCaps<White, WBishop>(G, FromSq, BishopRows);
}
template <bool White> void GenRookCaps(GenState &G, int FromSq) {
  GenSlideCaps<White, WRook>(G, FromSq, RookRows);
}
// Both rays of a queen use the queen's own table here.
template <bool White> void GenQueenCaps(GenState &G, int FromSq) {
  GenSlideCaps<White, WQueen>(G, FromSq, BishopRows);
  GenSlideCaps<White, WQueen>(G, FromSq, RookRows);
}

template <bool White> void GenPawnCaps(GenState &G) {
  const DataType &D = G.D;
  const int8_t *Pawns = White ? D.WPawnList : D.BPawnList;
  for (int I = 0; I < 8; ++I) {
    const int FromSq = Pawns[I];
    if (FromSq == -1) continue;
    // A pawn moved onto its last rank is promoted, but a position file or the
    // editor may set one there: it has nothing ahead to take.
    if (White ? FromSq > 55 : FromSq < 8) continue;
    const int Fyle = FromSq % 8;
    const int Left = White ? FromSq + 7 : FromSq - 9;
    const int Right = White ? FromSq + 9 : FromSq - 7;
    if (Fyle >= 1) {
      const int8_t P = G.Squares[Left];
      if (IsVictim<White>(P)) AddScored<White, WPawn>(G, FromSq, Left, P);
    }
    if (Fyle <= 6) {
      const int8_t P = G.Squares[Right];
      if (IsVictim<White>(P)) AddScored<White, WPawn>(G, FromSq, Right, P);
    }
  }
}

template <bool White, bool Caps> [[gnu::noinline]] void GenExtra(GenState &G) {
  const int8_t *Extra = White ? G.D.WExtra : G.D.BExtra;
  for (int I = 0; I < (White ? G.D.WExtraCount : G.D.BExtraCount); ++I) {
    const int Sq = Extra[I];
    switch (G.Squares[Sq] & 7) {
    case WNight:
      Caps ? GenKnightCap<White>(G, Sq) : GenKnightMoves<White>(G, Sq);
      break;
    case WBishop:
      Caps ? GenBishopCaps<White>(G, Sq) : GenBishopMoves<White>(G, Sq);
      break;
    case WRook:
      Caps ? GenRookCaps<White>(G, Sq) : GenRookMoves<White>(G, Sq);
      break;
    case WQueen:
      Caps ? GenQueenCaps<White>(G, Sq) : GenQueenMoves<White>(G, Sq);
      break;
    default:
      break;
    }
  }
}

template <bool White> void GenAllCaps(GenState &G) {
  const DataType &D = G.D;
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  GenPawnCaps<White>(G);
  for (int Slot = 0; Slot < 2; ++Slot) {
    const int8_t *E = L[Slot];
    if (E[PIdx(WNight)] != -1) GenKnightCap<White>(G, E[PIdx(WNight)]);
    if (E[PIdx(WBishop)] != -1) GenBishopCaps<White>(G, E[PIdx(WBishop)]);
    if (E[PIdx(WRook)] != -1) GenRookCaps<White>(G, E[PIdx(WRook)]);
    if (E[PIdx(WQueen)] != -1) GenQueenCaps<White>(G, E[PIdx(WQueen)]);
    if (Slot == 0 && E[PIdx(WKing)] != -1) GenKingCaps<White>(G, E[PIdx(WKing)]);
  }
  if ((White ? D.WExtraCount : D.BExtraCount) != 0) GenExtra<White, true>(G);
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

uint16_t GenMoveList(PositionStack &St, const Str4 &TTMove) {
  ClearRow(St);
  St.HashMove = TTMove;
  ParseHashMove(St);
  return Generate<GenAll<true>, GenAll<false>>(St);
}

uint16_t GenCaptureList(PositionStack &St) {
  ClearRow(St);
  // HashMove is left as the last full generation set it.
  ParseHashMove(St);
  return Generate<GenAllCaps<true>, GenAllCaps<false>>(St);
}
