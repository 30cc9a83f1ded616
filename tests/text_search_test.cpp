#include <gtest/gtest.h>

#include "text/byte_text.h"

namespace varlen {
namespace {

TEST(Literals, NarrowLiteralsAreGbkBytes) {
  EXPECT_EQ(std::string("中"), "\xD6\xD0");
  EXPECT_EQ(std::string("掌柜："), "\xD5\xC6\xB9\xF1\xA3\xBA");
  EXPECT_EQ(std::string("…"), "\xA1\xAD");
}

struct FindCase {
  const char* name;
  std::string text, pattern;
  int start;
  bool ignoreCase;
  int expected;
  friend void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }
};

class FindTextTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsAtCharacterBoundaries) {
  const FindCase& c = GetParam();
  EXPECT_EQ(FindText(c.text, c.pattern, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    testing::Values(
        FindCase{"Plain", "xmingy", "ming", 1, false, 2},
        FindCase{"FromZeroMeansStart", "xmingy", "ming", 0, false, 2},
        FindCase{"FromLaterPosition", "mingming", "ming", 2, false, 5},
        FindCase{"Missing", "abc", "d", 1, false, -1},
        FindCase{"CaseSensitive", "MING", "ming", 1, false, -1},
        FindCase{"IgnoreCaseAscii", "xMiNg", "ming", 1, true, 2},
        FindCase{"EmptyPatternInText", "abc", "", 1, false, 1},
        FindCase{"EmptyPatternInEmptyText", "", "", 1, false, -1},
        FindCase{"StartPastEnd", "abc", "c", 4, false, -1},
        // 中柜 is D6 D0 B9 F1: the bytes D0 B9 straddle two characters.
        FindCase{"NoMatchInsideDoubleByte", "\xD6\xD0\xB9\xF1", "\xD0\xB9", 1, false, -1},
        FindCase{"TrailHalfNotFound", "\xD6\x41", "A", 1, false, -1},
        FindCase{"AsciiAfterDoubleByte", "\xD6\xD0" "A", "A", 1, false, 3},
        FindCase{"LoneLeadByteAtEnd", "a\xD6", "\xD6", 1, false, 2}),
    [](const testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

TEST(TrimBlanks, RemovesAsciiAndFullWidthSpacesOnly) {
  EXPECT_EQ(TrimBlanks("  \xA1\xA1 ab c \xA1\xA1  "), "ab c");
  EXPECT_EQ(TrimBlanks("\t a \t"), "\t a \t");
  EXPECT_EQ(TrimBlanks("\xA1\xA1"), "");
  EXPECT_EQ(TrimBlanks(""), "");
  // "啊" (B0 A1) followed by a lone A1: not a full-width space.
  EXPECT_EQ(TrimBlanks("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
}

struct BetweenCase {
  const char* name;
  std::string text, start, end, expected;
  friend void PrintTo(const BetweenCase& c, std::ostream* os) { *os << c.name; }
};

class TextBetweenTest : public testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, CutsFirstPair) {
  const BetweenCase& c = GetParam();
  EXPECT_EQ(TextBetween(c.text, c.start, c.end), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    testing::Values(BetweenCase{"Middle", "xmingABCmingy", "ming", "ming", "ABC"},
                    BetweenCase{"Adjacent", "mingming", "ming", "ming", ""},
                    BetweenCase{"NoStart", "abc", "ming", "ming", ""},
                    BetweenCase{"NoEnd", "mingABC", "ming", "ming", ""},
                    BetweenCase{"CaseSensitive", "MINGabcMING", "ming", "ming", ""},
                    BetweenCase{"QuoteToken", "x a=\"v\" y", "a=#引号", "#引号", "v"},
                    BetweenCase{"TrailHalfStartMarker", "\xD6\xD0" "abc", "\xD0", "c", ""},
                    BetweenCase{"EmptyStartMarker", "abc", "", "c", "ab"},
                    BetweenCase{"SellerPattern", "<b>掌柜：张三</a><br>", "掌柜：", "</a><br>", "张三"}),
    [](const testing::TestParamInfo<BetweenCase>& info) { return std::string(info.param.name); });

TEST(TextBetween, StartPositionAndIgnoreCase) {
  EXPECT_EQ(TextBetween("[a][b]", "[", "]", 3), "b");
  EXPECT_EQ(TextBetween("xMINGabcming", "ming", "MING", 0, true), "abc");
}

TEST(ReplaceQuoteToken, ReplacesEveryToken) {
  EXPECT_EQ(ReplaceQuoteToken("href=#引号//shop"), "href=\"//shop");
  EXPECT_EQ(ReplaceQuoteToken("#引号 target=#引号_blank#引号"), "\" target=\"_blank\"");
  EXPECT_EQ(ReplaceQuoteToken("plain"), "plain");
}

TEST(BytesToText, EndsAtFirstZeroByte) {
  EXPECT_EQ(BytesToText(std::string("ab\0mingxming", 12)), "ab");
  EXPECT_EQ(BytesToText(""), "");
  EXPECT_EQ(TextBetween(BytesToText(std::string("a\0mingXming", 11)), "ming", "ming"), "");
}

TEST(CollectBetween, ListingLines) {
  // Heading, two shops, closing line: three entries, the heading never one.
  const std::string body =
      "heading\r\n<p>a<p>2024-5-8<p>p<p>u<p>\r\n<p>b<p>2024-5-9<p>p<p>u<p>\r\nend\r\n";
  const auto lines = SplitListingLines(body);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "<p>a<p>2024-5-8<p>p<p>u<p>");
  EXPECT_EQ(lines[2], "end");
  // Blank and full-width-blank lines vanish; text after the last CR LF is unused.
  EXPECT_EQ(SplitListingLines("h\r\n  \r\n\xA1\xA1\r\n x \r\ntail"), (std::vector<Text>{"x"}));
  EXPECT_TRUE(SplitListingLines("no line breaks").empty());
}

TEST(CollectBetween, ListingFields) {
  EXPECT_EQ(SplitListingFields("<p>seller<p><p>2024-5-8<P> yes <p>http://u<p>"),
            (std::vector<Text>{"seller", "2024-5-8", "yes", "http://u"}));
  EXPECT_EQ(SplitListingFields("before<p>a<p>after"), (std::vector<Text>{"a"}));
  EXPECT_TRUE(SplitListingFields("<p>only").empty());
}

TEST(FullWidthToAscii, DigitsLettersPunctuation) {
  EXPECT_EQ(FullWidthToAscii("\xA3\xB2\xA3\xB0\xA3\xAD\xA3\xC1\xA1\xA1中"), "20-A 中");
}

}  // namespace
}  // namespace varlen
