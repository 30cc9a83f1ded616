#pragma once
// Byte-text helpers over GBK (code page 936) texts held in std::string.
// Positions are 1-based byte positions; a search that finds nothing gives -1.
// Searches step over double-byte characters, so a match begins only at a
// character boundary.
#include <string>
#include <string_view>
#include <vector>

namespace varlen {

using Text = std::string;
using Bytes = std::string;  // may hold zero bytes

// True for a byte that starts a two-byte GBK character.
inline bool IsLeadByte(unsigned char c) { return c >= 0x80; }

// Finds `pattern` in `text` from the 1-based position `start` (0 or 1: from
// the first byte). An empty pattern is found at `start` of a non-empty text.
int FindText(std::string_view text, std::string_view pattern, int start = 1,
             bool ignoreCase = false);

inline bool ContainsText(std::string_view text, std::string_view pattern) {
  return FindText(text, pattern) > 0;
}

// Removes leading and trailing ASCII spaces and full-width spaces (A1 A1).
Text TrimBlanks(std::string_view text);

// Replaces every "#引号" token by one double-quote character.
Text ReplaceQuoteToken(std::string_view marker);

// The text between the first start marker at or after `startPosition` and the
// first end marker after it; "" when either is missing.
Text TextBetween(std::string_view text, std::string_view startMarker,
                 std::string_view endMarker, int startPosition = 0,
                 bool ignoreCase = false);

// The bytes up to the first zero byte, taken as text.
Text BytesToText(std::string_view bytes);

// All trimmed, non-empty texts between successive markers (case ignored).
// Runs on worker threads, so it never needs to pump window messages.
std::vector<Text> CollectBetween(std::string_view text,
                                 std::string_view startMarker,
                                 std::string_view endMarker);

// A listing body split into its lines (text between CR LF pairs).
std::vector<Text> SplitListingLines(std::string_view listing);

// A listing line split into its "<p>"-separated fields.
std::vector<Text> SplitListingFields(std::string_view line);

// ASCII case folding of the letters A-Z only.
Text LowerAscii(std::string_view text);

// Full-width GBK forms (A3 A1 .. A3 FE, and A1 A1) turned into ASCII.
Text FullWidthToAscii(std::string_view text);

// Decimal text of an integer.
Text DecimalText(long long value);

}  // namespace varlen
