#include "moves/GenMoves.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "eval/LookUpTables.h"
#include "platform/Terminal.h"

MoveRec MoveList[MaxPly + 1][MoveListCapacity + 1];
uint16_t MoveListIndex = 0;
Str4 HashMove;
uint16_t HistTab[16][64];

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
// HashMove as squares, so that each added move is compared by two bytes
// instead of by text; -1 when the text names no move.
int8_t HashFrom = -1, HashTo = -1;

bool IsSquareText(char F, char R) { return F >= 'A' && F <= 'H' && R >= '1' && R <= '8'; }

void ParseHashMove(int8_t &From, int8_t &To) {
  From = To = -1;
  if (HashMove.Length() != 4 || !IsSquareText(HashMove[0], HashMove[1]) ||
      !IsSquareText(HashMove[2], HashMove[3]))
    return;
  From = StrToFromSq(HashMove);
  To = StrToToSq(HashMove);
}

// ---- adding a move --------------------------------------------------------
constexpr int16_t TTMoveScore = 1001;
constexpr int16_t PromotionScore = 1000;
constexpr int16_t CastleScore = 150;
constexpr int16_t EnPassantBonus = 99;

template <bool White> inline bool IsEnemy(int8_t Code) {
  return White ? Code >= 9 : Code >= 1 && Code <= 6;
}

template <bool White> inline void Add(int From, int To, int Value, int8_t HFrom, int8_t HTo) {
  if (MoveListIndex >= MoveListCapacity) Fatal("GenMoves", __LINE__, "move list row full");
  const DataType &D = Data[Ply];
  const int8_t Piece = PieceOn(D, From);
  const int8_t Target = PieceOn(D, To);
  if (From == HFrom && To == HTo) Value = TTMoveScore;
  const bool Pawn = Piece == WPawn || Piece == BPawn;
  const bool IsCap = IsEnemy<White>(Target) || (To == D.EnPasSq && Pawn);
  if (IsCap) {
    if (To == D.EnPasSq)
      Value += EnPassantBonus;
    else
      Value += PieceValue[Target & 7] - (Piece & 7);
  }
  const bool Promotion = (Piece == WPawn && To > 55) || (Piece == BPawn && To < 8);
  MoveRec &M = MoveList[Ply][++MoveListIndex];
  M.FromSq = static_cast<int8_t>(From);
  M.ToSq = static_cast<int8_t>(To);
  M.MoveValue = static_cast<int16_t>(Promotion ? PromotionScore : Value);
  M.Castle = (Piece == WKing || Piece == BKing) && std::abs(From - To) == 2;
  M.Capture = IsCap;
  M.Promotion = Promotion;
}

// MoveValue with the table chosen at compile time: Type is the piece type
// (1 pawn .. 6 king) of the code the generator passes.
template <int Type> inline int TableTerm(int Seen) {
  if constexpr (Type == WPawn) return PST_Pawn[Seen];
  if constexpr (Type == WNight) return PST_Knight[Seen];
  if constexpr (Type == WBishop) return PST_Bishop[Seen];
  if constexpr (Type == WRook) return PST_Rook[Seen];
  if constexpr (Type == WQueen) return PST_Queen[Seen];
  if constexpr (Type == WKing) return EndGame ? PST_King_EG[Seen] : PST_King_MG[Seen];
}

template <bool White, int Type> inline void AddScored(int From, int To) {
  const int Seen = White ? To : To ^ 56;
  const int Value = HistTab[PieceOn(Data[Ply], From)][To] + TableTerm<Type>(Seen);
  Add<White>(From, To, static_cast<int16_t>(Value), HashFrom, HashTo);
}

void ClearRow() {
  std::memset(static_cast<void *>(&MoveList[Ply][1]), 0, MaxMoves * sizeof(MoveRec));
  MoveListIndex = 0;
}

// ---- full generation ------------------------------------------------------
template <bool White> inline bool IsOwn(int8_t Code) {
  return White ? Code >= 1 && Code <= 6 : Code >= 9;
}

// The pawn generator's target test for direction Row (0 single step, 1 double
// step, 2 and 3 the diagonals).
template <bool White> inline bool IllegalPawnMove(int Row, int FromSq, int ToSq, int8_t P) {
  const DataType &D = Data[Ply];
  if (Row == 0) return P != Empty;
  if (Row == 1)
    return (FromSq >= 16 && FromSq <= 47) || P != Empty ||
           PieceOn(D, White ? ToSq - 8 : ToSq + 8) != Empty;
  // Never the king: a pawn does not take it.
  return !(ToSq == D.EnPasSq || (White ? P >= 9 && P <= 13 : P >= 1 && P <= 5));
}

