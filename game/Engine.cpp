#include "game/Engine.h"

#include <cmath>

#include "board/Squares.h"
#include "board/Zorbist.h"
#include "book/Opening.h"
#include "game/Game.h"
#include "game/GameState.h"
#include "hash/TT.h"
#include "moves/GenMoves.h"
#include "moves/Move.h"
#include "search/Clock.h"
#include "search/Search.h"

namespace {

// No list allows every move.
bool Allowed(const ShortStr &Text, const ShortStr *List, uint16_t N) {
  return !List || InList(Text, List, N);
}

// The line's second move, when the walk over the playable line reaches it.
Str4 PonderText;
void KeepSecond(const DataType &, const Str4 &Move, uint32_t Index) {
  if (Index == 1) PonderText = Move;
}

// A book move is searched alone for this many nodes, so that the interface
// has a score and a line to show with it: a few milliseconds.
constexpr uint64_t BookMoveNodes = 4000;
} // namespace

ThinkResult Think(const SearchLimits &L, const SearchSettings &S) {
  Game.St.Ply = 0;
  ThinkResult R{NoMove, Str4(), false, 0, 0, 0};
  ShortStr LibMove;
  SearchLimits Book;
  const SearchLimits *Searched = &L;
  if (S.UseBook) {
    // A strength level's seed decides the book's choice too.
    LibMove = GetLibraryMove(Game.St, Game.OpeningStr, S.NoiseSeed);
    if (!(LibMove == NoMoveText) && Allowed(LibMove, L.SearchMoves, L.NumSearchMoves)) {
      Book = L;
      Book.SearchMoves = &LibMove;
      Book.NumSearchMoves = 1;
      Book.Nodes = BookMoveNodes;
      Searched = &Book;
      R.FromBook = true;
    }
  }
  GameKeys Keys;
  if (S.DrawRules) {
    const GameRecord &G = GameHistory();
    Keys = {G.Keys, G.NumKeys, G.HalfMoveClock};
  }
  R.Best = SearchMove(Game.St, *Searched, S, Keys);
  R.Nodes = SearchedNodes(Game.St);
  R.QNodes = SearchedQNodes(Game.St);
  R.Depth = Game.St.CurrentDepth;
  // The book's choice is the move, whatever its short search found.
  if (R.FromBook) R.Best = MoveStrToMoveRec(Game.Here(), Game.St.WhosMove, LibMove);
  if (R.Best.FromSq >= 0) {
    PonderText.Clear();
    WalkLegalPV(Game.St, 2, KeepSecond);
    R.Ponder = PonderText;
  } else if (S.AnyMove) {
    R.Best = FirstLegalMove(L.SearchMoves, L.NumSearchMoves);
  }
  return R;
}

void PonderHit() { ClockPonderHit(); }
void ForgetLastMoveTime() { ForgetLastMove(); }

uint32_t WalkReportedLine(uint32_t Len, LineVisitor Visit) {
  return WalkLegalPV(Game.St, Len, Visit);
}

SearchLimits ConsoleLimits(uint16_t MoveTime, uint8_t FixedDepth) {
  SearchLimits L;
  L.Depth = FixedDepth;
  L.TimeMs = SecondsRuleMs(MoveTime);
  return L;
}

MoveRec CalcMove(const SearchLimits &L) {
  if (Game.InLibrary) {
    // The line as it will be once the move is played (game/History.h).
    const ShortStr LibMove = GetLibraryMove(Game.St, Game.OpeningStr);
    Game.OpeningStr.Append(LibMove);
    Game.InLibrary = !(LibMove == NoMoveText);
    if (Game.InLibrary) return MoveStrToMoveRec(Game.Here(), Game.St.WhosMove, LibMove);
  }
  SearchSettings S;
  S.AnyMove = true;
  return Think(L, S).Best;
}

