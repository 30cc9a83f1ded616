#include <gtest/gtest.h>

#include <climits>

#include "model/window_state.h"

namespace varlen {
namespace {

struct BatchCase {
  const char* name;
  std::string text;
  int value;
  std::string normalised;
  friend void PrintTo(const BatchCase& c, std::ostream* os) { *os << c.name; }
};

class BatchCountTest : public testing::TestWithParam<BatchCase> {};

TEST_P(BatchCountTest, ReadsAndNormalises) {
  EXPECT_EQ(ParseBatchCount(GetParam().text), GetParam().value);
  EXPECT_EQ(NormaliseBatchText(GetParam().text), GetParam().normalised);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchCountTest,
    testing::Values(BatchCase{"One", "1", 1, "1"}, BatchCase{"Empty", "", 0, ""},
                    BatchCase{"Zero", "0", 0, ""}, BatchCase{"LeadingZeros", "007", 7, "7"},
                    BatchCase{"Negative", "-3", -3, "-3"}, BatchCase{"PlusSign", "+4", 4, "4"},
                    BatchCase{"LeadingBlanks", "  12", 12, "12"},
                    BatchCase{"StopsAtOther", "3-4", 3, "3"},
                    BatchCase{"NoDigits", "-", 0, ""}, BatchCase{"LettersFirst", "a5", 0, ""},
                    BatchCase{"FullWidth", "\xA3\xAD\xA3\xB2", -2, "-2"},
                    BatchCase{"TooLarge", "99999999999", INT_MAX, "2147483647"},
                    BatchCase{"TooSmall", "-99999999999", INT_MIN, "-2147483648"}),
    [](const testing::TestParamInfo<BatchCase>& info) { return std::string(info.param.name); });

TEST(BatchBox, TypingFilter) {
  EXPECT_TRUE(IsBatchKeyAccepted(u'7'));
  EXPECT_TRUE(IsBatchKeyAccepted(u'-'));
  EXPECT_FALSE(IsBatchKeyAccepted(u'+'));
  EXPECT_FALSE(IsBatchKeyAccepted(u'a'));
  EXPECT_FALSE(IsBatchKeyAccepted(u'\x4E00'));
}

TEST(WindowState, StartsAsTheWindowOpens) {
  WindowState s;
  const WindowView v = s.Snapshot();
  for (const Text& box : v.boxes) EXPECT_EQ(box, "");
  EXPECT_EQ(v.startCaption, "开始提取");
  EXPECT_TRUE(v.startEnabled);
  for (bool enabled : v.menuEnabled) EXPECT_TRUE(enabled);
  EXPECT_FALSE(v.onlineLabelVisible);
  EXPECT_FALSE(v.updateNoticeShown);
  for (bool ticked : v.options) EXPECT_FALSE(ticked);
}

TEST(WindowState, ReplaceOnlyWhenExpectedAndSignalEveryChange) {
  WindowState s;
  int changes = 0;
  s.Changed().SetListener([&] { ++changes; });
  s.SetText(Box::编辑框9, Text(kCheckerSuspended));
  EXPECT_FALSE(s.ReplaceText(Box::编辑框9, kCheckerRunning, ""));
  EXPECT_TRUE(s.ReplaceText(Box::编辑框9, kCheckerSuspended, Text(kCheckerRunning)));
  EXPECT_EQ(s.GetText(Box::编辑框9), kCheckerRunning);
  s.SetTicked(Option::选择框3, true);
  EXPECT_TRUE(s.IsTicked(Option::选择框3));
  EXPECT_FALSE(s.IsTicked(Option::选择框1));
  EXPECT_GE(changes, 4);
}

}  // namespace
}  // namespace varlen
