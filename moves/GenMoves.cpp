#include "moves/GenMoves.h"

#include <cstdlib>
#include <cstring>

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
// turn breaks ties in GetAMove; the tables below are expanded per square once.
struct Step {
  int8_t Rank, Fyle;
};
constexpr Step KnightOffset[8] = {{1, -2}, {1, 2},   {-1, -2}, {-1, 2},
                                  {2, -1}, {2, 1},   {-2, -1}, {-2, 1}};
constexpr Step KingOffset[8] = {{1, 0},   {1, 1},   {0, 1},  {-1, 1},
                                {-1, 0},  {-1, -1}, {0, -1}, {1, -1}};
// Rows 0..3 are the rook's, 4..7 the bishop's.
constexpr Step SlideOffset[8] = {{0, 1}, {0, -1}, {1, 0},  {-1, 0},
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

inline bool IsEnemy(int8_t Code, bool White) { return White ? Code >= 9 : Code >= 1 && Code <= 6; }

inline void Add(int From, int To, int Value, int8_t HFrom, int8_t HTo) {
  if (MoveListIndex >= MoveListCapacity) Fatal("GenMoves", __LINE__, "move list row full");
  const DataType &D = Data[Ply];
  const bool White = WhosMove != BMove;
  const int8_t Piece = PieceOn(D, From);
  const int8_t Target = PieceOn(D, To);
  if (From == HFrom && To == HTo) Value = TTMoveScore;
  const bool Pawn = Piece == WPawn || Piece == BPawn;
  const bool IsCap = IsEnemy(Target, White) || (To == D.EnPasSq && Pawn);
  if (IsCap) {
    if (To == D.EnPasSq)
      Value += EnPassantBonus;
    else
      Value += PieceValue[Target & 7] - (Piece & 7);
  }
  MoveRec &M = MoveList[Ply][++MoveListIndex];
  M.FromSq = static_cast<int8_t>(From);
  M.ToSq = static_cast<int8_t>(To);
  M.MoveValue = static_cast<int16_t>(Value);
  M.Castle = (Piece == WKing || Piece == BKing) && std::abs(From - To) == 2;
  M.Capture = IsCap;
  M.Promotion = (Piece == WPawn && To > 55) || (Piece == BPawn && To < 8);
  if (M.Promotion) M.MoveValue = PromotionScore;
}

inline int16_t Score(int From, int To, int8_t Piece) {
  return MoveValue(static_cast<int8_t>(From), static_cast<int8_t>(To), Piece);
}

// Code passed to MoveValue: it only chooses the table, so either colour's code will do.
inline void AddScored(int From, int To, int8_t Piece) {
  Add(From, To, Score(From, To, Piece), HashFrom, HashTo);
}

void ClearRow() {
  std::memset(static_cast<void *>(&MoveList[Ply][1]), 0, MaxMoves * sizeof(MoveRec));
  MoveListIndex = 0;
}

// ---- full generation ------------------------------------------------------
template <bool White> inline bool IsOwn(int8_t Code) {
  return White ? Code >= 1 && Code <= 6 : Code >= 9;
}

// Rows: 0 single step, 1 double step, 2 and 3 diagonals.
template <bool White> bool IllegalPawnMove(int Row, int FromSq, int ToSq, int8_t P) {
  const DataType &D = Data[Ply];
  switch (Row) {
  case 0: return P != Empty;
  case 1:
    return (FromSq >= 16 && FromSq <= 47) || P != Empty ||
           PieceOn(D, White ? ToSq - 8 : ToSq + 8) != Empty;
  default:
    // Never the king: a pawn does not take it.
    return !(ToSq == D.EnPasSq || (White ? P >= 9 && P <= 13 : P >= 1 && P <= 5));
  }
}

template <bool White> void GenPawnMoves() {
  constexpr Step Offset[4] = {{1, 0}, {2, 0}, {1, -1}, {1, 1}};
  constexpr int BoardOffset[4] = {8, 16, 7, 9};
  constexpr int Dir = White ? 1 : -1;
  const DataType &D = Data[Ply];
  const int8_t *Pawns = White ? D.WPawnList : D.BPawnList;
  for (int I = 0; I < 8; ++I) {
    const int FromSq = Pawns[I];
    if (FromSq == -1) continue;
    for (int Row = 0; Row < 4; ++Row) {
      const int Rank = FromSq / 8 + Offset[Row].Rank * Dir;
      const int Fyle = FromSq % 8 + Offset[Row].Fyle * Dir;
      if (!OnBoard(static_cast<int8_t>(Rank), static_cast<int8_t>(Fyle))) continue;
      const int ToSq = FromSq + BoardOffset[Row] * Dir;
      if (!IllegalPawnMove<White>(Row, FromSq, ToSq, PieceOn(D, ToSq))) AddScored(FromSq, ToSq, 1);
    }
  }
}

// A knight may take the enemy king; a king never steps onto a king.
template <bool White, bool King>
void GenStepMoves(int FromSq, const StepTable &Table, int8_t Code) {
  const DataType &D = Data[Ply];
  const Targets &T = Table.T[FromSq];
  for (int I = 0; I < T.N; ++I) {
    const int8_t P = PieceOn(D, T.Sq[I]);
    if (IsOwn<White>(P)) continue;
    if (King && (P == WKing || P == BKing)) continue;
    AddScored(FromSq, T.Sq[I], Code);
  }
}

// Nearest square outward; a capture (the enemy king included) ends the ray.
template <bool White> void GenSlideMoves(int FromSq, int FirstRow, int8_t Code) {
  const DataType &D = Data[Ply];
  for (int Row = FirstRow; Row < FirstRow + 4; ++Row) {
    const Targets &T = Rays.R[FromSq][Row];
    for (int I = 0; I < T.N; ++I) {
      const int8_t P = PieceOn(D, T.Sq[I]);
      if (IsOwn<White>(P)) break;
      AddScored(FromSq, T.Sq[I], Code);
      if (P != Empty) break;
    }
  }
}

template <bool White> void GenKnightMoves(int FromSq) {
  GenStepMoves<White, false>(FromSq, KnightTargets, BNight);
}
template <bool White> void GenRookMoves(int FromSq) {
  GenSlideMoves<White>(FromSq, RookRows, WRook);
}
template <bool White> void GenBishopMoves(int FromSq) {
  GenSlideMoves<White>(FromSq, BishopRows, WBishop);
}
// Scored with the bishop's table on the diagonals and the rook's on the lines.
template <bool White> void GenQueenMoves(int FromSq) {
  GenBishopMoves<White>(FromSq);
  GenRookMoves<White>(FromSq);
}

struct CastleRow {
  int8_t Origin;
  uint8_t Bit;
  int8_t Empty[3];
  int8_t Safe[3];
  int8_t Dest;
};
// The rook's presence is not tested: the castle bits are the record of it.
constexpr CastleRow WhiteCastle[2] = {{4, 1, {5, 6, -1}, {4, 5, 6}, 6},
                                      {4, 2, {1, 2, 3}, {4, 2, 3}, 2}};
constexpr CastleRow BlackCastle[2] = {{60, 4, {61, 62, -1}, {60, 61, 62}, 62},
                                      {60, 8, {57, 58, 59}, {60, 58, 59}, 58}};

template <bool White> void GenKingMoves(int FromSq) {
  GenStepMoves<White, true>(FromSq, KingTargets, BKing);
  const DataType &D = Data[Ply];
  for (const CastleRow &C : White ? WhiteCastle : BlackCastle) {
    if (FromSq != C.Origin || !(D.CastleStat & C.Bit)) continue;
    bool Ok = true;
    for (int8_t Sq : C.Empty)
      if (Sq != -1 && PieceOn(D, Sq) != Empty) Ok = false;
    for (int I = 0; Ok && I < 3; ++I)
      if (Attacked(C.Safe[I], White ? BMove : WMove)) Ok = false;
    if (Ok) Add(FromSq, C.Dest, CastleScore, HashFrom, HashTo);
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

template <bool White> void GenStepCaps(int FromSq, const StepTable &Table, int8_t Code) {
  const DataType &D = Data[Ply];
  const Targets &T = Table.T[FromSq];
  for (int I = 0; I < T.N; ++I)
    if (IsVictim<White>(PieceOn(D, T.Sq[I]))) AddScored(FromSq, T.Sq[I], Code);
}

template <bool White> void GenSlideCaps(int FromSq, int FirstRow, int8_t MyPiece) {
  const DataType &D = Data[Ply];
  for (int Row = FirstRow; Row < FirstRow + 4; ++Row) {
    const Targets &T = Rays.R[FromSq][Row];
    for (int I = 0; I < T.N; ++I) {
      const int8_t P = PieceOn(D, T.Sq[I]);
      if (P == Empty) continue;
      if (IsVictim<White>(P)) AddScored(FromSq, T.Sq[I], MyPiece);
      break;
    }
  }
}

template <bool White> void GenKnightCap(int FromSq) {
  GenStepCaps<White>(FromSq, KnightTargets, WNight);
}
template <bool White> void GenKingCaps(int FromSq) {
  GenStepCaps<White>(FromSq, KingTargets, WKing);
}
template <bool White> void GenBishopCaps(int FromSq, int8_t MyPiece) {
  GenSlideCaps<White>(FromSq, BishopRows, MyPiece);
}
template <bool White> void GenRookCaps(int FromSq, int8_t MyPiece) {
  GenSlideCaps<White>(FromSq, RookRows, MyPiece);
}
// Both rays of a queen use the queen's own table here.
template <bool White> void GenQueenCaps(int FromSq) {
  GenBishopCaps<White>(FromSq, WQueen);
  GenRookCaps<White>(FromSq, WQueen);
}

// No rank test: a pawn is promoted on arrival, so it never stands on its last rank.
template <bool White> void GenPawnCaps() {
  const DataType &D = Data[Ply];
  const int8_t *Pawns = White ? D.WPawnList : D.BPawnList;
  for (int I = 0; I < 8; ++I) {
    const int FromSq = Pawns[I];
    if (FromSq == -1) continue;
    const int Fyle = FromSq % 8;
    const int Left = White ? FromSq + 7 : FromSq - 9;
    const int Right = White ? FromSq + 9 : FromSq - 7;
    if (Fyle >= 1 && IsVictim<White>(PieceOn(D, Left))) AddScored(FromSq, Left, WPawn);
    if (Fyle <= 6 && IsVictim<White>(PieceOn(D, Right))) AddScored(FromSq, Right, WPawn);
  }
}

template <bool White> void GenAllCaps() {
  const DataType &D = Data[Ply];
  const PieceListType &L = White ? D.WPieceList : D.BPieceList;
  GenPawnCaps<White>();
  for (int Slot = 0; Slot < 2; ++Slot) {
    const int8_t *E = L[Slot];
    if (E[PIdx(WNight)] != -1) GenKnightCap<White>(E[PIdx(WNight)]);
    if (E[PIdx(WBishop)] != -1) GenBishopCaps<White>(E[PIdx(WBishop)], White ? WBishop : BBishop);
    if (E[PIdx(WRook)] != -1) GenRookCaps<White>(E[PIdx(WRook)], White ? WRook : BRook);
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
  int8_t HFrom, HTo;
  ParseHashMove(HFrom, HTo);
  Add(From_Sq, To_Sq, Value, HFrom, HTo);
}

MoveRec GetAMove(uint16_t Count) {
  MoveRec *Row = MoveList[Ply];
  if (Count > MoveListCapacity) Count = MoveListCapacity;
  int16_t MaxScore = Sentinal;
  int J = 1;
  // Strictly greater: among equal scores the entry added first wins.
  for (int I = 1; I <= Count; ++I)
    if (Row[I].MoveValue > MaxScore) {
      MaxScore = Row[I].MoveValue;
      J = I;
    }
  const MoveRec Result = MaxScore > Sentinal ? Row[J] : NoMove;
  Row[J].MoveValue = Sentinal;
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
