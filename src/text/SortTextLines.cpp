#include "text/SortTextLines.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "platform/codepage/Collation.h"
#include "text/TextOps.h"

namespace {

// A sequence of line numbers split into blocks, so that inserting at a
// position and reading the element at a position both stay cheap for large
// counts while keeping exactly the placements of a flat array.
class BlockedSequence {
 public:
  int Size() const { return size_; }

  std::uint32_t At(int position) const {  // 1-based
    auto [block, offset] = Locate(position - 1);
    return blocks_[block][offset];
  }

  void Insert(int position, std::uint32_t value) {  // 1-based, up to Size() + 1
    int index = position - 1;
    if (blocks_.empty()) {
      blocks_.emplace_back();
      starts_.push_back(0);
    }
    std::size_t block;
    std::size_t offset;
    if (index == size_) {
      block = blocks_.size() - 1;
      offset = blocks_[block].size();
    } else {
      std::tie(block, offset) = Locate(index);
    }
    blocks_[block].insert(blocks_[block].begin() + static_cast<std::ptrdiff_t>(offset), value);
    ++size_;
    for (std::size_t b = block + 1; b < starts_.size(); ++b) ++starts_[b];
    if (blocks_[block].size() >= 2 * kBlock)
      Split(block);
  }

  template <typename F>
  void ForEach(F&& f) const {
    for (const auto& block : blocks_) {
      for (std::uint32_t v : block) f(v);
    }
  }

 private:
  static constexpr std::size_t kBlock = 512;

  std::pair<std::size_t, std::size_t> Locate(int index) const {
    auto it = std::upper_bound(starts_.begin(), starts_.end(), index);
    std::size_t block = static_cast<std::size_t>(it - starts_.begin()) - 1;
    return {block, static_cast<std::size_t>(index - starts_[block])};
  }

  void Split(std::size_t block) {
    std::vector<std::uint32_t> tail(blocks_[block].begin() + kBlock, blocks_[block].end());
    blocks_[block].resize(kBlock);
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(block) + 1, std::move(tail));
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(block) + 1,
                   starts_[block] + static_cast<int>(kBlock));
  }

  std::vector<std::vector<std::uint32_t>> blocks_;
  std::vector<int> starts_;
  int size_ = 0;
};

}  // namespace

void SortTextLines(TextArray& lines, bool descending, bool caseSensitive) {
  std::vector<TextValue> work = std::move(lines.Items());
  lines.Clear();
  // Collation keys compare exactly as the collation compares the texts.
  std::vector<std::string> keys;
  keys.reserve(work.size());
  for (const TextValue& line : work) {
    keys.push_back(CollationKey(caseSensitive ? line : ToUpperAscii(line)));
  }
  auto order = [&](std::uint32_t a, std::uint32_t b) { return keys[a].compare(keys[b]); };

  BlockedSequence sorted;
  for (std::uint32_t x = 0; x < work.size(); ++x) {
    const int m = sorted.Size();
    if (m == 0) {
      sorted.Insert(1, x);
      continue;
    }
    if (order(x, sorted.At(m)) >= 0) {
      sorted.Insert(m + 1, x);
      continue;
    }
    if (order(x, sorted.At(1)) <= 0) {
      sorted.Insert(1, x);
      continue;
    }
    int lo = 1, hi = m, mid = (lo + hi) / 2;
    while (hi - lo > 1) {
      std::uint32_t at = sorted.At(mid);
      if (work[x] == work[at])
        break;
      if (order(x, at) < 0) {
        hi = mid;
      } else {
        lo = mid;
      }
      mid = (lo + hi) / 2;
    }
    sorted.Insert(order(x, sorted.At(mid)) > 0 ? mid + 1 : mid, x);
  }

  std::vector<TextValue>& out = lines.Items();
  out.reserve(work.size());
  sorted.ForEach([&](std::uint32_t v) { out.push_back(std::move(work[v])); });
  if (descending)
    ReverseTextArray(lines);
}

void ReverseTextArray(TextArray& lines) {
  const int n = lines.Size();
  for (int k = 1; k <= n / 2; ++k) std::swap(lines.At(k), lines.At(n + 1 - k));
}
