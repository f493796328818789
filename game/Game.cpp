#include "game/Game.h"
#include "game/GameState.h"

#include <cstring>

#include "board/Attacks.h"
#include "board/Board.h"
#include "board/Squares.h"
#include "board/Zorbist.h"
#include "book/Opening.h"
#include "eval/Material.h"
#include "game/HistoryEdit.h"
#include "game/NewGame.h"
#include "game/San.h"
#include "game/TakeBack.h"
#include "hash/TT.h"
#include "moves/Move.h"
#include "search/Search.h"

namespace {
// Derived from the list on every call.
GameRecord Record;

// The piece a promotion letter names for the side to move; 0 for a queen or
// no letter, since the engine's own promotion makes the queen.
int8_t UnderPromotion(char Letter) {
  const char *L = std::strchr("nbrNBR", Letter);
  if (Letter == '\0' || !L) return 0;
  const int8_t White = CodeOfLetter(static_cast<char>(*L & ~0x20));
  return Game.St.WhosMove == WMove ? White : static_cast<int8_t>(White + 8);
}

// The position an edit began with, for an edit that is abandoned.
DataType Entered;
int8_t EnteredSide = WMove;
} // namespace

uint64_t GamePositionKey() { return RepetitionKey(Game.Here(), Game.St.WhosMove); }

bool NoMatingMaterialLeft() { return NoMatingMaterial(Game.Here()); }

const GameRecord &GameHistory() {
  const GameList &L = TheGame();
  const int Begin = GameBegin();
  const GameOrigin O = OriginOf(Begin);
  int Moves = 0;
  for (int I = Begin; I < L.Count; ++I) Moves += L.Entries[I].Kind == EntryKind::Move;
  Record.FullMoveNumber = O.FullMove + static_cast<uint32_t>((Moves + (O.Side == BMove)) / 2);
  // The draw rules look back to the last capture or pawn move, the game's
  // start or its set-up: the positions before each move since.
  int From = L.Count;
  bool Reset = false;
  while (From > Begin) {
    const GameEntry &E = L.Entries[From - 1];
    if (E.Kind == EntryKind::Move && E.Irreversible) {
      Reset = true;
      break;
    }
    --From;
  }
  uint32_t Reversible = 0;
  Record.NumKeys = 0;
  for (int I = From; I < L.Count; ++I) {
    const GameEntry &E = L.Entries[I];
    if (E.Kind != EntryKind::Move) continue;
    ++Reversible;
    if (Record.NumKeys == GameRecord::MaxKeys) {
      std::memmove(Record.Keys, Record.Keys + 1, sizeof Record.Keys - sizeof Record.Keys[0]);
      --Record.NumKeys;
    }
    Record.Keys[Record.NumKeys++] = RepetitionKey(E.Before, E.Side);
  }
  // Far beyond any draw rule; the counter only must not wrap.
  const uint32_t Before = Reset ? 0 : O.HalfMoves;
  Record.HalfMoveClock = Before + Reversible < 100000 ? Before + Reversible : 100000;
  return Record;
}

const DataType &GamePosition() { return Game.St.Data[0]; }
int8_t SideToMove() { return Game.St.WhosMove; }
bool BookInUse() { return Game.InLibrary; }
bool SearchedAsEndGame() { return Game.St.EndGame; }

bool IsEndGamePosition() { return IsEndGame(Game.Here()); }

void NewGame() {
  Game.St.Ply = 0;
  SetupStartPosition();
}

bool EnPassantFits(const DataType &D, int8_t Side, int8_t Ep) {
  if (Ep < 0 || Ep >= 64) return false;
  // The pawn stands one square beyond Ep as the side not to move walks, and
  // came from one square before it.
  const int Ahead = Side == WMove ? -8 : 8;
  const bool Rank = Side == WMove ? Ep / 8 == 5 : Ep / 8 == 2;
  const int8_t Pawn = Side == WMove ? BPawn : WPawn;
  return Rank && PieceOn(D, Ep + Ahead) == Pawn && PieceOn(D, Ep) == Empty &&
         PieceOn(D, Ep - Ahead) == Empty;
}

