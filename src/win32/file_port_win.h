#pragma once
// Files on Windows: GBK paths converted with code page 936, wide API.
#include "model/file_port.h"

namespace varlen {

class WindowsFilePort final : public FilePort {
 public:
  bool ReadWholeFile(std::string_view path, Bytes& out) override;
  bool WriteWholeFile(std::string_view path, std::string_view bytes) override;
  bool AppendToFile(std::string_view path, std::string_view bytes) override;
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override;
};

}  // namespace varlen
