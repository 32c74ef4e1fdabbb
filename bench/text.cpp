// TextBetween against memmem on a large GBK text, and SortTextLines against
// std::stable_sort with the same collation. Prints one Markdown section.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/codepage/CodePage.h"
#include "platform/codepage/Collation.h"
#include "text/SortTextLines.h"
#include "text/TextBetween.h"

#include "Timing.h"

namespace {

TextArray LogLines(int count) {
  std::mt19937 random(11);
  const TextValue words = GbkFromUtf8("  快件已到达派送网点，派送员正在为您派件");
  TextArray lines;
  for (int i = 0; i < count; ++i) {
    char stamp[64];
    auto next = [&](unsigned range) { return static_cast<unsigned>(random() % range); };
    std::snprintf(stamp, sizeof stamp, "20%02u-%02u-%02u %02u:%02u:%02u", 10 + next(10),
                  1 + next(12), 1 + next(28), next(24), next(60), static_cast<unsigned>(i % 60));
    lines.Append(stamp + words + std::to_string(i));
  }
  return lines;
}

}  // namespace

int main() {
  std::printf("## Text core\n\n");
  std::printf(
      "TextBetween on a 64 MB GBK text whose delimiters sit near its end, against memmem\n");
  std::printf(
      "finding the same two delimiters; SortTextLines (descending) against std::stable_sort\n");
  std::printf(
      "of the same lines, once comparing with lstrcmpA and once over collation keys made\n");
  std::printf("inside the timing. Times in ms, median of runs.\n\n");
  std::printf("| case | Vantrel | peer | peer time | ratio |\n|---|---|---|---|---|\n");

  const TextValue chunk = GbkFromUtf8("运单号码派送中，请保持电话畅通。abc=;") + "\xB0\x3B";
  TextValue big;
  big.reserve(64u << 20);
  while (big.size() < (64u << 20)) big += chunk;
  const TextValue left = "\"expTextName\":\"", right = "\",";
  big += left + GbkFromUtf8("示例快递") + right + "tail";
  TextValue found;
  double ours = MedianMs(5, [&] { found = TextBetween(big, left, right); });
  std::size_t peerLength = 0;
  double peer = MedianMs(5, [&] {
    const void* l = memmem(big.data(), big.size(), left.data(), left.size());
    const char* after = static_cast<const char*>(l) + left.size();
    const void* r = memmem(after, big.data() + big.size() - after, right.data(), right.size());
    peerLength = static_cast<const char*>(r) - after;
  });
  if (found.size() != peerLength)
    std::printf("MISMATCH\n");
  std::printf("| TextBetween, 64 MB | %.1f | memmem | %.1f | %.2fx |\n", ours, peer, ours / peer);

  for (int count : {1000, 10000, 100000}) {
    const TextArray lines = LogLines(count);
    const int runs = count >= 100000 ? 3 : 5;
    double sortMs = MedianMs(runs, [&] {
      TextArray copy = lines;
      SortTextLines(copy, true);
    });
    double compareMs = MedianMs(runs, [&] {
      std::vector<TextValue> copy = lines.Items();
      std::stable_sort(copy.begin(), copy.end(), [](const TextValue& a, const TextValue& b) {
        return lstrcmpA(a.c_str(), b.c_str()) > 0;
      });
    });
    double keyMs = MedianMs(runs, [&] {
      std::vector<std::pair<std::string, TextValue>> keyed;
      keyed.reserve(lines.Items().size());
      for (const TextValue& line : lines.Items()) keyed.emplace_back(CollationKey(line), line);
      std::stable_sort(keyed.begin(), keyed.end(),
                       [](const auto& a, const auto& b) { return a.first > b.first; });
    });
    std::printf("| SortTextLines, %d lines | %.1f | stable_sort, lstrcmpA | %.1f | %.2fx |\n",
                count, sortMs, compareMs, sortMs / compareMs);
    std::printf("| SortTextLines, %d lines | %.1f | stable_sort, keys | %.1f | %.2fx |\n", count,
                sortMs, keyMs, sortMs / keyMs);
  }
  return 0;
}
