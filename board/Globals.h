// Shared vocabulary of the whole program: piece codes, sides, limits, the move
// record, the position record with its packed board and piece lists, the
// position stack, and the state of the game that the engine reads.
#pragma once
#include <cstdint>

#include "platform/FixedStr.h"

// ---- piece codes: black = white + 8, so code & 7 is the piece type ----------
constexpr int8_t NoPiece = -1;
constexpr int8_t Empty = 0;
constexpr int8_t WPawn = 1, WNight = 2, WBishop = 3, WRook = 4, WQueen = 5, WKing = 6;
constexpr int8_t BPawn = 9, BNight = 10, BBishop = 11, BRook = 12, BQueen = 13, BKing = 14;

// ---- sides ----------------------------------------------------------------
constexpr int8_t WMove = 1;
constexpr int8_t BMove = -1;

// ---- limits ---------------------------------------------------------------
constexpr int MaxPly = 100;
constexpr int MaxMoves = 100;
constexpr int16_t MaxMaterial = 4000;
constexpr int16_t MateScore = 10000;

// Indexed by piece code 0..14.
constexpr uint16_t PieceValue[15] = {0, 100, 320, 330, 500, 900, 10000, 0,
                                     0, 100, 320, 330, 500, 900, 10000};

// ---- the move record ------------------------------------------------------
struct MoveRec {
  int8_t FromSq;
  int8_t ToSq;
  int16_t MoveValue; // ordering score
  bool Castle;
  bool Capture;
  bool Promotion;
};
constexpr MoveRec NoMove = {-1, -1, -999, false, false, false};

// ---- the position record --------------------------------------------------
// One 32-bit word per rank; file f occupies bits 4f..4f+3 and holds the code.
using BoardType = uint32_t[8];
// [slot][code - knight code]: knight, bishop, rook, queen, king; -1 is free.
using PieceListType = int8_t[2][5];
using PawnListType = int8_t[8];

// Pieces beyond the two list slots of their kind (from promotions) have a
// list of their own, so a third knight or queen never overwrites a listed
// one. An entry is a square; the board tells its kind. Entries 0 .. count - 1
// are in use, so an all-zero record has none, and a kind has extras only
// while both its slots are taken.
// Each such piece came from one of the side's eight pawns, so a position is
// accepted only while they and its pawns together stay within MaxExtra:
// promotions never raise that sum, and the list never overflows.
constexpr int MaxExtra = 8;
using ExtraListType = int8_t[MaxExtra];

// The castling rights, one bit each, as CastleStat holds them.
constexpr uint8_t WhiteShort = 1, WhiteLong = 2, BlackShort = 4, BlackLong = 8;

// Six blocks of 16 bytes without a gap, each record on a 16-byte boundary:
// the search copies a record at every move, and a pawn list, read and
// written as one word, never straddles two of the copy's blocks.
struct alignas(16) DataType {
  BoardType Board;
  PawnListType WPawnList;
  PawnListType BPawnList;
  PieceListType WPieceList;
  PieceListType BPieceList;
  ExtraListType WExtra;
  ExtraListType BExtra;
  uint8_t WExtraCount; // entries in use in WExtra
  uint8_t BExtraCount;
  int8_t EnPasSq;     // square passed over by a double step, else -1
  uint8_t CastleStat; // WhiteShort | WhiteLong | BlackShort | BlackLong
  uint64_t HashKey;   // Zobrist key of the placement
};
static_assert(sizeof(DataType) == 96, "a position record is six blocks of 16 bytes");

// The code on square Sq of a record (0 = empty).
inline int8_t PieceOn(const DataType &D, int Sq) {
  return static_cast<int8_t>((D.Board[Sq >> 3] >> ((Sq & 7) * 4)) & 0xF);
}

// Index of a non-pawn code within a piece-list slot.
constexpr int PIdx(int8_t Code) { return (Code & 7) - 2; }
constexpr bool IsWhiteCode(int8_t Code) { return Code >= 1 && Code <= 6; }
constexpr bool IsPawnCode(int8_t Code) { return Code == WPawn || Code == BPawn; }
// The first or the last rank, where a pawn promotes and none may stand.
constexpr bool IsLastRank(int Sq) { return Sq < 8 || Sq >= 56; }

// ---- what a search changes as it runs, in one record ----------------------
// A row of the move lists holds every pseudo-legal move of any position the
// lists can describe: ten queens (two listed, eight extra), two rooks,
// bishops and knights, a king with both castlings and eight pawns (a
// position file may hold all of them at once) cannot exceed
// 10*27 + 2*14 + 2*13 + 2*8 + 10 + 8*4 = 382.
constexpr int MoveListCapacity = 384;
using PVType = Str4[MaxPly + 1][MaxPly + 1];
using SaveNodesType = uint64_t[MaxPly + 1];

// The position stack with its ply and side to move, the move lists with their
// scores and table move, the history table, the line and the counters: all a
// search writes as it goes. The game's own is MainState, whose fields the
// program's names below stand for (Data, Ply, WhosMove here; MoveList,
// HistTab, Nodes... beside the code that keeps them), each as cheap to
// reach as a plain global.
struct SearchState {
  DataType Data[MaxPly + 1]{}; // one record per ply; Data[0] is the game
  uint8_t Ply = 0;             // index of the current record
  int8_t WhosMove = WMove;     // WMove or BMove
  // Entries 1 .. count of row Ply (entry 0 unused), and the scores once more,
  // eight to a 16-byte block (moves/GenMoves.cpp).
  MoveRec MoveList[MaxPly + 1][MoveListCapacity + 1]{};
  alignas(16) int16_t MoveScore[MaxPly + 1][MoveListCapacity + 8]{};
  uint16_t MoveListIndex = 0;
  Str4 HashMove{};
  int8_t HashFrom = -1, HashTo = -1; // HashMove as squares
  uint16_t HistTab[16][64]{};        // by piece code and square
  uint64_t Nodes = 0, QNodes = 0;
  PVType PV{};
  uint32_t BetaCuts = 0, NullCuts = 0, TTHits = 0, ExactTTHits = 0;
  int16_t PVScore = 0;
  int16_t CurrentDepth = 0;
  uint8_t SelDepth = 0; // the deepest ply reached in this search
  SaveNodesType SaveNodes{};
  uint32_t Time = 0; // whole seconds, as of the end of the last iteration
  bool Abort = false;
};
extern constinit SearchState MainState;

// ---- the position stack ---------------------------------------------------
inline constexpr auto &Data = MainState.Data;
inline constexpr auto &Ply = MainState.Ply;

// ---- the game as the engine reads it ----------------------------------------
// Front ends change these only through the game's calls (game/Game.h).
extern Str255 OpeningStr; // moves played while the book is in use
constexpr uint8_t NoFixedDepth = 255;
inline constexpr auto &WhosMove = MainState.WhosMove; // WMove or BMove
extern bool EndGame;                                  // fixed at the start of each search
extern bool InLibrary;                                // the opening book is still consulted

// The letter of each piece code, as the board and FEN show it (white upper
// case); codes 7 and 8 stand for nothing.
constexpr char PieceLetter[] = " PNBRQK  pnbrqk";
// The code of a FEN piece letter, or Empty for any other character.
constexpr int8_t CodeOfLetter(char C) {
  for (int8_t P = WPawn; P <= BKing; ++P)
    if (C != ' ' && PieceLetter[P] == C) return P;
  return Empty;
}
