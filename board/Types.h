// Shared vocabulary of the whole program: piece codes, sides, limits, the move
// record and the position record with its packed board and piece lists. Types
// and constants only: the records that hold a game or a search live with the
// code that keeps them.
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

constexpr uint8_t NoFixedDepth = 255; // no depth limit

// The letter of each piece code, as the board and FEN show it (white upper
// case); codes 7 and 8 stand for nothing.
constexpr char PieceLetter[] = " PNBRQK  pnbrqk";
// The code of a FEN piece letter, or Empty for any other character.
constexpr int8_t CodeOfLetter(char C) {
  for (int8_t P = WPawn; P <= BKing; ++P)
    if (C != ' ' && PieceLetter[P] == C) return P;
  return Empty;
}
