#pragma once
// Whole-file access; paths are GBK texts (Windows paths such as C:\wangwang.txt).
#include <string_view>

#include "text/byte_text.h"

namespace varlen {

class FilePort {
 public:
  virtual ~FilePort() = default;
  // False when the file is missing or cannot be read.
  virtual bool ReadWholeFile(std::string_view path, Bytes& out) = 0;
  // Creates or empties the file, writes the bytes, flushes; false on failure.
  virtual bool WriteWholeFile(std::string_view path, std::string_view bytes) = 0;
  // Appends the bytes at the end (creating the file) and flushes them to disk.
  virtual bool AppendToFile(std::string_view path, std::string_view bytes) = 0;
  // Writes a temporary file beside the target and renames it over the target,
  // so the target is either the old file or the whole new one.
  virtual bool ReplaceWholeFile(std::string_view path, std::string_view bytes) = 0;
};

}  // namespace varlen
