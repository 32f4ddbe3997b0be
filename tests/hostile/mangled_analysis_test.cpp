// The source analysis over random and damaged first pieces: it always ends,
// either with a summary and a usable source or with one of its refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/hostile/mangle.h"
#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

constexpr int kFiles = 300;

// 1234567 -> "1,234,567".
std::string Grouped(std::int64_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  return digits;
}

bool StartsWith(const std::string& s, const std::string& head) {
  return s.rfind(head, 0) == 0;
}
bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsRefusal(const std::string& text) {
  static const std::vector<std::string> refusals = {
      "元のファイルは開けません\r\n存在しないか、他のソフトが使用しています。",
      "元のファイルは存在しないか、他のソフトが使用しています。",
      "本バージョンでは未対応の分割ファイルです。",
      "本バージョンでは圧縮されたファイルは復元できません。",
      "本バージョンでは暗号化されたファイルは復元できません。",
      "分割ファイルが壊れています",
      "分割ファイルでないか、ファイルが壊れています。",
      "分割する必要はありません。",
      "Type2およびType1では、2GB以上のファイルを\r\n分割することはできません。",
  };
  if (std::find(refusals.begin(), refusals.end(), text) != refusals.end()) {
    return true;
  }
  // "このファイルの復元には、ver.%d.%02d以降が必要です。"
  const std::string head = "このファイルの復元には、ver.";
  const std::string tail = "以降が必要です。";
  if (!StartsWith(text, head) || !EndsWith(text, tail)) {
    return false;
  }
  const std::string version = text.substr(head.size(), text.size() - head.size() - tail.size());
  const auto dot = version.find('.');
  return dot != std::string::npos && dot > 0 && version.size() - dot - 1 >= 2 &&
         version.find_first_not_of("-0123456789.") == std::string::npos;
}

// A first piece of a real series of `type`, or random bytes, then damaged.
Bytes MakeCandidate(const std::string& folder, std::mt19937& random, std::uint32_t seed) {
  const int kind = static_cast<int>(random() % 6);
  Bytes bytes;
  if (kind == 0) {
    bytes = RandomBytes(random() % 120000, seed);
  } else {
    SeriesLayout layout;
    layout.type = 1 + static_cast<int>(random() % 3);
    layout.divideSize = 2048 + static_cast<std::int64_t>(random() % 20000);
    layout.storedName = std::string(1 + random() % 140, 'n') + ".bin";
    if (layout.type == 3 && random() % 3 == 0) {
      layout.stub = RandomBytes(random() % 3000, seed + 1);
    }
    if (layout.type == 1) {
      layout.storedName = "n.bin";  // a Type1 header holds a short name only
    }
    layout.divideSize += static_cast<std::int64_t>(layout.stub.size());
    const Bytes data = RandomBytes(30000 + random() % 30000, seed + 2);
    const WrittenSeries series = WriteTypedSeries(folder + "/s.d01", data, layout);
    bytes = ReadFileBytes(series.pieces[0]);
    const std::size_t headerFrom = layout.stub.size();
    const std::size_t headerEnd = headerFrom + static_cast<std::size_t>(series.headerLength);
    switch (kind) {
      case 1:  // bytes of the header changed
        for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
          bytes[headerFrom + random() % (headerEnd - headerFrom)] ^=
              static_cast<std::uint8_t>(1 + random() % 255);
        }
        break;
      case 2:  // cut inside or just behind the header
        bytes.resize(headerFrom + random() % (headerEnd - headerFrom + 8));
        break;
      case 3:  // a header byte set to a value a field may not hold
        bytes[headerFrom + random() % (headerEnd - headerFrom)] =
            static_cast<std::uint8_t>(std::vector<int>{0, 0x7F, 0x80, 0xFF}[random() % 4]);
        break;
      case 4:  // another type byte in front of the header
        bytes[headerFrom] = static_cast<std::uint8_t>(random() % 12);
        break;
      default:  // the header followed by nothing but a few random bytes
        bytes.resize(headerEnd);
        {
          const Bytes tail = RandomBytes(random() % 40, seed + 3);
          bytes.insert(bytes.end(), tail.begin(), tail.end());
        }
        break;
    }
  }
  return bytes;
}

TEST(MangledFirstPiece, AnalysisEndsWithASummaryOrOneOfItsRefusals) {
  TempDir dir;
  int usable = 0;
  int refused = 0;
  for (int v = 0; v < kFiles; ++v) {
    const auto seed = static_cast<std::uint32_t>(9000 + v);
    std::mt19937 random(seed);
    const std::string folder = dir / ("v" + std::to_string(v));
    std::filesystem::create_directories(folder);
    const std::string extension =
        std::vector<std::string>{"d01", "exe", "001"}[static_cast<std::size_t>(v % 3)];
    const std::string path = folder + "/x." + extension;
    Bytes bytes = MakeCandidate(folder, random, seed);
    // Now and then a program large enough to be divided.
    if (extension == "exe" && random() % 8 == 0) {
      bytes.resize(1457664 + 1 + random() % 100000);
    }
    WriteFileBytes(path, bytes);
    const auto fileSize = static_cast<std::int64_t>(bytes.size());
    SCOPED_TRACE("variant " + std::to_string(v) + " " + path + " " + std::to_string(fileSize));

    AnalysisBench bench(seed);
    bench.Analyse(path);
    const JobState& job = bench.job;
    const std::string info = bench.planner.Texts().information;
    EXPECT_TRUE(bench.prompter.Messages().empty()) << bench.prompter.Transcript();

    if (job.SourceUsable == 0) {
      ++refused;
      EXPECT_TRUE(IsRefusal(info)) << info;
      EXPECT_NE(extension, "001") << info;
      continue;
    }
    ++usable;
    ASSERT_EQ(job.SourceUsable, 1);
    if (extension == "001") {
      EXPECT_EQ(info, "分割元ファイル： x.???  ? Bytes\r\nType0");
      continue;
    }
    if (job.IsDivide == 1) {
      // Only a program without a self-restoring header is divided.
      EXPECT_EQ(extension, "exe");
      EXPECT_TRUE(StartsWith(info, Grouped(fileSize) + "Bytes 1.44MBフロッピーが ")) << info;
      EXPECT_TRUE(EndsWith(info, "枚必要です")) << info;
      continue;
    }
    ASSERT_GE(job.SourceSplitType, 1) << info;
    ASSERT_LE(job.SourceSplitType, 3) << info;
    EXPECT_EQ(info, "分割元ファイル： " + job.StoredName + " " + Grouped(job.SourceSize) +
                        "Bytes\r\nType" + std::to_string(job.SourceSplitType));
    // What the restore is told to skip lies inside the file the analysis read.
    EXPECT_GE(job.SourceSize, 0);
    EXPECT_GT(job.HeaderLength, 0);
    EXPECT_GE(job.MarkerOffset, 0);
    EXPECT_LE(static_cast<std::int64_t>(job.MarkerOffset) + job.HeaderLength, fileSize);
  }
  // Both ends are reached, so neither branch above holds vacuously.
  EXPECT_GT(usable, kFiles / 4);
  EXPECT_GT(refused, kFiles / 10);
  std::printf("usable %d, refused %d\n", usable, refused);
}

}  // namespace
}  // namespace kv::test