bool SetupGame(const ParsedFEN &P, int8_t Ep, uint32_t HalfMoves, uint32_t FullMove, bool &EpKept) {
  Game.St.Ply = 0;
  if (!SetupParsedFEN(P)) return false;
  EpKept = Ep < 0 || EnPassantFits(Game.St.Data[0], Game.St.WhosMove, Ep);
  if (Ep >= 0 && EpKept) Game.St.Data[0].EnPasSq = Ep;
  Game.MoveNum = 0;
  InitOpeningLib();
  Game.OpeningStr.Clear();
  Game.InLibrary = false; // book lines begin at the start position
  ListBegin(true, HalfMoves, FullMove);
  ResetTakeBackView();
  return true;
}

bool LoadPosition(const char *Line, const char *&Why) {
  Game.St.Ply = 0;
  const GameEntry Left = EntryHere(EntryKind::SetUp);
  if (!SetupFEN(Line, Why)) return false;
  Game.InLibrary = false;
  ListPush(Left);
  return true;
}

void LeaveBook() { Game.InLibrary = false; }

void SetBookFile(const char *Path) { LibFileName = Path; }

bool SideToMoveInCheck() {
  Game.St.Ply = 0;
  return InCheck(Game.Here(), Game.St.WhosMove);
}

DataType PositionAfter(const MoveRec &M) {
  const int8_t Mover = Game.St.WhosMove;
  Game.St.Ply = 0;
  MakeOnCopy(Game.St, M, false);
  const DataType After = Game.St.Data[1];
  UnmakeMove(Game.St);
  Game.St.WhosMove = Mover;
  return After;
}

namespace {
bool Promotes(const ShortStr &Text) {
  const int8_t From = SquareOf(Text[0], Text[1]), To = SquareOf(Text[2], Text[3]);
  return IsPawnCode(PieceOn(Game.St.Data[0], From)) && IsLastRank(To);
}
} // namespace

MoveRefusal CheckMove(const ShortStr &Text, char Promote) {
  Game.St.Ply = 0;
  if (!IsLegalMove(Game.St, Text)) return MoveRefusal::Illegal;
  if (Promote != 0 && !Promotes(Text)) return MoveRefusal::NotPromotion;
  return MoveRefusal::None;
}

MoveRefusal PlayMove(const ShortStr &Text, char Promote, uint8_t Tag) {
  if (const MoveRefusal Why = CheckMove(Text, Promote); Why != MoveRefusal::None) return Why;
  const int8_t From = SquareOf(Text[0], Text[1]), To = SquareOf(Text[2], Text[3]);
  const int8_t Mover = PieceOn(Game.St.Data[0], From);
  const int8_t Under = Promotes(Text) ? UnderPromotion(Promote) : 0;
  GameEntry E = EntryHere(EntryKind::Move);
  E.Irreversible = IsPawnCode(Mover) || PieceOn(Game.St.Data[0], To) != Empty;
  E.Tag = Tag;
  E.Text = Text;
  MoveSAN(Text, E.San);
  MakeMove(Game.St, MoveStrToMoveRec(Game.Here(), Game.St.WhosMove, Text), false);
  if (Under != 0) {
    // The engine promotes to a queen; the piece the game chose replaces it.
    RemovePiece(Game.Here(), To);
    if (!RoomForPiece(Game.Here(), Under)) {
      Game.St.Data[0] = E.Before;
      Game.St.WhosMove = E.Side;
      Game.MoveNum = E.MoveNum;
      return MoveRefusal::NoRoom;
    }
    PutPiece(Game.Here(), Under, To);
    // The book's lines hold queens only.
    Game.InLibrary = false;
    char *Q = std::strchr(E.San, 'Q');
    if (Q) *Q = PieceLetter[Under & 7];
  }
  E.Over = !SideToMoveCanMove();
  if (SideToMoveInCheck()) std::strcat(E.San, E.Over ? "#" : "+");
  ++Game.MoveNum;
  ListPush(E);
  FollowBookLine();
  return MoveRefusal::None;
}

