#include "platform/binary_file.h"
#include "platform/positioned_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/crc16.h"
#include "tests/support/temp_dir.h"

namespace kv {
namespace {

TEST(MemorySource, ReadsSeeksAndStopsAtTheEnd) {
  const std::vector<std::uint8_t> data{1, 2, 3, 4, 5};
  MemorySource src(data);
  std::array<std::byte, 3> buf{};
  EXPECT_EQ(src.Read(buf), 3);
  EXPECT_EQ(buf[2], std::byte{3});
  EXPECT_EQ(src.Read(buf), 2);
  EXPECT_EQ(src.Read(buf), 0);
  EXPECT_EQ(src.ReadByte(), -1);
  EXPECT_FALSE(src.Seek(6));
  EXPECT_FALSE(src.Seek(-1));
  ASSERT_TRUE(src.Seek(4));
  EXPECT_EQ(src.ReadByte(), 5);
  EXPECT_FALSE(src.ReadExact(buf));
}

TEST(BinaryFile, WritesThroughItsBufferAndReadsBack) {
  test::TempDir dir;
  const std::string name = dir / "f.bin";
  const auto bytes = test::RandomBytes(BinaryFile::kBufferSize * 2 + 17, 7);
  {
    auto out = BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite).ValueOr(nullptr);
    ASSERT_TRUE(out);
    for (std::size_t i = 0; i < bytes.size(); i += 1000) {
      ASSERT_TRUE(out->Write(bytes.data() + i, std::min<std::size_t>(1000, bytes.size() - i)));
    }
    EXPECT_EQ(out->Size(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_TRUE(out->Close());
  }
  EXPECT_EQ(test::ReadFileBytes(name), bytes);
  auto in = BinaryFile::Open(name, BinaryFile::Mode::kRead).ValueOr(nullptr);
  ASSERT_TRUE(in);
  ASSERT_TRUE(in->Seek(300000));
  EXPECT_EQ(in->Position(), 300000);
  EXPECT_EQ(in->ReadByte(), bytes[300000]);
  EXPECT_FALSE(BinaryFile::Open(dir / "missing", BinaryFile::Mode::kRead));
  EXPECT_FALSE(BinaryFile::Open(dir / "no/such/dir/f", BinaryFile::Mode::kCreateWrite));
}

TEST(BinaryFile, MixesLargeDirectTransfersWithSmallBufferedOnes) {
  test::TempDir dir;
  const std::string name = dir / "mixed.bin";
  const auto bytes = test::RandomBytes(1'000'000, 11);
  // Writes: a small header, blocks far above and just below the direct size,
  // single bytes between them, and a large tail.
  const std::size_t cuts[] = {3, 300'000, 1, 65'535, 65'536, 1, 262'144, 17};
  {
    auto out = BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite).ValueOr(nullptr);
    ASSERT_TRUE(out);
    std::size_t at = 0;
    for (const std::size_t n : cuts) {
      ASSERT_TRUE(out->Write(bytes.data() + at, n));
      at += n;
      EXPECT_EQ(out->Position(), static_cast<std::int64_t>(at));
    }
    ASSERT_TRUE(out->Write(bytes.data() + at, bytes.size() - at));
    EXPECT_EQ(out->Size(), 1'000'000);
    EXPECT_TRUE(out->Close());
    EXPECT_FALSE(out->Write(bytes.data(), 1));
  }
  EXPECT_EQ(test::ReadFileBytes(name), bytes);

  auto in = BinaryFile::Open(name, BinaryFile::Mode::kRead).ValueOr(nullptr);
  ASSERT_TRUE(in);
  std::vector<std::byte> got(bytes.size());
  std::size_t at = 0;
  for (const std::size_t n : cuts) {
    ASSERT_EQ(in->Read(std::span(got.data() + at, n)), static_cast<std::int64_t>(n));
    at += n;
    EXPECT_EQ(in->Position(), static_cast<std::int64_t>(at));
  }
  // The rest and beyond: short at the end, then nothing.
  EXPECT_EQ(in->Read(std::span(got.data() + at, got.size() - at)),
            static_cast<std::int64_t>(got.size() - at));
  EXPECT_EQ(in->ReadByte(), -1);
  ASSERT_EQ(0, std::memcmp(got.data(), bytes.data(), bytes.size()));

  // Seeking back a little (inside what was buffered) and far (outside it).
  ASSERT_TRUE(in->Seek(10));
  EXPECT_EQ(in->ReadByte(), static_cast<int>(bytes[10]));
  ASSERT_TRUE(in->Seek(300'002));
  EXPECT_EQ(in->ReadByte(), static_cast<int>(bytes[300'002]));
  ASSERT_TRUE(in->Seek(299'999));
  EXPECT_EQ(in->Position(), 299'999);
  std::array<std::byte, 4> four{};
  ASSERT_TRUE(in->ReadExact(four));
  EXPECT_EQ(0, std::memcmp(four.data(), bytes.data() + 299'999, 4));
  ASSERT_TRUE(in->Seek(999'998));
  EXPECT_EQ(in->Read(std::span(got.data(), 100'000)), 2);
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST(BinaryFile, SeekingBackAfterALargeReadGivesTheBytesThere) {
  test::TempDir dir;
  const std::string name = dir / "f.bin";
  const auto bytes = test::RandomBytes(600000, 21);
  test::WriteFileBytes(name, bytes);
  auto in = BinaryFile::Open(name, BinaryFile::Mode::kRead).ValueOr(nullptr);
  ASSERT_TRUE(in);
  std::vector<std::byte> small(10), large(BinaryFile::kBufferSize - 10), direct(100000);
  ASSERT_TRUE(in->ReadExact(small));
  ASSERT_TRUE(in->ReadExact(large));
  ASSERT_TRUE(in->ReadExact(direct));
  const std::int64_t back = in->Position() - 512;
  ASSERT_TRUE(in->Seek(back));
  EXPECT_EQ(in->ReadByte(), bytes[static_cast<std::size_t>(back)]);
}

// Anything but a regular file is refused without waiting for a pipe's other
// end, with an errno that says what stands there.
// Tells the size a file had when it was written, whatever it has now: the
// file shrinks between its size being taken and its bytes being looked at.
class StaleSizes final : public SystemCalls {
 public:
  explicit StaleSizes(std::int64_t size) : size_(size) {}
  int Stat(FileHandle file, FileFacts& facts) override {
    const int result = SystemCalls::Stat(file, facts);
    facts.size = size_;
    return result;
  }

 private:
  std::int64_t size_;
};

// Bytes looked at in place are the file's; bytes it no longer holds are not
// looked at, and a page it lost under the look (a SIGBUS) fails the look
// without ending the program. Either way the position stays where a read
// then tells how much is left.
TEST(BinaryFile, LooksAtItsBytesInPlaceUntilTheFileShrinks) {
  test::TempDir dir;
  const std::string path = dir / "piece";
  const std::vector<std::uint8_t> data = test::RandomBytes(3 << 20, 7);
  test::WriteFileBytes(path, data);
  auto file = BinaryFile::Open(path, BinaryFile::Mode::kRead).ValueOr(nullptr);
  ASSERT_TRUE(file);
  std::vector<std::uint8_t> seen;
  const auto look = [&](const std::byte* at, std::size_t n) {
    const auto* bytesAt = reinterpret_cast<const std::uint8_t*>(at);
    seen.insert(seen.end(), bytesAt, bytesAt + n);
  };
  ASSERT_TRUE(file->Seek(100));
  ASSERT_TRUE(file->LookAhead(5000, look));
  EXPECT_EQ(seen, std::vector<std::uint8_t>(data.begin() + 100, data.begin() + 5100));
  EXPECT_EQ(file->Position(), 5100);

  ASSERT_EQ(::truncate(path.c_str(), (1 << 20) + 100), 0);
  EXPECT_FALSE(file->LookAhead(2 << 20, look));
  EXPECT_EQ(file->Position(), 5100);
  {
    StaleSizes stale(3 << 20);
    const ScopedSystemCalls inPlace(stale);
    // The look is left at the fault: it must hold nothing it would have to free.
    Crc16 folded;
    EXPECT_FALSE(file->LookAhead(
        2 << 20, [&](const std::byte* at, std::size_t n) { folded.Update(at, n, true); }));
  }
  EXPECT_EQ(file->Position(), 5100);
  std::vector<std::byte> rest(2 << 20);
  EXPECT_EQ(file->Read(rest), (1 << 20) + 100 - 5100);
}

TEST(BinaryFile, OpensOnlyARegularFile) {
  test::TempDir dir;
  const std::string pipe = dir / "x.d02";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  struct Case {
    std::string path;
    BinaryFile::Mode mode;
    int error;
  };
  const Case cases[] = {
      {pipe, BinaryFile::Mode::kRead, ESPIPE},
      {pipe, BinaryFile::Mode::kCreateWrite, EEXIST},
      {dir.Path().string(), BinaryFile::Mode::kRead, EISDIR},
      {"/dev/null", BinaryFile::Mode::kRead, ENOTSUP},
      {"/dev/null", BinaryFile::Mode::kCreateWrite, EEXIST},
  };
  for (const Case& c : cases) {
    const auto opened = BinaryFile::Open(c.path, c.mode);
    ASSERT_FALSE(opened) << c.path;
    EXPECT_EQ(opened.Error().error.value(), c.error) << c.path;
    EXPECT_EQ(opened.Error().path, c.path);
    if (c.mode == BinaryFile::Mode::kRead) {  // the recovery's reader says the same
      const auto positioned = PositionedFile::OpenForReading(c.path);
      ASSERT_FALSE(positioned) << c.path;
      EXPECT_EQ(positioned.Error().error.value(), c.error) << c.path;
    }
  }
}

}  // namespace
}  // namespace kv
