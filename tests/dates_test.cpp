#include <gtest/gtest.h>

#include "text/dates.h"

namespace varlen {
namespace {

struct DateCase {
  const char* name;
  std::string text;
  double expected;
  friend void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }
};

class ParseDateTest : public testing::TestWithParam<DateCase> {};

TEST_P(ParseDateTest, Reads) {
  EXPECT_DOUBLE_EQ(ParseDate(GetParam().text), GetParam().expected);
}

const double k20240508 = MakeDate(2024, 5, 8);

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseDateTest,
    testing::Values(
        DateCase{"Dashes", "2024-5-8", k20240508},
        DateCase{"Slashes", "2024/05/08", k20240508},
        DateCase{"Chinese", "2024年5月8日", k20240508},
        DateCase{"Digits", "20240508", k20240508},
        DateCase{"Dots", "2024.5.8", k20240508},
        DateCase{"FullWidth", "\xA3\xB2\xA3\xB0\xA3\xB2\xA3\xB4\xA3\xAD\xA3\xB5\xA3\xAD\xA3\xB8", k20240508},
        DateCase{"WithTime", "2024-5-8 13:05:09", k20240508 + (13 * 3600 + 5 * 60 + 9) / 86400.0},
        DateCase{"ChineseTime", "2024年5月8日13时5分9秒", k20240508 + (13 * 3600 + 5 * 60 + 9) / 86400.0},
        DateCase{"DayZero", "2024-5-0", MinDate},
        DateCase{"DayNegative", "2024-5--2", MinDate},
        DateCase{"MonthThirteen", "2024-13-1", MinDate},
        DateCase{"Feb30", "2024-02-30", MinDate},
        DateCase{"LeapDay", "2024-2-29", MakeDate(2024, 2, 29)},
        DateCase{"NotLeap1900", "1900-2-29", MinDate},
        DateCase{"Leap2000", "2000-2-29", MakeDate(2000, 2, 29)},
        DateCase{"Empty", "", MinDate},
        DateCase{"YearOnly", "2024", MinDate},
        DateCase{"YearTooSmall", "99-1-1", MinDate},
        DateCase{"TrailingGarbage", "2024-5-8x", MinDate},
        DateCase{"Hour24", "2024-5-8 24:00:00", MinDate},
        DateCase{"MinDateItself", "100-1-1", MinDate},
        DateCase{"Epoch", "1899-12-30", 0.0}),
    [](const testing::TestParamInfo<DateCase>& info) { return std::string(info.param.name); });

TEST(Dates, MinDateValue) {
  EXPECT_DOUBLE_EQ(MinDate, -657434.0);
  EXPECT_DOUBLE_EQ(MakeDate(100, 1, 1), MinDate);
}

TEST(Dates, DateFilter) {
  const double from = ParseDate("2024-5-8");
  EXPECT_TRUE(IsOnOrAfterFromDate(ParseDate("2024-5-8"), from));
  EXPECT_TRUE(IsOnOrAfterFromDate(ParseDate("2024-5-9"), from));
  EXPECT_FALSE(IsOnOrAfterFromDate(ParseDate("2024-5-7"), from));
  EXPECT_FALSE(IsOnOrAfterFromDate(ParseDate("garbage"), from));
  // An unreadable date box lets every line through, unreadable dates too.
  EXPECT_TRUE(IsOnOrAfterFromDate(ParseDate("garbage"), ParseDate("2024-5-0")));
  EXPECT_TRUE(IsOnOrAfterFromDate(ParseDate("2024-5-7"), MinDate));
  // Tolerance is below zero, not zero.
  EXPECT_TRUE(IsOnOrAfterFromDate(from - 0.00000005, from));
  EXPECT_FALSE(IsOnOrAfterFromDate(from - 0.000001, from));
}

TEST(Dates, DaysBetweenAcrossTheEpoch) {
  // 1899-12-29 06:00 is stored as -1.25 and lies 0.75 days before the epoch.
  EXPECT_DOUBLE_EQ(ParseDate("1899-12-29 6:00:00"), -1.25);
  EXPECT_DOUBLE_EQ(DaysBetween(0.0, ParseDate("1899-12-29 6:00:00")), 0.75);
  EXPECT_DOUBLE_EQ(DaysBetween(ParseDate("2024-5-9"), ParseDate("2024-5-8 12:00:00")), 0.5);
}

TEST(Dates, PrefillSubtractsThreeDays) {
  EXPECT_EQ(PrefillDateText({2024, 5, 10}), "2024-5-7");
  EXPECT_EQ(PrefillDateText({2023, 12, 25}), "2023-12-22");
  EXPECT_EQ(PrefillDateText({2024, 3, 1}), "2024-2-27");
  EXPECT_EQ(PrefillDateText({2023, 3, 2}), "2023-2-27");
  EXPECT_EQ(PrefillDateText({2024, 1, 3}), "2023-12-31");
}

}  // namespace
}  // namespace varlen
