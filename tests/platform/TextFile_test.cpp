// Files that are not plain files: a FIFO, a directory or a device named like
// the game file or the book is refused at once, never waited on, and a plain
// file is read and rewritten as usual.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "TestUtil.h"
#include "platform/TextFile.h"

namespace {

TEST(TextFile, OnlyPlainFilesAreOpenedAndNothingWaits) {
  TempDir Dir;
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  ASSERT_EQ(mkdir("folder", 0755), 0);
  std::FILE *P = std::fopen("plain", "w");
  ASSERT_NE(P, nullptr);
  std::fputs("old text\n", P);
  std::fclose(P);
  // A test that waited would never end: the alarm ends it instead.
  alarm(10);
  const struct {
    const char *Name;
    bool Reads, Writes;
  } Cases[] = {
      {"fifo", false, false},   {"folder", false, false}, {"/dev/null", false, false},
      {"missing", false, true}, {"plain", true, true},
  };
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    TextFile F;
    EXPECT_EQ(F.OpenRead(C.Name), C.Reads);
    EXPECT_EQ(F.Create(C.Name), C.Writes);
    if (C.Writes) {
      EXPECT_TRUE(F.Write("new\n"));
      EXPECT_TRUE(F.Close());
      ASSERT_TRUE(F.OpenRead(C.Name));
      FixedStr<20> Line;
      F.ReadLine(Line);
      EXPECT_STREQ(Line.c_str(), "new") << "emptied, then written";
    }
  }
  alarm(0);
  struct stat St;
  ASSERT_EQ(stat("fifo", &St), 0);
  EXPECT_TRUE(S_ISFIFO(St.st_mode)) << "left as it was";
  EXPECT_EQ(unlink("missing"), 0);
}

} // namespace
