#include "core/binary_file.h"

#include <gtest/gtest.h>

#include <array>

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
    auto out = BinaryFile::Open(name, BinaryFile::Mode::kCreateWrite);
    ASSERT_TRUE(out);
    for (std::size_t i = 0; i < bytes.size(); i += 1000) {
      ASSERT_TRUE(out->Write(bytes.data() + i, std::min<std::size_t>(1000, bytes.size() - i)));
    }
    EXPECT_EQ(out->Size(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_TRUE(out->Close());
  }
  EXPECT_EQ(test::ReadFileBytes(name), bytes);
  auto in = BinaryFile::Open(name, BinaryFile::Mode::kRead);
  ASSERT_TRUE(in);
  ASSERT_TRUE(in->Seek(300000));
  EXPECT_EQ(in->Position(), 300000);
  EXPECT_EQ(in->ReadByte(), bytes[300000]);
  EXPECT_FALSE(BinaryFile::Open(dir / "missing", BinaryFile::Mode::kRead));
  EXPECT_FALSE(BinaryFile::Open(dir / "no/such/dir/f", BinaryFile::Mode::kCreateWrite));
}

}  // namespace
}  // namespace kv
