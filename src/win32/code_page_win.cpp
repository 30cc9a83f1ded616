// Windows code pages: the conversion with flags 0, sized from the code page
// that converts (never from the ANSI page, which may not be 936).
#include <windows.h>

#include "net/code_page.h"

namespace varlen {
namespace {

class WindowsCodePage final : public CodePagePort {
 public:
  std::u16string ToWide(unsigned codePage, std::string_view bytes) const override {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    if (n <= 0) return {};
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
  }

  std::string FromWide(unsigned codePage, std::u16string_view wide) const override {
    if (wide.empty()) return {};
    const auto* src = reinterpret_cast<const wchar_t*>(wide.data());
    const int m = WideCharToMultiByte(codePage, 0, src, static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (m <= 0) return {};
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(codePage, 0, src, static_cast<int>(wide.size()), out.data(), m, nullptr,
                        nullptr);
    return out;
  }
};

}  // namespace

const CodePagePort& SystemCodePage() {
  static const WindowsCodePage port;
  return port;
}

}  // namespace varlen
