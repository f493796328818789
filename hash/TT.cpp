#include "hash/TT.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "board/Board.h"
#include "board/Squares.h"
#include "board/Types.h"
#include "hash/TTSlot.h"

namespace {
// On a 2 MiB boundary, so that 2 MiB pages can hold all of it. Zeroed all
// the same without the braces, but clang 14 in C++20 then builds the zero
// initialiser entry by entry: a minute and 18 GB to compile this file.
constexpr std::size_t HugePage = std::size_t{2} << 20;
alignas(HugePage) InternTTType TransTable[NumTTEntries + 1] = {};

// The table in use: the one above, or a smaller one mapped when a front end
// asks for less memory; Entries is its prime size.
InternTTType *Table = TransTable;
uint32_t Entries = NumTTEntries;
std::size_t MappedBytes = 0;

// The default size divides by a constant, which the compiler turns into a
// multiplication; other sizes pay for a division.
inline uint32_t SlotOf(uint64_t Key) {
  return static_cast<uint32_t>(Entries == NumTTEntries ? Key % NumTTEntries : Key % Entries);
}

bool IsPrime(uint32_t N) {
  if (N < 2) return false;
  for (uint32_t D = 2; D <= N / D; ++D)
    if (N % D == 0) return false;
  return true;
}

// The slots written since the last clear, so that a clear after a short search
// zeroes only those instead of all 624 MiB; past the list's capacity the whole
// table is cleared. Either way every slot ends up all zero.
constexpr uint32_t TouchedCapacity = 1u << 22;
uint32_t Touched[TouchedCapacity];
uint32_t NumTouched = 0;
bool Overflowed = false;
// Whether anything was stored since the last clear: a clean table is not
// cleared again (bench empties it before its clock starts, the search after).
std::atomic<bool> Dirty{false};

// The threads that write the table in the searches to come. With more than
// one, the list above is not kept (Overflowed stays set): its counter would
// race, and the next clear is a whole one.
int Writers = 1;

bool IsEmptyEntry(const InternTTType &E) {
  return E.Key == 0 && E.Score == 0 && E.Node_Depth == 0 && E.Move_Piece == 0;
}

uint64_t AdjustKey(uint64_t Key, int8_t Side) { return Side == BMove ? ~Key : Key; }

// What the stored key is XOR-ed with: every field of the entry but the key.
inline uint64_t DataBits(int16_t Score, uint8_t NodeDepth, uint16_t MovePiece) {
  return static_cast<uint16_t>(Score) | static_cast<uint64_t>(NodeDepth) << 16 |
         static_cast<uint64_t>(MovePiece) << 24;
}

// The search that writes: a table emptied before every search stays at 0.
// Eight bits, in the key's top byte, so that an entry of a search long past
// never passes for one of this search: a deeper such entry would keep this
// search's results, the root's own among them, out of its slot.
uint8_t Generation = 0;
constexpr int GenerationShift = 56;
constexpr uint64_t KeyBits = (uint64_t{1} << GenerationShift) - 1;

// The thread that makes the table resident, so that no one waits for the
// kernel, which may take seconds to find 2 MiB pages. It touches no memory
// itself; the calls that unmap or replace the table end it first.
pthread_t Residency;
bool ResidencyRuns = false; // a thread to join
std::atomic<bool> StopResidency{false};
// Set by a front end that waits for the table and cannot wait longer: the
// pieces not yet in 2 MiB pages stay in ordinary ones, made writable at once.
std::atomic<bool> HurryResidency{false};
char *ResidentFrom = nullptr; // the pages it makes resident, set before it starts
std::size_t ResidentBytes = 0;

// Linux 6.1 has it; glibc's headers name it from 2.37 on.
#ifndef MADV_COLLAPSE
#define MADV_COLLAPSE 25
#endif

// One advice over the table, in pieces, so that a resize waits for one piece
// at most; false when the kernel does not know it.
bool AdviseInPieces(int Advice) {
  constexpr std::size_t Piece = 8 * HugePage;
  for (std::size_t Done = 0; Done < ResidentBytes; Done += Piece) {
    if (StopResidency.load(std::memory_order_relaxed)) return true;
    if (Advice == MADV_COLLAPSE && HurryResidency.load(std::memory_order_relaxed)) return true;
    const std::size_t N = ResidentBytes - Done < Piece ? ResidentBytes - Done : Piece;
    // A piece the kernel found no 2 MiB pages for stays in ordinary ones.
    if (madvise(ResidentFrom + Done, N, Advice) != 0 && errno == EINVAL) return false;
  }
  return true;
}

// Whether the system's owner turned 2 MiB pages off, which MADV_COLLAPSE
// would not heed. Read without stdio, which would allocate.
bool HugePagesOff() {
  char Setting[64] = "";
  const int Fd = open("/sys/kernel/mm/transparent_hugepage/enabled", O_RDONLY | O_CLOEXEC);
  if (Fd >= 0) {
    const ssize_t N = read(Fd, Setting, sizeof Setting - 1);
    Setting[N > 0 ? N : 0] = '\0';
    close(Fd);
  }
  return std::strstr(Setting, "[never]") != nullptr;
}

// Three passes. The first maps every page to the kernel's zero page, which
// costs no memory and little time. The second copies each piece into 2 MiB
// pages, the kernel compacting memory for them here; a search running
// meanwhile writes to ordinary pages and never waits for a 2 MiB one, since
// the table is not advised for them. The third makes whatever is still
// ordinary (no 2 MiB page could be had) writable. Before Linux 5.14 the
// searches touch the pages as they write; before 6.1 they are ordinary ones.
void *MakeResident(void *) {
  if (!AdviseInPieces(MADV_POPULATE_READ)) return nullptr;
  if (!HugePagesOff()) AdviseInPieces(MADV_COLLAPSE);
  AdviseInPieces(MADV_POPULATE_WRITE);
  return nullptr;
}

void EndResidency() {
  if (!ResidencyRuns) return;
  StopResidency = true;
  pthread_join(Residency, nullptr);
  StopResidency = false;
  ResidencyRuns = false;
}

} // namespace