// Written from White's side; Black's steps are the same times -1.
constexpr Step PawnOffset[4] = {{1, 0}, {2, 0}, {1, -1}, {1, 1}};
constexpr int PawnBoardOffset[4] = {8, 16, 7, 9};

template <bool White> inline void GenPawnRow(int Row, int FromSq) {
  constexpr int Dir = White ? 1 : -1;
  const int Rank = FromSq / 8 + PawnOffset[Row].Rank * Dir;
  const int Fyle = FromSq % 8 + PawnOffset[Row].Fyle * Dir;
  if (!OnBoard(static_cast<int8_t>(Rank), static_cast<int8_t>(Fyle))) return;
  const int ToSq = FromSq + PawnBoardOffset[Row] * Dir;
  if (!IllegalPawnMove<White>(Row, FromSq, ToSq, PieceOn(Data[Ply], ToSq)))
    AddScored<White, WPawn>(FromSq, ToSq);
}

template <bool White> void GenPawnMoves() {
  const DataType &D = Data[Ply];
  const int8_t *Pawns = White ? D.WPawnList : D.BPawnList;
  for (int I = 0; I < 8; ++I) {
    const int FromSq = Pawns[I];
    if (FromSq == -1) continue;
    for (int Row = 0; Row < 4; ++Row) GenPawnRow<White>(Row, FromSq);
  }
}

// A knight may take the enemy king; a king never steps onto a king.
template <bool White, int Type> void GenStepMoves(int FromSq, const StepTable &Table) {
  const DataType &D = Data[Ply];
  const Targets &T = Table.T[FromSq];
  for (int I = 0; I < T.N; ++I) {
    const int8_t P = PieceOn(D, T.Sq[I]);
    if (IsOwn<White>(P)) continue;
    if (Type == WKing && (P == WKing || P == BKing)) continue;
    AddScored<White, Type>(FromSq, T.Sq[I]);
  }
}

// Nearest square outward; a capture (the enemy king included) ends the ray.
template <bool White, int Type> void GenSlideMoves(int FromSq, int FirstRow) {
  const DataType &D = Data[Ply];
  for (int Row = FirstRow; Row < FirstRow + 4; ++Row) {
    const Targets &T = Rays.R[FromSq][Row];
    for (int I = 0; I < T.N; ++I) {
      const int8_t P = PieceOn(D, T.Sq[I]);
      if (IsOwn<White>(P)) break;
      AddScored<White, Type>(FromSq, T.Sq[I]);
      if (P != Empty) break;
    }
  }
}

template <bool White> void GenKnightMoves(int FromSq) {
  GenStepMoves<White, WNight>(FromSq, KnightTargets);
}
template <bool White> void GenRookMoves(int FromSq) {
  GenSlideMoves<White, WRook>(FromSq, RookRows);
}
template <bool White> void GenBishopMoves(int FromSq) {
  GenSlideMoves<White, WBishop>(FromSq, BishopRows);
}
// Scored with the bishop's table on the diagonals and the rook's on the lines.
template <bool White> void GenQueenMoves(int FromSq) {
  GenBishopMoves<White>(FromSq);
  GenRookMoves<White>(FromSq);
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

template <bool White> void GenKingMoves(int FromSq) {
  GenStepMoves<White, WKing>(FromSq, KingTargets);
  const DataType &D = Data[Ply];
  for (const CastleRow &C : White ? WhiteCastle : BlackCastle) {
    if (FromSq != C.Origin || !(D.CastleStat & C.Bit)) continue;
    bool Ok = true;
    for (int8_t Sq : C.Empty)
      if (Sq != -1 && PieceOn(D, Sq) != Empty) Ok = false;
    for (int I = 0; Ok && I < 3; ++I)
      if (Attacked(C.Safe[I], White ? BMove : WMove)) Ok = false;
    if (Ok) Add<White>(FromSq, C.Dest, CastleScore, HashFrom, HashTo);
  }
}

template <bool White> void GenAll() {
  const DataType &D = Data[Ply];
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  GenPawnMoves<White>();
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WNight)] != -1) GenKnightMoves<White>(L[Slot][PIdx(WNight)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WRook)] != -1) GenRookMoves<White>(L[Slot][PIdx(WRook)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WBishop)] != -1) GenBishopMoves<White>(L[Slot][PIdx(WBishop)]);
  for (int Slot = 0; Slot < 2; ++Slot)
    if (L[Slot][PIdx(WQueen)] != -1) GenQueenMoves<White>(L[Slot][PIdx(WQueen)]);
  // Queens promoted beyond the two slots move after the listed ones.
  const uint8_t Extra = White ? D.WExtraCount : D.BExtraCount;
  const int8_t *Queens = White ? D.WExtraQueens : D.BExtraQueens;
  for (int I = 0; I < Extra; ++I) GenQueenMoves<White>(Queens[I]);
  if (L[0][PIdx(WKing)] != -1) GenKingMoves<White>(L[0][PIdx(WKing)]);
}

