#include "model/contact_log.h"

namespace varlen {

ContactLog::ContactLog(FilePort& files, std::string_view path, ContactLogLookup lookup)
    : files_(files), path_(path), lookup_(lookup) {}

void ContactLog::SetWriteListener(std::function<void(bool)> listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  listener_ = std::move(listener);
}

void ContactLog::Report(bool written) {
  if (listener_) listener_(written);
}

void ContactLog::LoadContactLog() {
  std::lock_guard<std::mutex> lock(mutex_);
  Bytes bytes;
  if (!files_.ReadWholeFile(path_, bytes)) bytes.clear();
  text_ = BytesToText(bytes);
  index_ = SubstringIndex();
  fileInStep_ = true;
  if (text_.size() != bytes.size()) {
    fileInStep_ = files_.WriteWholeFile(path_, text_);
    Report(fileInStep_);
  }
}

void ContactLog::AppendToContactLog(std::string_view name) {
  if (name.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  AppendLocked(name);
}

void ContactLog::AppendAllToContactLog(const std::vector<Text>& names) {
  Text joined;
  for (const Text& name : names) joined += name;
  if (joined.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  AppendLocked(joined);
}

void ContactLog::AppendLocked(std::string_view bytes) {
  text_.append(bytes);
  const bool wasInStep = fileInStep_;
  fileInStep_ = wasInStep ? files_.AppendToFile(path_, bytes) : files_.WriteWholeFile(path_, text_);
  if (!fileInStep_ || !wasInStep) Report(fileInStep_);
}

bool ContactLog::IsSellerKnown(std::string_view name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (name.empty() || !lookup_.useIndex || text_.size() < lookup_.indexFrom)
    return FindText(text_, name) > 0;
  // Appends only add at the end, so the index stays valid for the text it
  // was built over; it is rebuilt once the unindexed tail grows large.
  const size_t tail = text_.size() - index_.IndexedLength();
  if (index_.IndexedLength() == 0 || tail > std::max<size_t>(64 * 1024, index_.IndexedLength() / 4))
    index_.Build(text_);
  if (index_.Contains(text_, name)) return true;
  // Positions the index does not hold: the seam and the appended tail.
  return FindText(text_, name, static_cast<int>(index_.ScanFrom()) + 1) > 0;
}

void ContactLog::SaveContactLog() {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool wasInStep = fileInStep_;
  fileInStep_ = files_.WriteWholeFile(path_, text_);
  if (!fileInStep_ || !wasInStep) Report(fileInStep_);
}

Text ContactLog::CurrentText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}

}  // namespace varlen