void ZeroTTs() {
  if (!Dirty.load(std::memory_order_relaxed)) return;
  Dirty.store(false, std::memory_order_relaxed);
  if (Overflowed) {
    std::memset(static_cast<void *>(Table), 0,
                (static_cast<std::size_t>(Entries) + 1) * sizeof *Table);
  } else {
    for (uint32_t I = 0; I < NumTouched; ++I) Table[Touched[I]] = InternTTType{};
  }
  NumTouched = 0;
  Overflowed = Writers > 1;
}

void SetTTWriters(int N) {
  Writers = N < 1 ? 1 : N;
  if (Writers > 1) Overflowed = true;
}

void AddToTT(int8_t Side, uint64_t Key, int16_t Score, NodeType Node, uint8_t Depth,
             const ShortStr &Move, int8_t Piece) {
  const uint64_t Adjusted = AdjustKey(Key, Side);
  const uint32_t Slot = SlotOf(Adjusted);
  InternTTType &E = Table[Slot];
  // The depth has four bits; deeper results are stored as 15 so that the
  // node type in the high nibble stays intact.
  if (Depth > 15) Depth = 15;
  // Read before it is written: the threads share its line.
  if (!Dirty.load(std::memory_order_relaxed)) Dirty.store(true, std::memory_order_relaxed);
  // A deeper entry stays, unless an earlier search wrote it.
  if ((E.Key >> GenerationShift) == Generation && (E.Node_Depth & 0x0F) > Depth) return;
  uint16_t Word = 0;
  if (!Move.Empty()) {
    const int From = SquareOf(Move[0], Move[1]);
    const int To = SquareOf(Move[2], Move[3]);
    Word = static_cast<uint16_t>(From + To * 64 + (Piece & 0x0F) * 4096);
  }
  // A list given up (overflowed, or several writers) stays so until the next
  // clear, which is a whole one; the writers then never touch its counter.
  if (!Overflowed && IsEmptyEntry(E)) {
    if (NumTouched < TouchedCapacity)
      Touched[NumTouched++] = Slot;
    else
      Overflowed = true;
  }
  const auto NodeDepth = static_cast<uint8_t>(Node * 16 | Depth);
  E.Key = ((Adjusted ^ DataBits(Score, NodeDepth, Word)) & KeyBits) |
          static_cast<uint64_t>(Generation) << GenerationShift;
  E.Score = Score;
  E.Node_Depth = NodeDepth;
  E.Move_Piece = Word;
}

