#include "uci/Position.h"

#include <cstring>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "board/Zorbist.h"
#include "book/Opening.h"
#include "game/NewGame.h"
#include "hash/TT.h"
#include "moves/Move.h"
#include "uci/Io.h"
#include "uci/Options.h"
#include "uci/Uci.h"

namespace Uci {
namespace {

bool FromStart = true; // the position is the start position plus moves

// The game's positions before the current one since its last capture or pawn
// move, as the draw rules compare them (oldest first), and its move counters.
constexpr int MaxGameKeys = 128;
uint64_t GameKeys[MaxGameKeys];
uint16_t NumGameKeys = 0;
uint32_t HalfMoveClock = 0;
uint32_t FullMoveNumber = 1;

void ResetGameRecord(uint32_t HalfMoves, uint32_t FullMove) {
  NumGameKeys = 0;
  HalfMoveClock = HalfMoves;
  FullMoveNumber = FullMove == 0 ? 1 : FullMove;
}

// A move of the game: the position it leaves (its RepetitionKey), unless the
// move can never be undone, which ends every chance of a repetition.
void RecordMove(bool Irreversible, uint64_t Left) {
  if (Irreversible) {
    NumGameKeys = 0;
    HalfMoveClock = 0;
    return;
  }
  if (NumGameKeys == MaxGameKeys) {
    std::memmove(GameKeys, GameKeys + 1, sizeof GameKeys - sizeof GameKeys[0]);
    --NumGameKeys;
  }
  GameKeys[NumGameKeys++] = Left;
  if (HalfMoveClock < 100000) ++HalfMoveClock;
}

bool IsPawnCode(int8_t P) { return P == WPawn || P == BPawn; }
bool IsLastRank(int8_t Sq) { return Sq < 8 || Sq >= 56; }

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

// The fourth field of a FEN, kept only when a double step really ended in
// front of it.
int8_t CheckedEnPassant(const char *F) {
  if (!F || Is(F, "-")) return -1;
  if (std::strlen(F) != 2 || F[0] < 'a' || F[0] > 'h' || (F[1] != '3' && F[1] != '6')) return -2;
  const int8_t Sq = static_cast<int8_t>((F[1] - '1') * 8 + (F[0] - 'a'));
  const DataType &D = Data[0];
  if (WhosMove == WMove && F[1] == '6' && PieceOn(D, Sq - 8) == BPawn && PieceOn(D, Sq) == Empty &&
      PieceOn(D, Sq + 8) == Empty)
    return Sq;
  if (WhosMove == BMove && F[1] == '3' && PieceOn(D, Sq + 8) == WPawn && PieceOn(D, Sq) == Empty &&
      PieceOn(D, Sq - 8) == Empty)
    return Sq;
  return -2;
}

// The piece a promotion letter names for the side to move; 0 for a queen or
// no letter, since the engine's own promotion makes the queen.
int8_t UnderPromotion(char Letter) {
  const char *L = std::strchr("nbr", Letter);
  if (Letter == '\0' || !L) return 0;
  const int8_t White = static_cast<int8_t>(WNight + (L - "nbr"));
  return WhosMove == WMove ? White : static_cast<int8_t>(White + 8);
}

// A move counter of a FEN: digits only, at most six.
bool CounterField(const char *F, uint32_t &V) {
  if (!F) return true;
  const std::size_t L = std::strlen(F);
  if (L == 0 || L > 6) return false;
  V = 0;
  for (const char *C = F; *C; ++C) {
    if (*C < '0' || *C > '9') return false;
    V = V * 10 + static_cast<uint32_t>(*C - '0');
  }
  return true;
}

} // namespace

void StartGame() {
  NewGame();
  // The table is kept between the searches of a game, and every position
  // line sets the game up anew: the set-up leaves the table alone, and the
  // positions keep their keys.
  KeepZorbistKeys();
  KeepTTOnSetUp();
}

void NewGame() {
  Ply = 0;
  SetupStartPosition();
  ResetGameRecord(0, 1);
  InLibrary = OwnBook;
  FromStart = true;
}

bool ReadFen(int &I, FenSetUp &F) {
  char Fen[256] = "";
  std::size_t L = 0;
  int Field = 0;
  const char *HalfField = nullptr, *FullField = nullptr;
  for (; I < NumWords && !Is(Word[I], "moves"); ++I, ++Field) {
    const std::size_t WL = std::strlen(Word[I]);
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
  if (!ParseFEN(Fen, F.P, Why)) {
    Say("bad FEN (", Why ? Why : "", "); line ignored");
    return false;
  }
  if (KingCount(F.P.Squares, WKing) != 1 || KingCount(F.P.Squares, BKing) != 1) {
    Say("the FEN needs one king a side; line ignored");
    return false;
  }
  if (!CounterField(HalfField, F.HalfMoves) || !CounterField(FullField, F.FullMove)) {
    Say("the FEN's move counters must be numbers; line ignored");
    return false;
  }
  return true;
}

bool SetUpFen(const FenSetUp &F) {
  Ply = 0;
  if (!SetupParsedFEN(F.P)) {
    Say(KingTakenWhy, nullptr, "; line ignored");
    return false;
  }
  const int8_t Ep = CheckedEnPassant(F.EpField);
  if (Ep == -2)
    Say("en passant square ", F.EpField, " does not fit the position; ignored");
  else
    Data[0].EnPasSq = Ep;
  MoveNum = 0;
  InitOpeningLib();
  InLibrary = false; // book lines begin at the start position
  FromStart = false;
  ResetGameRecord(F.HalfMoves, F.FullMove);
  return true;
}

bool PlayListMove(const char *W) {
  ShortStr Move;
  char Letter;
  if (!FromUciMove(W, Move, Letter)) return false;
  if (!IsLegalMove(Move)) return false;
  const int8_t From = SquareOf(Move[0], Move[1]), To = SquareOf(Move[2], Move[3]);
  const int8_t Mover = PieceOn(Data[0], From);
  const bool Promotion = IsPawnCode(Mover) && IsLastRank(To);
  if (Letter != 0 && !Promotion) return false;
  const int8_t Under = Promotion ? UnderPromotion(Letter) : 0;
  const bool Irreversible = IsPawnCode(Mover) || PieceOn(Data[0], To) != Empty;
  const DataType Before = Data[0];
  const uint16_t BeforeMoveNum = MoveNum;
  const int8_t BeforeSide = WhosMove;
  const bool BeforeHumans = HumansMove;
  MakeMove(MoveStrToMoveRec(Move), false);
  if (Under != 0) {
    // The engine promotes to a queen; the piece the game chose replaces it.
    RemovePiece(To);
    if (!RoomForPiece(Under)) {
      Data[0] = Before;
      MoveNum = BeforeMoveNum;
      WhosMove = BeforeSide;
      HumansMove = BeforeHumans;
      Say("no room for another piece of that kind: ", W, "");
      return false;
    }
    PutPiece(Under, To);
  }
  RecordMove(Irreversible, RepetitionKey(Before, BeforeSide));
  if (WhosMove == WMove) ++FullMoveNumber;
  if (InLibrary) {
    // Book lines hold queen promotions only; any other leaves the book.
    if (Under != 0 || OpeningStr.Length() + 4 > OpeningStr.Capacity())
      InLibrary = false;
    else
      OpeningStr.Append(Move);
  }
  return true;
}

bool SearchMoveHere(const char *W, ShortStr &M) {
  char Letter;
  // Under-promotions are never the engine's own moves: its queen stands for them.
  return FromUciMove(W, M, Letter) && IsLegalMove(M) &&
         (Letter == 0 ||
          (IsPawnCode(PieceOn(Data[0], SquareOf(M[0], M[1]))) && IsLastRank(SquareOf(M[2], M[3]))));
}

int SideToMove() { return WhosMove == WMove ? 0 : 1; }
bool InCheckHere() { return InCheck(WhosMove); }
bool InBook() { return InLibrary; }

void AddGameRecord(SearchLimits &L) {
  L.History = GameKeys;
  L.HistoryLen = NumGameKeys;
  L.Rule50 = static_cast<uint16_t>(HalfMoveClock > 100 ? 100 : HalfMoveClock);
}

void PutMoveHere(const MoveRec &M) { PutMove(Data[0], SquaresToStr(M.FromSq, M.ToSq).c_str()); }

void PutMoveAtPly(const Str4 &M) { PutMove(Data[Ply], M.c_str()); }

void PutPonderReply(const MoveRec &Best, const Str4 &Reply) {
  // The reply as it stands after the best move.
  Data[1] = Data[0];
  Ply = 1;
  const int8_t Mover = WhosMove;
  MakeMove(Best, false);
  Put(" ponder ");
  PutMove(Data[1], Reply.c_str());
  UnmakeMove();
  WhosMove = Mover;
}

void CmdShowPosition() {
  char Text[FenTextSize];
  FenText(Text);
  Put("info string fen ");
  Put(Text);
  // The game file writes no castling field when no right is left.
  if (Text[std::strlen(Text) - 1] == ' ') Put("-");
  Put(" ");
  const int8_t Ep = Data[0].EnPasSq;
  if (Ep < 0) {
    Put("-");
  } else {
    const char S[3] = {static_cast<char>('a' + Ep % 8), static_cast<char>('1' + Ep / 8), '\0'};
    Put(S);
  }
  Put(" ");
  PutNum(HalfMoveClock);
  Put(" ");
  PutNum(FullMoveNumber);
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
  if (Uci::IsPawnCode(Squares[From]) && Uci::IsLastRank(To)) {
    Out[4] = 'q';
    Out[5] = '\0';
  }
}
