#pragma once
// RAII owners of Windows handles.
#include <windows.h>

#include <string>
#include <string_view>

#include "net/code_page.h"

namespace varlen {

class FileHandle {
 public:
  explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  bool Close() {
    if (!valid()) return true;
    const bool ok = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// A GBK text as a wide string for the Windows API.
inline std::wstring Wide(std::string_view gbk) {
  const std::u16string w = SystemCodePage().ToWide(kCodePageGbk, gbk);
  return std::wstring(w.begin(), w.end());
}

// A wide string from the Windows API as GBK text.
inline std::string Gbk(std::wstring_view wide) {
  return SystemCodePage().FromWide(kCodePageGbk, std::u16string(wide.begin(), wide.end()));
}

}  // namespace varlen
