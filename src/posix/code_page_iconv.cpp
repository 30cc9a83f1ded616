// iconv-backed code pages for native builds; mirrors what Windows gives with
// flags 0 on the characters where glibc's CP936 and Windows' table differ.
#include <iconv.h>

#include <cerrno>
#include <mutex>

#include "net/code_page.h"

namespace varlen {
namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// One iconv descriptor per direction, serialised: iconv_t is not thread-safe.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  // Converts one whole unit; false when iconv rejects it.
  bool Convert(const char* in, size_t inLen, char* out, size_t& outLen) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    size_t left = inLen, room = outLen;
    if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left != 0) return false;
    outLen -= room;
    return true;
  }

 private:
  iconv_t cd_;
  std::mutex mutex_;
};

class IconvCodePage final : public CodePagePort {
 public:
  std::u16string ToWide(unsigned codePage, std::string_view bytes) const override {
    std::u16string out;
    if (codePage == kCodePageUtf8) {
      // Only GBK is ever read here; UTF-8 input is decoded through iconv whole.
      DecodeWhole(bytes, out);
      return out;
    }
    for (size_t i = 0; i < bytes.size();) {
      const unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c < 0x80) {
        out.push_back(c);
        ++i;
      } else if (c == 0x80) {
        out.push_back(0x20AC);
        ++i;
      } else if (c == 0xFF) {
        out.push_back(0xF8F5);
        ++i;
      } else if (i + 1 >= bytes.size()) {
        out.push_back(u'?');  // lone lead byte at the end
        ++i;
      } else {
        char buf[8];
        size_t len = sizeof buf;
        if (gbkToUtf16_.Convert(bytes.data() + i, 2, buf, len) && len == 2) {
          out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buf[0]) |
                                              (static_cast<unsigned char>(buf[1]) << 8)));
        } else {
          out.push_back(u'?');
        }
        i += 2;
      }
    }
    return out;
  }

  std::string FromWide(unsigned codePage, std::u16string_view wide) const override {
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
      char32_t cp = wide[i];
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
          wide[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[++i] - 0xDC00);
      } else if (cp >= 0xD800 && cp <= 0xDFFF) {
        cp = 0xFFFD;
      }
      if (codePage == kCodePageUtf8) {
        AppendUtf8(out, cp);
        continue;
      }
      if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        continue;
      }
      if (cp == 0x20AC) {
        out.push_back(static_cast<char>(0x80));
        continue;
      }
      std::string utf8;
      AppendUtf8(utf8, cp);
      char buf[8];
      size_t len = sizeof buf;
      if (utf8ToGbk_.Convert(utf8.data(), utf8.size(), buf, len))
        out.append(buf, len);
      else
        out.push_back('?');
    }
    return out;
  }

 private:
  void DecodeWhole(std::string_view bytes, std::u16string& out) const {
    std::string buf(bytes.size() * 2 + 4, '\0');
    size_t len = buf.size();
    if (!utf8ToUtf16_.Convert(bytes.data(), bytes.size(), buf.data(), len)) return;
    for (size_t k = 0; k + 1 < len; k += 2)
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buf[k]) |
                                          (static_cast<unsigned char>(buf[k + 1]) << 8)));
  }

  mutable Iconv gbkToUtf16_{"UTF-16LE", "CP936"};
  mutable Iconv utf8ToGbk_{"CP936", "UTF-8"};
  mutable Iconv utf8ToUtf16_{"UTF-16LE", "UTF-8"};
};

}  // namespace

const CodePagePort& SystemCodePage() {
  static const IconvCodePage port;
  return port;
}

}  // namespace varlen
