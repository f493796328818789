#include "game/HistoryEdit.h"

#include <atomic>
#include <cstring>

#include "board/Zorbist.h"
#include "game/Game.h"
#include "game/GameState.h"

constinit GameState Game;

namespace {
GameList List;
// Moves of the bottom's game forgotten with the entries below it.
uint32_t BottomGameForgotten = 0;

// The position after entry I: the next entry's, or the game's own.
const DataType &PositionAfterEntry(int I, int8_t &Side) {
  if (I + 1 < List.Count) {
    Side = List.Entries[I + 1].Side;
    return List.Entries[I + 1].Before;
  }
  Side = Game.St.WhosMove;
  return Game.St.Data[0];
}

// The oldest entry leaves; the bottom becomes the position after it, with
// the counters a FEN would give it.
void ForgetOldest() {
  const GameEntry &E = List.Entries[0];
  GameStart &B = List.Bottom;
  int8_t Side = WMove;
  B.D = PositionAfterEntry(0, Side);
  B.Side = Side;
  if (E.Kind == EntryKind::SetUp) {
    B.HalfMoves = 0;
    B.FullMove = 1;
    BottomGameForgotten = 0;
  } else if (E.Kind == EntryKind::Move) {
    B.HalfMoves = E.Irreversible ? 0 : B.HalfMoves + 1;
    if (E.Side == BMove) ++B.FullMove;
    ++BottomGameForgotten;
  }
  B.MoveNum = E.Kind == EntryKind::Pass ? B.MoveNum : static_cast<uint16_t>(B.MoveNum + 1);
  B.SetUp = true;
  std::memmove(static_cast<void *>(List.Entries), List.Entries + 1,
               sizeof List.Entries - sizeof List.Entries[0]);
  --List.Count;
  ++List.Forgotten;
}
} // namespace

const GameList &TheGame() { return List; }

int GameBegin() {
  for (int I = List.Count - 1; I >= 0; --I)
    if (List.Entries[I].Kind == EntryKind::SetUp) return I + 1;
  return 0;
}

GameOrigin OriginOf(int Begin) {
  if (Begin == 0) {
    const GameStart &B = List.Bottom;
    return {&B.D, B.Side, B.HalfMoves, B.FullMove, B.SetUp, BottomGameForgotten};
  }
  int8_t Side = WMove;
  const DataType &D = PositionAfterEntry(Begin - 1, Side);
  // The console's set-ups carry no counters: their game counts from its first move.
  return {&D, Side, 0, 1, true, 0};
}

void ListBegin(bool SetUp, uint32_t HalfMoves, uint32_t FullMove) {
  ListRestart({Game.St.Data[0], Game.St.WhosMove, Game.MoveNum, HalfMoves,
               FullMove == 0 ? 1 : FullMove, SetUp});
}

// A signal handler may read the list (the console writes the game in progress
// when it is killed): an entry is whole before the count takes it in.
void ListPush(const GameEntry &E) {
  if (List.Count == MaxGameEntries) ForgetOldest();
  List.Entries[List.Count] = E;
  std::atomic_signal_fence(std::memory_order_release);
  ++List.Count;
}

void ListPop() {
  if (List.Count > 0) --List.Count;
}

void ListRestart(const GameStart &Bottom) {
  List.Count = 0;
  std::atomic_signal_fence(std::memory_order_release);
  List.Bottom = Bottom;
  List.Forgotten = 0;
  BottomGameForgotten = 0;
}

GameEntry EntryHere(EntryKind Kind) {
  GameEntry E{};
  E.Before = Game.St.Data[0];
  E.MoveNum = Game.MoveNum;
  E.Side = Game.St.WhosMove;
  E.Kind = Kind;
  return E;
}

void RestoreGame(const DataType &D, int8_t Side, uint16_t Moves) {
  Game.St.Ply = 0;
  Game.St.Data[0] = D;
  // The entry's key was made under the key table of its day; R, S and N
  // draw a new one since, and the restored position must match it.
  Game.St.Data[0].HashKey = CalcBrdKey(Game.Here());
  Game.St.WhosMove = Side;
  Game.MoveNum = Moves;
}

// The book's line is the game's moves while the book is in use: the texts
// of the list, which the console's refused texts are part of.
void FollowBookLine() {
  if (!Game.InLibrary) return;
  const GameList &L = TheGame();
  Game.OpeningStr.Clear();
  for (int I = 0; I < L.Count; ++I) {
    if (Game.OpeningStr.Length() + L.Entries[I].Text.Length() > Game.OpeningStr.Capacity()) {
      Game.InLibrary = false;
      return;
    }
    Game.OpeningStr.Append(L.Entries[I].Text);
  }
}
