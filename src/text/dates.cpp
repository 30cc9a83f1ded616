#include "text/dates.h"

#include <cmath>
#include <string>

#include "text/byte_text.h"

namespace varlen {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate CivilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr long long kEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Linear day count: the automation encoding of dates before 1899-12-30 keeps
// the fraction positive, so -1.25 is 06:00 on 1899-12-29 (-0.75 linear).
double Linear(DateTime d) {
  if (d >= 0) return d;
  const double whole = std::ceil(d);
  return whole + (whole - d);
}

class DateReader {
 public:
  explicit DateReader(std::string_view s) : s_(s) {}
  int Number(int maxDigits) {
    int value = 0;
    for (int k = 0; k < maxDigits && pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9'; ++k)
      value = value * 10 + (s_[pos_++] - '0');
    return value;
  }
  // Skips one optional separator: one of "-./:", a space if allowed, or `word`.
  void Separator(std::string_view word, bool spaceToo) {
    if (pos_ >= s_.size()) return;
    const char c = s_[pos_];
    if (c == '-' || c == '.' || c == '/' || c == ':' || (spaceToo && c == ' ')) {
      ++pos_;
    } else if (!word.empty() && s_.substr(pos_, word.size()) == word) {
      pos_ += word.size();
    }
  }
  bool EndsHere(std::string_view word) {
    if (pos_ == s_.size()) return true;
    return s_.substr(pos_) == word;
  }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

}  // namespace

DateTime MakeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, month, day) - kEpoch);
}

DateTime ParseDate(std::string_view text) {
  const std::string ascii = FullWidthToAscii(text);
  DateReader r(ascii);
  const int year = r.Number(4);
  r.Separator("年", false);
  const int month = r.Number(2);
  r.Separator("月", false);
  const int day = r.Number(2);
  r.Separator("日", true);
  const int hour = r.Number(2);
  r.Separator("时", false);
  const int minute = r.Number(2);
  r.Separator("分", false);
  const int second = r.Number(2);
  if (!r.EndsHere("秒")) return MinDate;
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
    return MinDate;
  const double whole = MakeDate(year, month, day);
  const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
  return whole >= 0 ? whole + fraction : whole - fraction;
}

double DaysBetween(DateTime a, DateTime b) { return Linear(a) - Linear(b); }

bool IsOnOrAfterFromDate(DateTime shopDate, DateTime fromDate) {
  return DaysBetween(shopDate, fromDate) >= -0.0000001;
}

CivilDate AddDays(CivilDate date, int days) {
  return CivilFromDays(DaysFromCivil(date.year, date.month, date.day) + days);
}

std::string PrefillDateText(CivilDate today) {
  const CivilDate d = AddDays(today, -3);
  return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

}  // namespace varlen
