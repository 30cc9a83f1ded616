#pragma once
// Text conversions for the presence query, and page measurement.
#include <string>
#include <string_view>

#include "net/code_page.h"
#include "text/byte_text.h"

namespace varlen {

// A text (up to its first zero byte) in UTF-16, sized by the code page used.
std::u16string TextToWide(std::string_view text, unsigned codePage,
                          const CodePagePort& port = SystemCodePage());
// A UTF-16 text (up to its first zero unit) in the target code page.
Text WideToText(std::u16string_view wide, unsigned codePage,
                const CodePagePort& port = SystemCodePage());
// The same characters in UTF-8.
Text GbkToUtf8(std::string_view text, const CodePagePort& port = SystemCodePage());
// Percent-encoding: every byte as %XX, but for "-", ".", digits and letters
// when keepSafeCharacters is set.
Text UrlEncode(std::string_view text, bool keepSafeCharacters = false,
               bool convertToUtf8 = false, const CodePagePort& port = SystemCodePage());
// Bytes before the first zero byte.
int TextByteLength(std::string_view text);

}  // namespace varlen
