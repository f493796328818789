// The session's lines: answers go out through one buffer, written at the end
// of every answer line; commands come in through a queue that is read without
// blocking while the engine thinks, and the current command is cut into words.
#pragma once
#include <cstddef>
#include <cstdint>

#include "uci/Words.h"

namespace Uci {

constexpr std::size_t InCapacity = 1u << 16; // the longest line kept, in bytes
constexpr int MaxWords = 1 << 14;            // the most words a line may have

// A new session on these descriptors: nothing queued, nothing ended, notes
// as UCI's info strings.
void StartIo(int InFd, int OutFd);
// The notes Say writes start with Prefix from now on.
void NotesAs(const char *Prefix);

// ---- output ----
void Put(const char *S, std::size_t L);
void Put(const char *S);
void PutNum(int64_t V);
void EndLine(); // ends the answer line and writes out the buffer
void Flush();
// A note: "info string " A, the word Quoted quoted (cut and escaped), then B.
void Say(const char *A, const char *Quoted = nullptr, const char *B = nullptr);
// "info string " A and L bytes of a whole input line quoted.
void SayRaw(const char *A, const char *Text, std::size_t L);
bool OutputBroken(); // a write failed: nobody reads the answers any more

// ---- input ----
// Reads what has arrived; with Wait, blocks until something does or the
// input ends. A line that fills the whole buffer is dropped to its end.
void ReadInput(bool Wait);
bool InputEnded();
bool InputFull(); // the queue holds as much as it can
// The end (exclusive) of the queued line starting at Pos and where the next
// begins; false when that line is not complete yet. At the end of the input
// the rest counts as a line.
bool LineAt(std::size_t Pos, std::size_t &End, std::size_t &Next);
const char *QueuedAt(std::size_t Pos);
void DropLine(std::size_t Pos, std::size_t Next);
// Moves the first complete line out of the queue to be split; false when
// there is none yet.
bool TakeLine();
// Moves the complete line at Pos (as LineAt gave it) out of the queue to be
// split, for a command acted on while the engine thinks.
void TakeLineAt(std::size_t Pos, std::size_t End, std::size_t Next);
// Says once that lines too long for the queue were dropped, if any were.
void SayDroppedLines();

// The first word of S[0..L) is W, and nothing follows it.
bool FirstWordIs(const char *S, std::size_t L, const char *W);
// The first word of S[0..L) is W, whatever follows it.
bool StartsWithWord(const char *S, std::size_t L, const char *W);

// ---- the words of the line taken ----
extern const char *Word[MaxWords];
extern int NumWords;
// Splits the line taken into words; false when there are more than the table holds.
bool SplitLine();
// The rest of the line taken from word I on, blanks at its end dropped; null
// when it does not fit in Buf.
const char *RestOfLine(int I, char (&Buf)[256]);

} // namespace Uci