void PrefetchTT(uint64_t Key, int8_t Side) {
  const InternTTType *Slot = &Table[SlotOf(Side == BMove ? ~Key : Key)];
#if defined(__x86_64__)
  // As a volatile instruction: a function of plain prefetches has no effect
  // the compiler can see, and it drops calls to such a function as dead
  // wherever they are not inlined. Both ends of the entry, since the key
  // check reads all of it and one in five crosses a cache line.
  asm volatile("prefetcht0 %0" : : "m"(*reinterpret_cast<const char *>(Slot)));
  asm volatile("prefetcht0 %0" : : "m"(reinterpret_cast<const char *>(Slot)[sizeof *Slot - 1]));
#else
  __builtin_prefetch(Slot);
  __builtin_prefetch(reinterpret_cast<const char *>(Slot) + sizeof *Slot - 1);
#endif
}

void GetFromTT(FullTTType &Entry, int8_t Side) {
  Entry.Key = AdjustKey(Entry.Key, Side);
  const InternTTType &E = Table[SlotOf(Entry.Key)];
  // Each field is read once, as another thread may be writing the entry: the
  // empty asm keeps the compiler from reading them again for the fields below.
  uint64_t Stored = E.Key;
  uint64_t Bits = DataBits(E.Score, E.Node_Depth, E.Move_Piece);
  asm("" : "+r"(Stored), "+r"(Bits));
  if (((Stored ^ Bits ^ Entry.Key) & KeyBits) != 0) {
    Entry.Score = 0;
    Entry.Node = None;
    Entry.Depth = 0;
    Entry.Move.Clear();
    Entry.Piece = 0;
    Entry.Earlier = false;
    return;
  }
  const auto NodeDepth = static_cast<uint8_t>(Bits >> 16);
  const auto MovePiece = static_cast<uint16_t>(Bits >> 24);
  Entry.Score = static_cast<int16_t>(Bits & 0xFFFF);
  Entry.Node = static_cast<NodeType>((NodeDepth >> 4) & 3);
  Entry.Depth = NodeDepth & 0x0F;
  Entry.Move = SquaresToStr(MovePiece & 63, (MovePiece >> 6) & 63);
  Entry.Piece = static_cast<int8_t>(MovePiece >> 12);
  Entry.Earlier = (Stored >> GenerationShift) != Generation;
}

bool ValidMove(const FullTTType &M, const DataType &D, int8_t Side) {
  if (M.Move.Length() < 4) return false;
  const int8_t From = SquareOf(M.Move[0], M.Move[1]);
  const int8_t To = SquareOf(M.Move[2], M.Move[3]);
  if (From < 0 || From > 63 || To < 0 || To > 63) return false;
  if (PieceOn(D, From) != M.Piece) return false;
  const int8_t Target = PieceOn(D, To);
  if (Side == WMove) return Target == Empty || (Target >= BPawn && Target <= BQueen);
  return Target < WKing;
}

InternTTType &TTSlot(uint64_t Key, int8_t Side) { return Table[SlotOf(AdjustKey(Key, Side))]; }

namespace {
bool KeptOnSetUp = false;
} // namespace

void KeepTTOnSetUp() { KeptOnSetUp = true; }

void ZeroTTsOnSetUp() {
  if (!KeptOnSetUp) ZeroTTs();
}

void NewTTGeneration() { ++Generation; }

