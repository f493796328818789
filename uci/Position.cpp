#include "uci/Position.h"

#include <cstring>

#include "board/Squares.h"
#include "game/Engine.h"
#include "game/Game.h"
#include "platform/Decimal.h"
#include "uci/Io.h"
#include "uci/Options.h"
#include "uci/Uci.h"

namespace Uci {
namespace {

void SquaresOf(const DataType &D, int8_t (&Sq)[64]) {
  for (int S = 0; S < 64; ++S) Sq[S] = PieceOn(D, S);
}

// The engine text of a UCI move and its promotion letter (lower case, or 0
// without one); false when the word cannot be a move at all.
bool FromUciMove(const char *W, ShortStr &Move, char &Promotion) {
  const std::size_t L = std::strlen(W);
  Promotion = 0;
  if (L != 4 && L != 5) return false;
  char Up[5];
  for (int I = 0; I < 4; ++I)
    Up[I] = static_cast<char>(W[I] >= 'a' && W[I] <= 'z' ? W[I] - 32 : W[I]);
  Up[4] = '\0';
  if (!IsMoveText(Up)) return false;
  if (L == 5) {
    const char P = static_cast<char>(W[4] >= 'A' && W[4] <= 'Z' ? W[4] + 32 : W[4]);
    if (!std::strchr("qnbr", P) || P == '\0') return false;
    Promotion = P;
  }
  Move = Up;
  return true;
}

// A move in UCI's text for the position D it is played in.
void PutMove(const DataType &D, const char *EngineMove) {
  int8_t Sq[64];
  SquaresOf(D, Sq);
  char Text[6];
  UciMoveText(Sq, EngineMove, Text);
  Put(Text);
}

int KingCount(const int8_t *Sq, int8_t King) {
  int N = 0;
  for (int S = 0; S < 64; ++S) N += Sq[S] == King;
  return N;
}

// The fourth field of a FEN as a square: -1 for none ("-" or no field), -2
// for a text that names no square of the third or sixth rank.
int8_t EnPassantField(const char *F) {
  if (!F || Is(F, "-")) return -1;
  if (std::strlen(F) != 2 || F[0] < 'a' || F[0] > 'h' || (F[1] != '3' && F[1] != '6')) return -2;
  return static_cast<int8_t>((F[1] - '1') * 8 + (F[0] - 'a'));
}

// What makes the first three fields no position an interface means: an
// unknown piece letter, a side other than w or b, a castling field other
// than "-" or the letters KQkq; null when there is nothing.
const char *StrictFenWhy(const char *Placement, const char *Side, const char *Castling) {
  for (const char *C = Placement; *C; ++C)
    if (!std::strchr("pnbrqkPNBRQK12345678/", *C)) return "unknown piece letter";
  if (!Is(Side, "w") && !Is(Side, "b")) return "side not w or b";
  if (Castling && !Is(Castling, "-"))
    for (const char *C = Castling; *C; ++C)
      if (!std::strchr("KQkq", *C)) return "castling not - or KQkq";
  return nullptr;
}

uint8_t RightsOf(const char *Castling) {
  uint8_t R = 0;
  for (const char *C = Castling ? Castling : ""; *C; ++C)
    R |= *C == 'K'   ? WhiteShort
         : *C == 'Q' ? WhiteLong
         : *C == 'k' ? BlackShort
         : *C == 'q' ? BlackLong
                     : 0;
  return R;
}

bool PawnOnLastRank(const int8_t *Sq) {
  for (int S = 0; S < 64; ++S)
    if (IsPawnCode(Sq[S]) && IsLastRank(S)) return true;
  return false;
}

// A move counter of a FEN: digits only, at most six.
bool CounterField(const char *F, uint32_t &V) {
  uint64_t Value = 0;
  if (!F) return true;
  if (!ParseDecimal(F, 6, Value)) return false;
  V = static_cast<uint32_t>(Value);
  return true;
}

} // namespace

void StartGame() {
  NewGame();
  // The table is kept between the searches of a game, and every position
  // line sets the game up anew: the set-up leaves the table alone, and the
  // positions keep their keys.
  KeepTableAcrossSetUps();
}

void NewGame() {
  ::NewGame();
  if (!OwnBook) LeaveBook();
}

bool ReadFen(int &I, FenSetUp &F) {
  char Fen[256] = "";
  std::size_t L = 0;
  int Field = 0;
  const char *HalfField = nullptr, *FullField = nullptr;
  const char *Fields[3] = {nullptr, nullptr, nullptr}; // placement, side, castling
  for (; I < NumWords && !Is(Word[I], "moves"); ++I, ++Field) {
    const std::size_t WL = std::strlen(Word[I]);
    if (Field < 3) Fields[Field] = Word[I];
    if (Field == 3) F.EpField = Word[I];
    if (Field == 4) HalfField = Word[I];
    if (Field == 5) FullField = Word[I];
    if (Field >= 6 || L + WL + 1 >= sizeof Fen) {
      Say("the FEN is too long; line ignored");
      return false;
    }
    if (L > 0) Fen[L++] = ' ';
    std::memcpy(Fen + L, Word[I], WL);
    L += WL;
    Fen[L] = '\0';
  }
  const char *Why = nullptr;
  if (Field < 2) {
    Say("the FEN needs at least the placement and the side to move; line ignored");
    return false;
  }
  Why = StrictFenWhy(Fields[0], Fields[1], Fields[2]);
  if (Why || !ParseFEN(Fen, F.P, Why)) {
    Say("bad FEN (", Why ? Why : "", "); line ignored");
    return false;
  }
  if (KingCount(F.P.Squares, WKing) != 1 || KingCount(F.P.Squares, BKing) != 1) {
    Say("the FEN needs one king a side; line ignored");
    return false;
  }
  if (PawnOnLastRank(F.P.Squares)) {
    Say("bad FEN (", "pawn on rank 1 or 8", "); line ignored");
    return false;
  }
  // An editor's FEN may keep rights its position has lost: they go, said.
  if (RightsOf(Fields[2]) != F.P.CastleStat)
    Say("castling rights ", Fields[2],
        " do not all fit the kings and rooks; those that do not are dropped");
  if (!CounterField(HalfField, F.HalfMoves) || !CounterField(FullField, F.FullMove)) {
    Say("the FEN's move counters must be numbers; line ignored");
    return false;
  }
  return true;
}

bool SetUpFen(const FenSetUp &F) {
  const int8_t Ep = EnPassantField(F.EpField);
  bool EpKept = true;
  if (!SetupGame(F.P, Ep < 0 ? -1 : Ep, F.HalfMoves, F.FullMove, EpKept)) {
    Say(KingTakenWhy, nullptr, "; line ignored");
    return false;
  }
  if (Ep == -2 || !EpKept)
    Say("en passant square ", F.EpField, " does not fit the position; ignored");
  return true;
}

bool PlayListMove(const char *W) {
  ShortStr Move;
  char Letter;
  if (!FromUciMove(W, Move, Letter)) return false;
  const MoveRefusal Why = PlayMove(Move, Letter);
  if (Why == MoveRefusal::NoRoom) Say("no room for another piece of that kind: ", W, "");
  return Why == MoveRefusal::None;
}

bool SearchMoveHere(const char *W, ShortStr &M) {
  char Letter;
  // Under-promotions are never the engine's own moves: its queen stands for them.
  return FromUciMove(W, M, Letter) && CheckMove(M, Letter) == MoveRefusal::None;
}

int SideToMove() { return ::SideToMove() == WMove ? 0 : 1; }
bool InCheckHere() { return SideToMoveInCheck(); }
bool InBook() { return BookInUse(); }

void PutMoveHere(const MoveRec &M) {
  PutMove(GamePosition(), SquaresToStr(M.FromSq, M.ToSq).c_str());
}

void PutLineMove(const DataType &Before, const Str4 &M) { PutMove(Before, M.c_str()); }

void PutPonderReply(const MoveRec &Best, const Str4 &Reply) {
  // The reply as it stands after the best move.
  Put(" ponder ");
  PutMove(PositionAfter(Best), Reply.c_str());
}

void CmdShowPosition() {
  char Text[FenTextSize];
  FenText(Text);
  Put("info string fen ");
  Put(Text);
  // The game file writes no castling field when no right is left.
  if (Text[std::strlen(Text) - 1] == ' ') Put("-");
  Put(" ");
  const int8_t Ep = GamePosition().EnPasSq;
  if (Ep < 0) {
    Put("-");
  } else {
    const char S[3] = {static_cast<char>('a' + Ep % 8), static_cast<char>('1' + Ep / 8), '\0'};
    Put(S);
  }
  Put(" ");
  PutNum(GameHistory().HalfMoveClock);
  Put(" ");
  PutNum(GameHistory().FullMoveNumber);
  EndLine();
}

} // namespace Uci

void UciMoveText(const int8_t Squares[64], const char *EngineMove, char (&Out)[6]) {
  for (int I = 0; I < 4; ++I) {
    const char C = EngineMove[I];
    Out[I] = static_cast<char>(C >= 'A' && C <= 'Z' ? C + 32 : C);
  }
  Out[4] = '\0';
  if (!IsMoveText(EngineMove)) return;
  const int8_t From = SquareOf(EngineMove[0], EngineMove[1]);
  const int8_t To = SquareOf(EngineMove[2], EngineMove[3]);
  if (IsPawnCode(Squares[From]) && IsLastRank(To)) {
    Out[4] = 'q';
    Out[5] = '\0';
  }
}
