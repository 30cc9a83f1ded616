// The index must answer exactly as the plain scan does: straddling matches,
// the character-boundary rule and appends after the build included.
#include <gtest/gtest.h>

#include <random>

#include "fakes.h"
#include "model/contact_log.h"

namespace varlen {
namespace {

using testing_support::FakeFiles;

// Names from a small alphabet of ASCII letters and GBK bytes (lead bytes
// and trail-like bytes), so matches inside and across characters abound.
std::string RandomName(std::mt19937& rng, int maxLength) {
  static const unsigned char kBytes[] = {'a', 'b', 'c', 0xD6, 0xD0, 0xB9, 0xF1, 0x41, 0xA1};
  std::uniform_int_distribution<int> length(0, maxLength), pick(0, sizeof kBytes - 1);
  std::string name;
  for (int n = length(rng); n > 0; --n) name.push_back(static_cast<char>(kBytes[pick(rng)]));
  return name;
}

TEST(ContactLogIndex, SameAnswersAsThePlainScan) {
  std::mt19937 rng(20261211);
  for (int round = 0; round < 20; ++round) {
    FakeFiles files;
    std::string initial;
    while (initial.size() < 3000) initial += RandomName(rng, 12);
    files.files[std::string(ContactLogFile)] = initial;
    ContactLog indexed(files, ContactLogFile, {true, 0});
    FakeFiles plainFiles;
    plainFiles.files = files.files;
    ContactLog plain(plainFiles, ContactLogFile, {false, 0});
    indexed.LoadContactLog();
    plain.LoadContactLog();
    for (int step = 0; step < 400; ++step) {
      const int action = std::uniform_int_distribution<int>(0, 9)(rng);
      if (action == 0) {
        const std::string name = RandomName(rng, 20);
        indexed.AppendToContactLog(name);
        plain.AppendToContactLog(name);
        continue;
      }
      std::string query;
      const std::string text = plain.CurrentText();
      if (action < 6 && !text.empty()) {
        // A piece of the log itself, starting anywhere (also mid-character).
        const size_t at = std::uniform_int_distribution<size_t>(0, text.size() - 1)(rng);
        const size_t len = std::uniform_int_distribution<size_t>(1, 24)(rng);
        query = text.substr(at, len);
      } else {
        query = RandomName(rng, 16);
      }
      ASSERT_EQ(indexed.IsSellerKnown(query), plain.IsSellerKnown(query))
          << "round " << round << " step " << step << " query size " << query.size();
    }
  }
}

TEST(ContactLogIndex, SeamAndTailAfterTheBuild) {
  FakeFiles files;
  std::string log(200, 'x');
  log += "abcdefgh";
  files.files[std::string(ContactLogFile)] = log;
  ContactLog indexed(files, ContactLogFile, {true, 0});
  indexed.LoadContactLog();
  EXPECT_TRUE(indexed.IsSellerKnown("xabcdefgh"));  // builds the index
  indexed.AppendToContactLog("ijkl");
  EXPECT_TRUE(indexed.IsSellerKnown("fghijk"));     // straddles the seam
  EXPECT_TRUE(indexed.IsSellerKnown("ijkl"));
  EXPECT_FALSE(indexed.IsSellerKnown("hgf"));
  // A lone lead byte at the end pairs with what is appended after it.
  ContactLog gbk(files, ContactLogFile, {true, 0});
  files.files[std::string(ContactLogFile)] = std::string(100, 'y') + "\xD6";
  gbk.LoadContactLog();
  EXPECT_TRUE(gbk.IsSellerKnown("yyy"));
  gbk.AppendToContactLog("\xD0" "A");
  EXPECT_TRUE(gbk.IsSellerKnown("\xD6\xD0" "A"));
  EXPECT_FALSE(gbk.IsSellerKnown("\xD0" "A"));  // inside a character
  EXPECT_TRUE(gbk.IsSellerKnown("A"));
}

}  // namespace
}  // namespace varlen