namespace {
// The console's engine: the node budget at LevelBaseElo, doubled every
// LevelEloPerDoubling, and the noise, growing below its top level (at most
// MaxNoise): all from calibration matches against Stockfish's levels (README).
constexpr int LevelBaseElo = 1400;
constexpr double LevelBaseNodes = 3000;
constexpr int LevelEloPerDoubling = 60;
// A centipawn of noise for every 4.5 points below the top.
constexpr int NoiseCpNum = 2, NoiseCpDen = 9, MaxNoise = 80;
// The own engine above the console's top: a budget at OwnBaseElo, doubled
// every OwnEloPerDoubling (README).
constexpr int OwnBaseElo = 1900;
constexpr double OwnBaseNodes = 48000;
constexpr int OwnEloPerDoubling = 75;

uint64_t NodesAt(int Elo, int BaseElo, double BaseNodes, int EloPerDoubling) {
  return static_cast<uint64_t>(BaseNodes *
                               std::exp2(static_cast<double>(Elo - BaseElo) / EloPerDoubling));
}
} // namespace

void LimitStrength(SearchLimits &L, SearchSettings &S, uint16_t Elo, uint64_t Seed) {
  const int E = Elo < MinLevelElo ? MinLevelElo : Elo > MaxLevelElo ? MaxLevelElo : Elo;
  S.FullStrength = E > ConsoleTopLevelElo;
  const uint64_t LevelNodes = S.FullStrength
                                  ? NodesAt(E, OwnBaseElo, OwnBaseNodes, OwnEloPerDoubling)
                                  : NodesAt(E, LevelBaseElo, LevelBaseNodes, LevelEloPerDoubling);
  if (L.Nodes == 0 || L.Nodes > LevelNodes) L.Nodes = LevelNodes;
  const int Noise = S.FullStrength ? 0 : (ConsoleTopLevelElo - E) * NoiseCpNum / NoiseCpDen;
  S.EvalNoise = static_cast<int16_t>(Noise > MaxNoise ? MaxNoise : Noise);
  S.NoiseSeed = Seed;
  S.Threads = 1;
}

uint8_t SetThreads(uint8_t Threads) { return SetSearchThreads(Threads); }

void PrepareTable() { MakeTTResident(); }
void WaitForTable() { WaitTTResident(); }
void WaitForTable(uint32_t HugePagesMs) { WaitTTResident(HugePagesMs); }
// What the search remembers of earlier moves goes with the table, so that
// a search after a new game is the first one again, node for node.
void ClearTable() {
  ZeroTTs();
  ForgetMoveMemory();
}
static_assert(MaxTableMiB == MaxTTMiB, "the table's size as the front ends know it");
bool ResizeTable(uint32_t MiB) { return SetTTSizeMiB(MiB); }
uint32_t TableFullPermill() { return HashFullPermill(); }
void KeepTableAcrossSetUps() {
  KeepZorbistKeys();
  KeepTTOnSetUp();
}
static_assert(MaxMovesListed == MoveListCapacity, "the move list as the front ends know it");

MoveRec FirstLegalMove(const ShortStr *AllowedMoves, uint16_t NumAllowed) {
  Game.St.Ply = 0;
  MoveRec First = NoMove;
  const auto Wanted = [&](const MoveRec &M) {
    return !TakesKing(Game.Here(), M) &&
           Allowed(SquaresToStr(M.FromSq, M.ToSq), AllowedMoves, NumAllowed);
  };
  WalkLegalMoves(Game.St, Wanted, [&](const MoveRec &M) {
    First = M;
    return false;
  });
  // The record as a move text makes it, so that its flags are the text's.
  return First.FromSq < 0 ? NoMove
                          : MoveStrToMoveRec(Game.Here(), Game.St.WhosMove,
                                             SquaresToStr(First.FromSq, First.ToSq));
}

int BookMovesHere(ShortStr *Moves, uint32_t *Counts, int Max) {
  if (!BookInUse()) return 0;
  Game.St.Ply = 0;
  return ListLibraryMoves(Game.St, Game.OpeningStr, Moves, Counts, Max);
}
