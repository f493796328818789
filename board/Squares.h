// Square geometry and move text. Squares are 0..63 (a1 = 0, h1 = 7, a8 = 56),
// -1 is no square; a move text is the from-square name then the to-square
// name in upper case ("E2E4"), castling as the king's move.
#pragma once
#include <cstdint>

#include "board/Types.h"

// "A1".."H8".
inline constexpr char SqToStr[64][3] = {
    "A1", "B1", "C1", "D1", "E1", "F1", "G1", "H1", "A2", "B2", "C2", "D2", "E2", "F2", "G2", "H2",
    "A3", "B3", "C3", "D3", "E3", "F3", "G3", "H3", "A4", "B4", "C4", "D4", "E4", "F4", "G4", "H4",
    "A5", "B5", "C5", "D5", "E5", "F5", "G5", "H5", "A6", "B6", "C6", "D6", "E6", "F6", "G6", "H6",
    "A7", "B7", "C7", "D7", "E7", "F7", "G7", "H7", "A8", "B8", "C8", "D8", "E8", "F8", "G8", "H8"};
// A move text that names no move: the book's answer when it has none, the
// search's hash move when the table has none, the console's empty command.
constexpr const char *NoMoveText = "A1A1";

constexpr int8_t Flip(int8_t Sq) { return Sq == -1 ? -1 : static_cast<int8_t>(Sq ^ 56); }

// An upper-case file letter and a rank digit.
constexpr bool IsSquareText(char File, char Rank) {
  return File >= 'A' && File <= 'H' && Rank >= '1' && Rank <= '8';
}
// The square of an upper-case file letter and a rank digit (checked first).
constexpr int8_t SquareOf(char File, char Rank) {
  return static_cast<int8_t>((Rank - '1') * 8 + (File - 'A'));
}
// Whether the first four characters have the shape of a move text: letter
// A..H, digit 1..8, letter, digit (a shorter text stops at its NUL).
constexpr bool IsMoveText(const char *M) {
  return IsSquareText(M[0], M[1]) && IsSquareText(M[2], M[3]);
}

// The squares of a move text; the text must have the shape letter A..H, digit
// 1..8, letter, digit (the callers test that first).
int8_t StrToFromSq(const ShortStr &Move);
int8_t StrToToSq(const ShortStr &Move);
ShortStr SquaresToStr(int8_t FromSq, int8_t ToSq);
// The move record of a move text, its flags judged on D for Side to move. No
// legality test.
MoveRec MoveStrToMoveRec(const DataType &D, int8_t Side, const ShortStr &MStr);
