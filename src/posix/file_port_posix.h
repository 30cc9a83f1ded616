#pragma once
// Files for native builds: a Windows path "C:\dir\name" is mapped to
// <root>/drive_c/dir/name, the way a Wine prefix lays out drive C.
#include <string>

#include "model/file_port.h"

namespace varlen {

class PosixFilePort final : public FilePort {
 public:
  explicit PosixFilePort(std::string root) : root_(std::move(root)) {}
  bool ReadWholeFile(std::string_view path, Bytes& out) override;
  bool WriteWholeFile(std::string_view path, std::string_view bytes) override;
  bool AppendToFile(std::string_view path, std::string_view bytes) override;
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override;
  std::string HostPath(std::string_view windowsPath) const;

 private:
  std::string root_;
};

}  // namespace varlen
