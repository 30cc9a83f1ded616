#include "net/encoding.h"

namespace varlen {

std::u16string TextToWide(std::string_view text, unsigned codePage, const CodePagePort& port) {
  return port.ToWide(codePage, BytesToText(text));
}

Text WideToText(std::u16string_view wide, unsigned codePage, const CodePagePort& port) {
  const size_t end = wide.find(u'\0');
  return port.FromWide(codePage, wide.substr(0, end == std::u16string_view::npos ? wide.size() : end));
}

Text GbkToUtf8(std::string_view text, const CodePagePort& port) {
  return WideToText(TextToWide(text, kCodePageGbk, port), kCodePageUtf8, port);
}

Text UrlEncode(std::string_view text, bool keepSafeCharacters, bool convertToUtf8,
               const CodePagePort& port) {
  const Text source = convertToUtf8 ? GbkToUtf8(text, port) : BytesToText(text);
  static const char kHex[] = "0123456789ABCDEF";
  Text out;
  out.reserve(source.size() * 3);
  for (unsigned char c : source) {
    const bool safe = c == '-' || c == '.' || (c >= '0' && c <= '9') ||
                      (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (keepSafeCharacters && safe) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

int TextByteLength(std::string_view text) {
  return static_cast<int>(BytesToText(text).size());
}

}  // namespace varlen
