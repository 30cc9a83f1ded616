#include <gtest/gtest.h>

#include "fakes.h"
#include "model/contact_log.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "posix/file_port_posix.h"
#endif

namespace varlen {
namespace {

using testing_support::FakeFiles;
const std::string kPath(ContactLogFile);

struct KnownCase {
  const char* name;
  std::string log, seller;
  bool known;
  friend void PrintTo(const KnownCase& c, std::ostream* os) { *os << c.name; }
};

class SellerKnownTest : public testing::TestWithParam<KnownCase> {};

TEST_P(SellerKnownTest, SubstringAtCharacterBoundary) {
  FakeFiles files;
  files.files[kPath] = GetParam().log;
  ContactLog log(files);
  log.LoadContactLog();
  EXPECT_EQ(log.IsSellerKnown(GetParam().seller), GetParam().known);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SellerKnownTest,
    testing::Values(KnownCase{"Whole", "abcdef", "abc", true},
                    KnownCase{"Straddling", "abcdef", "bcd", true},
                    KnownCase{"StraddlingOther", "abcdef", "cde", true},
                    KnownCase{"CaseDiffers", "abcdef", "ABC", false},
                    KnownCase{"Missing", "abcdef", "xyz", false},
                    KnownCase{"EmptyNameNonEmptyLog", "a", "", true},
                    KnownCase{"EmptyNameEmptyLog", "", "", false},
                    KnownCase{"Chinese", "张三掌柜", "掌柜", true},
                    // 中柜 is D6 D0 B9 F1: D0 B9 straddles two characters.
                    KnownCase{"NotInsideDoubleByte", "\xD6\xD0\xB9\xF1", "\xD0\xB9", false},
                    KnownCase{"AcrossLineBreaks", "abc\r\ndef\r\n", "c\r\nd", true}),
    [](const testing::TestParamInfo<KnownCase>& info) { return std::string(info.param.name); });

TEST(ContactLog, AppendsWithoutSeparatorsAndReachesTheFileAtOnce) {
  FakeFiles files;
  ContactLog log(files);
  log.LoadContactLog();
  log.AppendToContactLog("abc");
  EXPECT_EQ(files.Get(kPath), "abc");  // on disk before any save
  log.AppendToContactLog("");
  log.AppendToContactLog("掌柜");
  log.AppendToContactLog("abc");
  EXPECT_EQ(log.CurrentText(), "abc\xD5\xC6\xB9\xF1" "abc");
  EXPECT_EQ(files.Get(kPath), log.CurrentText());
  log.SaveContactLog();
  EXPECT_EQ(files.Get(kPath), "abc\xD5\xC6\xB9\xF1" "abc");
}

TEST(ContactLog, MissingFileGivesEmptyLogAndSaveCreatesEmptyFile) {
  FakeFiles files;
  ContactLog log(files);
  log.LoadContactLog();
  EXPECT_EQ(log.CurrentText(), "");
  EXPECT_FALSE(log.IsSellerKnown("a"));
  log.SaveContactLog();
  EXPECT_EQ(files.Get(kPath), "");
}

TEST(ContactLog, HandWrittenFileKeepsItsLineBreaks) {
  FakeFiles files;
  files.files[kPath] = "alice\r\nbob\r\n";
  ContactLog log(files);
  log.LoadContactLog();
  EXPECT_TRUE(log.IsSellerKnown("bob"));
  log.AppendToContactLog("carol");
  log.SaveContactLog();
  EXPECT_EQ(files.Get(kPath), "alice\r\nbob\r\ncarol");
}

TEST(ContactLog, ZeroByteEndsTheTextAndTheFileIsRewrittenToMatch) {
  FakeFiles files;
  files.files[kPath] = std::string("abc\0def", 7);
  ContactLog log(files);
  log.LoadContactLog();
  EXPECT_EQ(log.CurrentText(), "abc");
  EXPECT_FALSE(log.IsSellerKnown("def"));
  EXPECT_EQ(files.Get(kPath), "abc");
}

TEST(ContactLog, UnwritableFileIsReportedAndCaughtUpLater) {
  FakeFiles files;
  ContactLog log(files);
  std::vector<bool> reports;
  log.SetWriteListener([&](bool written) { reports.push_back(written); });
  log.LoadContactLog();
  log.AppendToContactLog("abc");
  files.unwritable = true;
  log.AppendToContactLog("def");
  EXPECT_EQ(reports, std::vector<bool>{false});
  EXPECT_TRUE(log.IsSellerKnown("def"));  // kept in memory all the same
  files.unwritable = false;
  log.AppendToContactLog("ghi");           // rewrites the whole text
  EXPECT_EQ(files.Get(kPath), "abcdefghi");
  EXPECT_EQ(reports, (std::vector<bool>{false, true}));
  files.unwritable = true;
  log.SaveContactLog();
  EXPECT_EQ(reports, (std::vector<bool>{false, true, false}));
}

TEST(ContactLog, UnreadableFileGivesEmptyLog) {
  FakeFiles files;
  files.files[kPath] = "abc";
  files.unreadable = true;
  ContactLog log(files);
  log.LoadContactLog();
  EXPECT_EQ(log.CurrentText(), "");
}

TEST(ContactLog, DroppedWithoutSaveLosesNothing) {
  FakeFiles files;
  {
    ContactLog log(files);
    log.LoadContactLog();
    for (int i = 0; i < 50; ++i) log.AppendToContactLog("seller" + std::to_string(i) + ";");
  }
  ContactLog reloaded(files);
  reloaded.LoadContactLog();
  for (int i = 0; i < 50; ++i) EXPECT_TRUE(reloaded.IsSellerKnown("seller" + std::to_string(i) + ";"));
}

#ifndef _WIN32
// A real process appending to a real file is killed mid-run: every name it
// reported as appended is in the file, in order, with nothing torn.
TEST(ContactLogFiles, KilledProcessLosesNoAppendedName) {
  const std::string root = testing::TempDir() + "varlen_kill_" + std::to_string(getpid());
  std::filesystem::create_directories(root + "/drive_c");
  int pipeFd[2];
  ASSERT_EQ(pipe(pipeFd), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipeFd[0]);
    PosixFilePort files(root);
    ContactLog log(files);
    log.LoadContactLog();
    for (int i = 0;; ++i) {
      log.AppendToContactLog("<" + std::to_string(i) + ">");
      if (write(pipeFd[1], &i, sizeof i) != sizeof i) _exit(1);
    }
  }
  close(pipeFd[1]);
  int last = -1, value;
  while (last < 200 && read(pipeFd[0], &value, sizeof value) == sizeof value) last = value;
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  while (read(pipeFd[0], &value, sizeof value) == sizeof value) last = value;
  close(pipeFd[0]);

  PosixFilePort files(root);
  Bytes bytes;
  ASSERT_TRUE(files.ReadWholeFile(ContactLogFile, bytes));
  std::string expected;
  for (int i = 0; i <= last; ++i) expected += "<" + std::to_string(i) + ">";
  ASSERT_GE(bytes.size(), expected.size());
  EXPECT_EQ(bytes.substr(0, expected.size()), expected);
  std::filesystem::remove_all(root);
}
#endif

}  // namespace
}  // namespace varlen
