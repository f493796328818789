#include "game/TakeBack.h"

#include "board/Board.h"
#include "game/Game.h"
#include "game/GameState.h"
#include "game/HistoryEdit.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "search/SearchState.h"

namespace {
constexpr int8_t TopIndex = 15; // 16 positions: the bottom and 15 pushes
GameStart Bottom;
// The list's length at the last push: a pass that added nothing records one.
int CountAtPush = 0;

bool IsPush(const GameEntry &E) { return E.Kind != EntryKind::SetUp; }
} // namespace

void ResetTakeBackView() {
  Bottom = TheGame().Bottom;
  Game.TBIndex = 0;
  CountAtPush = TheGame().Count;
}

void InitTakeBackStack() {
  ListBegin(false, 0, 1);
  ResetTakeBackView();
}

void AddToTakeBackStack(const ShortStr &Text) {
  if (TheGame().Count == CountAtPush || !IsPush(TheGame().Entries[TheGame().Count - 1])) {
    GameEntry E = EntryHere(EntryKind::Pass);
    E.Text = Text;
    ListPush(E);
    FollowBookLine();
  }
  CountAtPush = TheGame().Count;
  // A full stack forgets its oldest push above the bottom.
  if (Game.TBIndex < TopIndex) ++Game.TBIndex;
}

void TakeBackMove() {
  if (Game.MoveNum > 0) {
    const GameList &L = TheGame();
    int Top = L.Count;
    // The set-ups made since the last push, that push, and the set-ups made
    // before it: back to the position as it was pushed before.
    while (Top > 0 && !IsPush(L.Entries[Top - 1])) --Top;
    // The push above the bottom leads to the bottom itself, also when the
    // pushes between them are no longer held.
    if (Game.TBIndex > 1 && Top > 0) {
      --Game.TBIndex;
      --Top;
      while (Top > 0 && !IsPush(L.Entries[Top - 1])) --Top;
      const GameEntry E = L.Entries[Top];
      while (L.Count > Top) ListPop();
      RestoreGame(E.Before, E.Side, E.MoveNum);
    } else {
      Game.TBIndex = 0;
      ListRestart(Bottom);
      RestoreGame(Bottom.D, Bottom.Side, Bottom.MoveNum);
    }
    CountAtPush = L.Count;
    FollowBookLine();
  }
  ClearPV(Game.St);
  ClearHistory(Game.St);
  ZeroTTsOnSetUp();
}
