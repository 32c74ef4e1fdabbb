// ConvertCharset UTF-8 -> GBK on 32 MB of Chinese text against
// `iconv -f UTF-8 -t GBK` on the same bytes. Prints one Markdown section.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "charset/ConvertCharset.h"

#include "Timing.h"

namespace {

ByteSet ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return ByteSet(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main() {
  const std::string line =
      "{\"time\":\"2024-03-02 18:30:00\",\"context\":\"【深圳市】快件已到达深圳转运中心，"
      "正在发往下一站，派送员：张三，电话：13800000000\"},\n";
  ByteSet utf8;
  utf8.reserve((32u << 20) + line.size());
  while (utf8.size() < (32u << 20)) utf8.insert(utf8.end(), line.begin(), line.end());

  const auto dir = std::filesystem::temp_directory_path();
  const auto input = dir / ("vantrel-charset-" + std::to_string(getpid()) + ".txt");
  const auto output = dir / ("vantrel-charset-" + std::to_string(getpid()) + ".gbk");
  std::ofstream(input, std::ios::binary)
      .write(reinterpret_cast<const char*>(utf8.data()), static_cast<std::streamsize>(utf8.size()));
  const std::string command =
      "iconv -f UTF-8 -t GBK '" + input.string() + "' > '" + output.string() + "'";

  ByteSet ours;
  double ourMs = MedianMs(5, [&] { ours = ConvertCharset(utf8); });
  int status = 0;
  double peerMs = MedianMs(5, [&] { status = std::system(command.c_str()); });
  const ByteSet peer = ReadAll(output);
  std::filesystem::remove(input);
  std::filesystem::remove(output);

  std::printf("## Charset conversion\n\n");
  std::printf(
      "ConvertCharset from UTF-8 to GBK (both stream halves and the GBK text between them)\n"
      "on %.0f MB of Chinese trace text, against the command `iconv -f UTF-8 -t GBK` reading\n"
      "the same bytes from a file and writing to a file. Times in ms, median of 5 runs.\n\n",
      utf8.size() / 1048576.0);
  if (status != 0 || ours != peer)
    std::printf("MISMATCH: outputs differ or iconv failed\n\n");
  std::printf("| case | Vantrel | iconv | ratio |\n|---|---|---|---|\n");
  std::printf("| UTF-8 -> GBK, %.0f MB | %.0f | %.0f | %.2fx |\n", utf8.size() / 1048576.0, ourMs,
              peerMs, ourMs / peerMs);
  return 0;
}
