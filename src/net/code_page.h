#pragma once
// Code-page conversion port: MultiByteToWideChar / WideCharToMultiByte on
// Windows, iconv natively. Both convert with flags 0: a byte sequence that is
// not valid in the code page becomes "?", never an error.
#include <string>
#include <string_view>

namespace varlen {

inline constexpr unsigned kCodePageGbk = 936;
inline constexpr unsigned kCodePageUtf8 = 65001;

class CodePagePort {
 public:
  virtual ~CodePagePort() = default;
  virtual std::u16string ToWide(unsigned codePage, std::string_view bytes) const = 0;
  virtual std::string FromWide(unsigned codePage, std::u16string_view wide) const = 0;
};

// The platform's converter (Windows API or iconv), alive for the whole run.
const CodePagePort& SystemCodePage();

}  // namespace varlen
