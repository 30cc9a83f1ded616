// Runs against the platform's converter: iconv natively, the Windows API
// under Wine. Both runs passing is what shows the two ports agree.
#include <gtest/gtest.h>

#include "net/encoding.h"

namespace varlen {
namespace {

TEST(Encoding, GbkToUtf8) {
  EXPECT_EQ(GbkToUtf8("\xD6\xD0"), "\xE4\xB8\xAD");
  EXPECT_EQ(GbkToUtf8("中a"), "\xE4\xB8\xAD" "a");
  EXPECT_EQ(GbkToUtf8("张三"), "\xE5\xBC\xA0\xE4\xB8\x89");
  EXPECT_EQ(GbkToUtf8("\xA1\xA1"), "\xE3\x80\x80");  // full-width space
  EXPECT_EQ(GbkToUtf8(""), "");
  EXPECT_EQ(GbkToUtf8(std::string("a\0b", 3)), "a");
}

TEST(Encoding, LoneLeadByteBecomesQuestionMark) {
  EXPECT_EQ(GbkToUtf8("ab\xD6"), "ab?");
  EXPECT_EQ(TextToWide("\xD6", kCodePageGbk), u"?");
}

TEST(Encoding, WideRoundTrip) {
  const std::u16string wide = TextToWide("中文 abc", kCodePageGbk);
  EXPECT_EQ(wide, u"中文 abc");
  EXPECT_EQ(WideToText(wide, kCodePageGbk), "中文 abc");
  EXPECT_EQ(WideToText(std::u16string(u"x\0y", 3), kCodePageUtf8), "x");
  // 80 is the euro sign in code page 936.
  EXPECT_EQ(TextToWide("\x80", kCodePageGbk), u"\u20AC");
}

struct EncodeCase {
  const char* name;
  std::string text;
  bool keepSafe, toUtf8;
  std::string expected;
  friend void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }
};

class UrlEncodeTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(UrlEncodeTest, Encodes) {
  const EncodeCase& c = GetParam();
  EXPECT_EQ(UrlEncode(c.text, c.keepSafe, c.toUtf8), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlEncodeTest,
    testing::Values(EncodeCase{"Utf8Bytes", "\xE4\xB8\xAD", false, false, "%E4%B8%AD"},
                    EncodeCase{"Space", "a b", false, false, "%61%20%62"},
                    EncodeCase{"LineFeed", "\n", false, false, "%0A"},
                    EncodeCase{"KeepSafe", "a-b.c_d/e~f", true, false, "a-b.c%5Fd%2Fe%7Ef"},
                    EncodeCase{"ConvertOnly", "x", false, true, "%78"},
                    EncodeCase{"ConvertGbk", "中", true, true, "%E4%B8%AD"},
                    EncodeCase{"GbkRaw", "中", false, false, "%D6%D0"},
                    EncodeCase{"Empty", "", false, true, ""}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.name); });

TEST(Encoding, PresenceChain) {
  EXPECT_EQ(UrlEncode(GbkToUtf8("中a")), "%E4%B8%AD%61");
  EXPECT_EQ(UrlEncode(GbkToUtf8("ab")), "%61%62");
}

TEST(Encoding, TextByteLength) {
  EXPECT_EQ(TextByteLength("中a"), 3);
  EXPECT_EQ(TextByteLength(""), 0);
  EXPECT_EQ(TextByteLength(std::string("ab\0cd", 5)), 2);
}

}  // namespace
}  // namespace varlen