// ---- capture generation ---------------------------------------------------
// Enemy pawn..queen: the king is never captured here.
template <bool White> inline bool IsVictim(int8_t Code) {
  return White ? Code >= 9 && Code <= 13 : Code >= 1 && Code <= 5;
}

template <bool White, int Type> void GenStepCaps(int FromSq, const StepTable &Table) {
  const DataType &D = Data[Ply];
  const Targets &T = Table.T[FromSq];
  for (int I = 0; I < T.N; ++I)
    if (IsVictim<White>(PieceOn(D, T.Sq[I]))) AddScored<White, Type>(FromSq, T.Sq[I]);
}

// An own piece, the enemy king or the edge ends a ray without a move.
template <bool White, int Type> void GenSlideCaps(int FromSq, int FirstRow) {
  const DataType &D = Data[Ply];
  for (int Row = FirstRow; Row < FirstRow + 4; ++Row) {
    const Targets &T = Rays.R[FromSq][Row];
    for (int I = 0; I < T.N; ++I) {
      const int8_t P = PieceOn(D, T.Sq[I]);
      if (P == Empty) continue;
      if (IsVictim<White>(P)) AddScored<White, Type>(FromSq, T.Sq[I]);
      break;
    }
  }
}

template <bool White> void GenKnightCap(int FromSq) {
  GenStepCaps<White, WNight>(FromSq, KnightTargets);
}
template <bool White> void GenKingCaps(int FromSq) {
  GenStepCaps<White, WKing>(FromSq, KingTargets);
}
template <bool White> void GenBishopCaps(int FromSq) {
  GenSlideCaps<White, WBishop>(FromSq, BishopRows);
}
template <bool White> void GenRookCaps(int FromSq) { GenSlideCaps<White, WRook>(FromSq, RookRows); }
// Both rays of a queen use the queen's own table here.
template <bool White> void GenQueenCaps(int FromSq) {
  GenSlideCaps<White, WQueen>(FromSq, BishopRows);
  GenSlideCaps<White, WQueen>(FromSq, RookRows);
}

template <bool White> void GenPawnCaps() {
  const DataType &D = Data[Ply];
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
    if (Fyle >= 1 && IsVictim<White>(PieceOn(D, Left))) AddScored<White, WPawn>(FromSq, Left);
    if (Fyle <= 6 && IsVictim<White>(PieceOn(D, Right))) AddScored<White, WPawn>(FromSq, Right);
  }
}

template <bool White> void GenAllCaps() {
  const DataType &D = Data[Ply];
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  GenPawnCaps<White>();
  for (int Slot = 0; Slot < 2; ++Slot) {
    const int8_t *E = L[Slot];
    if (E[PIdx(WNight)] != -1) GenKnightCap<White>(E[PIdx(WNight)]);
    if (E[PIdx(WBishop)] != -1) GenBishopCaps<White>(E[PIdx(WBishop)]);
    if (E[PIdx(WRook)] != -1) GenRookCaps<White>(E[PIdx(WRook)]);
    if (E[PIdx(WQueen)] != -1) GenQueenCaps<White>(E[PIdx(WQueen)]);
    if (Slot == 0 && E[PIdx(WKing)] != -1) GenKingCaps<White>(E[PIdx(WKing)]);
  }
  const uint8_t Extra = White ? D.WExtraCount : D.BExtraCount;
  const int8_t *Queens = White ? D.WExtraQueens : D.BExtraQueens;
  for (int I = 0; I < Extra; ++I) GenQueenCaps<White>(Queens[I]);
}
} // namespace

bool OnBoard(int8_t Rank, int8_t Fyle) { return Rank >= 0 && Rank <= 7 && Fyle >= 0 && Fyle <= 7; }

int16_t MoveValue(int8_t FromSq, int8_t ToSq, int8_t Piece) {
  const int8_t Mover = PieceOn(Data[Ply], FromSq);
  const int8_t Seen = WhosMove == BMove ? static_cast<int8_t>(ToSq ^ 56) : ToSq;
  return static_cast<int16_t>(HistTab[Mover][ToSq] + PST(Piece, Seen));
}

