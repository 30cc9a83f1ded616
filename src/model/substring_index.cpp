#include "model/substring_index.h"

#include <algorithm>
#include <cstring>

#include "text/byte_text.h"

namespace varlen {
namespace {

// The first up-to-eight bytes as a big-endian number, so numeric order is
// byte order and a prefix is a contiguous range.
std::uint64_t KeyOf(const char* p, size_t n) {
  std::uint64_t key = 0;
  for (size_t i = 0; i < 8; ++i)
    key = (key << 8) | (i < n ? static_cast<unsigned char>(p[i]) : 0u);
  return key;
}

}  // namespace

void SubstringIndex::Build(std::string_view text) {
  entries_.clear();
  indexedLength_ = text.size();
  size_t p = 0;
  while (p < text.size() && p + 8 <= text.size()) {
    entries_.emplace_back(KeyOf(text.data() + p, 8), static_cast<std::uint32_t>(p));
    p += (IsLeadByte(static_cast<unsigned char>(text[p])) && p + 1 < text.size()) ? 2 : 1;
  }
  scanFrom_ = p;
  std::sort(entries_.begin(), entries_.end());
}

bool SubstringIndex::Contains(std::string_view text, std::string_view name) const {
  const size_t k = std::min<size_t>(name.size(), 8);
  const std::uint64_t low = KeyOf(name.data(), k);
  const std::uint64_t high = k == 8 ? low : low | (~std::uint64_t{0} >> (8 * k));
  auto it = std::lower_bound(entries_.begin(), entries_.end(), std::make_pair(low, std::uint32_t{0}));
  for (; it != entries_.end() && it->first <= high; ++it) {
    if (name.size() <= 8) return true;
    const size_t pos = it->second;
    if (pos + name.size() <= text.size() &&
        std::memcmp(text.data() + pos + 8, name.data() + 8, name.size() - 8) == 0)
      return true;
  }
  return false;
}

}  // namespace varlen
