#pragma once
// Dates as Windows automation dates: days since 1899-12-30, the time of day as
// fraction (before that day the fraction counts forward from the negative
// whole day, as the platform stores it).
#include <string>
#include <string_view>

namespace varlen {

using DateTime = double;

// 100-01-01 00:00:00, the value for "no date".
inline constexpr DateTime MinDate = -657434.0;

// Reads a typed or listed date; MinDate when the text is not a valid date.
DateTime ParseDate(std::string_view text);

// a - b in days, with the fraction of a day.
double DaysBetween(DateTime a, DateTime b);

// The date filter: the shop opened on fromDate or later (1e-7 tolerance).
bool IsOnOrAfterFromDate(DateTime shopDate, DateTime fromDate);

// Automation date of a calendar day (no range check).
DateTime MakeDate(int year, int month, int day);

// The date box prefill: today minus three days, as "Y-M-D" without leading
// zeros. Days 1 to 3 step back into the previous month.
struct CivilDate {
  int year, month, day;
};
CivilDate AddDays(CivilDate date, int days);
std::string PrefillDateText(CivilDate today);

}  // namespace varlen