void AddToMoveList(int16_t From_Sq, int16_t To_Sq, int16_t Value) {
  // HashMove may have been set by hand since the last generator call.
  int8_t HFrom, HTo;
  ParseHashMove(HFrom, HTo);
  if (WhosMove == BMove)
    Add<false>(From_Sq, To_Sq, Value, HFrom, HTo);
  else
    Add<true>(From_Sq, To_Sq, Value, HFrom, HTo);
}

namespace {
// The entry of 1..Count with the highest score, the first one among equals
// (1 when no score is above Sentinal), and that score.
struct Best {
  int J;
  int16_t Score;
};

#if defined(__SSE2__)
// Two entries per 16-byte load: MoveValue is 16-bit lane 1 of each 8-byte
// entry. Each of the two lanes keeps its own best score and the first index
// that reached it (strictly greater replaces), with no branch on the scores,
// which are in no predictable order; the two lanes are merged at the end.
static_assert(sizeof(MoveRec) == 8 && offsetof(MoveRec, MoveValue) == 2,
              "GetAMove reads two entries per 16-byte load");

inline Best FindBest(const MoveRec *Row, int Count) {
  __m128i Max = _mm_set1_epi16(Sentinal);
  __m128i Idx = _mm_set_epi16(0, 0, 1, 0, 0, 0, 1, 0);
  __m128i Cur = _mm_set_epi16(0, 0, 2, 0, 0, 0, 1, 0);
  const __m128i Two = _mm_set_epi16(0, 0, 2, 0, 0, 0, 2, 0);
  int I = 1;
  for (; I + 1 <= Count; I += 2) {
    const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i *>(Row + I));
    const __m128i Gt = _mm_cmpgt_epi16(V, Max);
    Max = _mm_max_epi16(Max, V);
    Idx = _mm_or_si128(_mm_and_si128(Gt, Cur), _mm_andnot_si128(Gt, Idx));
    Cur = _mm_add_epi16(Cur, Two);
  }
  // Lanes 1 and 5 hold the even and odd entries; the other lanes are unused.
  const int16_t S0 = static_cast<int16_t>(_mm_extract_epi16(Max, 1));
  const int16_t S1 = static_cast<int16_t>(_mm_extract_epi16(Max, 5));
  const int J0 = _mm_extract_epi16(Idx, 1), J1 = _mm_extract_epi16(Idx, 5);
  Best B = S1 > S0 || (S1 == S0 && J1 < J0) ? Best{J1, S1} : Best{J0, S0};
  if (I == Count && Row[I].MoveValue > B.Score) B = {I, Row[I].MoveValue};
  return B;
}
#else
inline Best FindBest(const MoveRec *Row, int Count) {
  Best B = {1, Sentinal};
  for (int I = 1; I <= Count; ++I)
    if (Row[I].MoveValue > B.Score) B = {I, Row[I].MoveValue};
  return B;
}
#endif
} // namespace

MoveRec GetAMove(uint16_t Count) {
  MoveRec *Row = MoveList[Ply];
  if (Count > MoveListCapacity) Count = MoveListCapacity;
  const Best B = FindBest(Row, Count);
  const MoveRec Result = B.Score > Sentinal ? Row[B.J] : NoMove;
  Row[B.J].MoveValue = Sentinal;
  return Result;
}

void AddToHistory(const MoveRec &TheMove, int8_t Depth) {
  if (TheMove.FromSq < 0 || TheMove.ToSq < 0) return;
  const int8_t P = PieceOn(Data[Ply], TheMove.FromSq);
  uint16_t &Entry = HistTab[P][TheMove.ToSq];
  Entry = static_cast<uint16_t>(Entry + Depth * Depth);
  if (Entry <= 99) return;
  // Halving keeps old successes from outweighing recent ones for ever.
  for (int Code = 1; Code <= 14; ++Code) {
    if (Code == 7 || Code == 8) continue;
    for (uint16_t &H : HistTab[Code]) H >>= 1;
  }
}

void ClearHistory() { std::memset(HistTab, 0, sizeof HistTab); }

uint16_t GenMoveList(const Str4 &TTMove) {
  ClearRow();
  HashMove = TTMove;
  ParseHashMove(HashFrom, HashTo);
  if (WhosMove == BMove)
    GenAll<false>();
  else
    GenAll<true>();
  return MoveListIndex;
}

uint16_t GenCaptureList() {
  ClearRow();
  // HashMove is left as the last full generation set it.
  ParseHashMove(HashFrom, HashTo);
  if (WhosMove == BMove)
    GenAllCaps<false>();
  else
    GenAllCaps<true>();
  return MoveListIndex;
}
