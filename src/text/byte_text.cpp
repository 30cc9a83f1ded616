#include "text/byte_text.h"

#include <cstring>

namespace varlen {
namespace {

inline unsigned char Lower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool SameAt(std::string_view text, size_t at, std::string_view pattern,
            bool ignoreCase) {
  if (!ignoreCase) return std::memcmp(text.data() + at, pattern.data(), pattern.size()) == 0;
  for (size_t k = 0; k < pattern.size(); ++k) {
    if (Lower(static_cast<unsigned char>(text[at + k])) !=
        Lower(static_cast<unsigned char>(pattern[k])))
      return false;
  }
  return true;
}

// Byte length of the character that starts at `at`.
inline size_t CharLen(std::string_view text, size_t at) {
  return (IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size()) ? 2 : 1;
}

bool IsBlankAt(std::string_view text, size_t at, size_t len) {
  if (len == 1) return text[at] == ' ';
  return static_cast<unsigned char>(text[at]) == 0xA1 &&
         static_cast<unsigned char>(text[at + 1]) == 0xA1;
}

constexpr std::string_view kQuoteToken = "#引号";

}  // namespace

int FindText(std::string_view text, std::string_view pattern, int start,
             bool ignoreCase) {
  const size_t n = text.size();
  size_t i = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
  if (n == 0 || i >= n) return -1;
  if (pattern.empty()) return static_cast<int>(i) + 1;
  const unsigned char first = static_cast<unsigned char>(pattern[0]);
  while (i + pattern.size() <= n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((ignoreCase ? Lower(c) == Lower(first) : c == first) &&
        SameAt(text, i, pattern, ignoreCase))
      return static_cast<int>(i) + 1;
    i += CharLen(text, i);
  }
  return -1;
}

Text TrimBlanks(std::string_view text) {
  size_t begin = 0, end = 0;  // [begin, end) of the kept characters
  bool seenChar = false;
  for (size_t i = 0; i < text.size();) {
    const size_t len = CharLen(text, i);
    if (!IsBlankAt(text, i, len)) {
      if (!seenChar) begin = i;
      seenChar = true;
      end = i + len;
    }
    i += len;
  }
  return seenChar ? Text(text.substr(begin, end - begin)) : Text();
}

Text ReplaceQuoteToken(std::string_view marker) {
  Text out;
  out.reserve(marker.size());
  int from = 1;
  for (;;) {
    const int at = FindText(marker, kQuoteToken, from);
    if (at < 0) break;
    out.append(marker.substr(from - 1, at - from));
    out.push_back('"');
    from = at + static_cast<int>(kQuoteToken.size());
  }
  if (static_cast<size_t>(from - 1) <= marker.size()) out.append(marker.substr(from - 1));
  return out;
}

Text TextBetween(std::string_view text, std::string_view startMarker,
                 std::string_view endMarker, int startPosition, bool ignoreCase) {
  const Text start = ReplaceQuoteToken(startMarker);
  const Text end = ReplaceQuoteToken(endMarker);
  const int s = FindText(text, start, startPosition, ignoreCase);
  if (s < 0) return {};
  const int p = s + static_cast<int>(start.size());
  const int e = FindText(text, end, p, ignoreCase);
  if (e < 0) return {};
  return Text(text.substr(p - 1, e - p));
}

Text BytesToText(std::string_view bytes) {
  return Text(bytes.substr(0, std::min(bytes.find('\0'), bytes.size())));
}

std::vector<Text> CollectBetween(std::string_view text, std::string_view startMarker,
                                 std::string_view endMarker) {
  std::vector<Text> items;
  int from = 1;
  for (;;) {
    const int s = FindText(text, startMarker, from, true);
    if (s < 0) break;
    const int p = s + static_cast<int>(startMarker.size());
    const int e = FindText(text, endMarker, p, true);
    if (e < 0) break;
    Text item = TrimBlanks(text.substr(p - 1, e - p));
    if (!item.empty()) {
      items.push_back(std::move(item));
      from = e;
    } else {
      from = p;
    }
  }
  return items;
}

std::vector<Text> SplitListingLines(std::string_view listing) {
  return CollectBetween(listing, "\r\n", "\r\n");
}

std::vector<Text> SplitListingFields(std::string_view line) {
  return CollectBetween(line, "<p>", "<p>");
}

Text LowerAscii(std::string_view text) {
  Text out(text);
  for (char& c : out) c = static_cast<char>(Lower(static_cast<unsigned char>(c)));
  return out;
}

Text FullWidthToAscii(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t len = CharLen(text, i);
    const unsigned char a = static_cast<unsigned char>(text[i]);
    if (len == 2) {
      const unsigned char b = static_cast<unsigned char>(text[i + 1]);
      if (a == 0xA3 && b >= 0xA1 && b <= 0xFE) {
        out.push_back(static_cast<char>(b - 0x80));
      } else if (a == 0xA1 && b == 0xA1) {
        out.push_back(' ');
      } else {
        out.append(text.substr(i, 2));
      }
    } else {
      out.push_back(static_cast<char>(a));
    }
    i += len;
  }
  return out;
}

Text DecimalText(long long value) { return std::to_string(value); }

}  // namespace varlen
