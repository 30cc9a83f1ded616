#pragma once
// The sellers already contacted or exported: GBK names concatenated with no
// separator, kept in C:\wangwang.txt between runs. Every append reaches the
// file at once, so a crash or a kill loses no contacted seller.
#include <functional>
#include <mutex>
#include <vector>

#include "model/file_port.h"
#include "model/substring_index.h"
#include "text/byte_text.h"

namespace varlen {

inline constexpr std::string_view ContactLogFile = "C:\\wangwang.txt";

// Lookups in a big log go through an index; answers are the same as a plain
// scan's. Logs shorter than `indexFrom` bytes are simply scanned.
struct ContactLogLookup {
  bool useIndex = true;
  size_t indexFrom = 64 * 1024;
};

class ContactLog {
 public:
  explicit ContactLog(FilePort& files, std::string_view path = ContactLogFile,
                      ContactLogLookup lookup = {});

  // Called with false when the file could not be written, with true when a
  // later write brought it back in step.
  void SetWriteListener(std::function<void(bool written)> listener);

  // Replaces the text by the file's bytes up to the first zero byte. A file
  // that was cut there is rewritten, so disk and memory agree.
  void LoadContactLog();
  // Adds the name at the end, unchanged; an empty name changes nothing.
  void AppendToContactLog(std::string_view name);
  // Several appends reaching the file in one write.
  void AppendAllToContactLog(const std::vector<Text>& names);
  // True when the name occurs in the text at a character boundary; an empty
  // name is known as soon as the log is not empty.
  bool IsSellerKnown(std::string_view name) const;
  // Writes the whole text to the file.
  void SaveContactLog();

  Text CurrentText() const;
  const Text& Path() const { return path_; }

 private:
  void Report(bool written);
  void AppendLocked(std::string_view bytes);

  FilePort& files_;
  const Text path_;
  mutable std::mutex mutex_;
  Text text_;
  bool fileInStep_ = true;  // false after a failed write: the next one rewrites all
  const ContactLogLookup lookup_;
  mutable SubstringIndex index_;  // over text_[0, index_.IndexedLength())
  std::function<void(bool)> listener_;
};

}  // namespace varlen
