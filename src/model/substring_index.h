#pragma once
// An index of the character-boundary positions of a text, keyed by the eight
// bytes that start there, for "does this name occur at a boundary" queries in
// about log(n) instead of n. Positions within eight bytes of the indexed
// length are left to a direct scan (see ContactLog), as is everything
// appended after the build.
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace varlen {

class SubstringIndex {
 public:
  // Indexes every boundary position p of `text` with p + 8 <= text.size().
  void Build(std::string_view text);
  // The text length the index was built over.
  size_t IndexedLength() const { return indexedLength_; }
  // The first boundary position the index does not hold.
  size_t ScanFrom() const { return scanFrom_; }
  // Whether `name` (not empty) starts at an indexed position of `text`, a
  // text that begins with the indexed one.
  bool Contains(std::string_view text, std::string_view name) const;

 private:
  std::vector<std::pair<std::uint64_t, std::uint32_t>> entries_;  // key, position; sorted
  size_t indexedLength_ = 0;
  size_t scanFrom_ = 0;
};

}  // namespace varlen