bool SetTTSizeMiB(uint32_t MiB) {
  if (MiB < 1 || MiB > MaxTTMiB) return false;
  EndResidency();
  // The table left behind is emptied first: the default one is then clean
  // should it come back, and its pages are not touched again.
  ZeroTTs();
  if (Table == TransTable && MiB < MaxTTMiB) {
    // The default table's pages go back to the system; they are all zero
    // and come back zero when touched again.
    constexpr uintptr_t Page = 4096;
    const uintptr_t From = (reinterpret_cast<uintptr_t>(TransTable) + Page - 1) & ~(Page - 1);
    const uintptr_t To =
        (reinterpret_cast<uintptr_t>(TransTable) + sizeof TransTable) & ~(Page - 1);
    madvise(reinterpret_cast<void *>(From), To - From, MADV_DONTNEED);
  }
  if (MappedBytes > 0) munmap(Table, MappedBytes);
  MappedBytes = 0;
  Table = TransTable;
  Entries = NumTTEntries;
  if (MiB < MaxTTMiB) {
    uint32_t N =
        static_cast<uint32_t>((static_cast<uint64_t>(MiB) << 20) / sizeof(InternTTType)) - 1;
    while (!IsPrime(N)) --N;
    const std::size_t Bytes = (static_cast<std::size_t>(N) + 1) * sizeof(InternTTType);
    // 2 MiB more than the table, cut back to start on a 2 MiB boundary, as
    // the default table does.
    void *P =
        mmap(nullptr, Bytes + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (P == MAP_FAILED) return false;
    const uintptr_t Got = reinterpret_cast<uintptr_t>(P);
    const uintptr_t Start = (Got + HugePage - 1) & ~(HugePage - 1);
    const uintptr_t End = (Start + Bytes + 4095) & ~uintptr_t{4095};
    if (Start > Got) munmap(P, Start - Got);
    munmap(reinterpret_cast<void *>(End), Got + Bytes + HugePage - End);
    Table = reinterpret_cast<InternTTType *>(Start);
    Entries = N;
    MappedBytes = Bytes;
  }
  return true;
}

uint32_t HashFullPermill() {
  const uint32_t Sample = Entries < 1000 ? Entries : 1000;
  uint32_t Used = 0;
  for (uint32_t I = 0; I < Sample; ++I) Used += !IsEmptyEntry(Table[I]);
  return Used * 1000 / Sample;
}

void MakeTTResident() {
  EndResidency();
  HurryResidency = false;
  ZeroTTs();
  const std::size_t Bytes = (static_cast<std::size_t>(Entries) + 1) * sizeof *Table;
  constexpr uintptr_t Page = 4096;
  const uintptr_t From = (reinterpret_cast<uintptr_t>(Table) + Page - 1) & ~(Page - 1);
  const uintptr_t To = (reinterpret_cast<uintptr_t>(Table) + Bytes) & ~(Page - 1);
  ResidentFrom = reinterpret_cast<char *>(From);
  ResidentBytes = To - From;
  ResidencyRuns = pthread_create(&Residency, nullptr, MakeResident, nullptr) == 0;
  if (!ResidencyRuns) MakeResident(nullptr);
  // A program that ends meanwhile ends the thread too, a piece at most later.
  static const bool AtExit = std::atexit(EndResidency) == 0;
  (void)AtExit;
}

void WaitTTResident() {
  if (!ResidencyRuns) return;
  pthread_join(Residency, nullptr);
  ResidencyRuns = false;
}

void WaitTTResident(uint32_t HugePagesMs) {
  if (!ResidencyRuns) return;
  timespec Until;
  clock_gettime(CLOCK_REALTIME, &Until);
  Until.tv_sec += HugePagesMs / 1000;
  Until.tv_nsec += static_cast<long>(HugePagesMs % 1000) * 1000000;
  if (Until.tv_nsec >= 1000000000) {
    ++Until.tv_sec;
    Until.tv_nsec -= 1000000000;
  }
  if (pthread_timedjoin_np(Residency, nullptr, &Until) != 0) {
    HurryResidency = true;
    pthread_join(Residency, nullptr);
  }
  ResidencyRuns = false;
}