bool TakeBack() {
  const GameList &L = TheGame();
  int Top = L.Count;
  while (Top > 0 && L.Entries[Top - 1].Kind == EntryKind::Pass) --Top;
  const bool Any = Top > 0 && L.Entries[Top - 1].Kind == EntryKind::Move;
  if (Any) {
    const GameEntry E = L.Entries[Top - 1];
    while (L.Count >= Top) ListPop();
    RestoreGame(E.Before, E.Side, E.MoveNum);
    FollowBookLine();
  }
  ClearPV(Game.St);
  ClearHistory(Game.St);
  ZeroTTsOnSetUp();
  return Any;
}

void EditBegin() {
  Entered = Game.St.Data[0];
  EnteredSide = Game.St.WhosMove;
}

void EditClear() {
  // The castling rights stay, so that an edit that puts the pieces back
  // keeps them; the en-passant square and the key stay as they were.
  const uint8_t CastleStat = Game.St.Data[0].CastleStat;
  ZeroBoardData(Game.Here());
  Game.St.Data[0].CastleStat = CastleStat;
}

void EditRemove(int8_t Sq) { RemovePiece(Game.Here(), Sq); }

EditRefusal EditPut(int8_t Piece, int8_t Sq) {
  if ((Piece == WPawn && Sq < 8) || (Piece == BPawn && Sq > 55)) return EditRefusal::PawnOnEdge;
  // The occupant goes first, so that replacing a queen by a pawn counts
  // right; a piece no game could add (a second king, a ninth pawn, a ninth
  // piece beyond two of its kind to be) leaves the square as it was.
  const DataType Saved = Game.St.Data[0];
  RemovePiece(Game.Here(), Sq);
  if (!RoomForPiece(Game.Here(), Piece)) {
    Game.St.Data[0] = Saved;
    return EditRefusal::TooMany;
  }
  PutPiece(Game.Here(), Piece, Sq);
  return EditRefusal::None;
}

void EditSetSide(int8_t Side) { Game.St.WhosMove = Side; }

namespace {
void FinishEdit() {
  DataType &D = Game.St.Data[0];
  int8_t Sq[64];
  for (int S = 0; S < 64; ++S) Sq[S] = PieceOn(D, S);
  D.CastleStat = FitCastling(D.CastleStat, Sq);
  // An en-passant square survives only while it still marks a double step
  // just made; otherwise a capture could take whatever now stands in front
  // of it, a king included.
  if (!EnPassantFits(D, Game.St.WhosMove, D.EnPasSq)) D.EnPasSq = -1;
  Game.MoveNum = 0;
  InitZorbistBoard(Game.Here());
  D.HashKey = CalcBrdKey(Game.Here());
  ZeroTTs();
  Game.InLibrary = false;
}
} // namespace

namespace {
// An edit is a set-up in the game's list, made in the position it began with.
void RecordEdit() {
  GameEntry E = EntryHere(EntryKind::SetUp);
  E.Before = Entered;
  E.Side = EnteredSide;
  ListPush(E);
}
} // namespace

EditRefusal EditCommit() {
  Game.St.Ply = 0;
  if (KingCanBeTaken(Game.Here(), Game.St.WhosMove)) return EditRefusal::KingEnPrise;
  RecordEdit();
  FinishEdit();
  return EditRefusal::None;
}

void EditAbandon() {
  Game.St.Data[0] = Entered;
  Game.St.WhosMove = EnteredSide;
  RecordEdit();
  FinishEdit();
}
