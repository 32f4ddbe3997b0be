// The typed divide: the worked Type1/Type2/Type3 layouts, self-restoring
// first pieces, exact-full pieces, cancel, removable media, the refusal to
// write over the source and the first piece's full capacity check.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/crc16.h"
#include "core/packed_time.h"
#include "core/stub_data_file.h"
#include "core/typed_header_reader.h"
#include "divide/typed_divide.h"
#include "platform/file_helpers.h"
#include "tests/divide/divide_fixture.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Slice(const Bytes& b, std::size_t from, std::size_t to) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
               b.begin() + static_cast<std::ptrdiff_t>(to));
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

// A stub data file with one kind of `stubSize` bytes.
Bytes StubData(int major, const std::string& kind, std::uint32_t stubSize) {
  Bytes b;
  b.reserve(kind.size() + 8 + stubSize);
  b.push_back(static_cast<std::uint8_t>(major));
  b.push_back(0);
  for (const char c : kind) {
    b.push_back(static_cast<std::uint8_t>(c));
  }
  b.push_back(0);
  for (int i = 0; i < 4; ++i) {
    b.push_back(static_cast<std::uint8_t>(stubSize >> (8 * i)));
  }
  b.push_back(0);
  for (const std::uint8_t x : RandomBytes(stubSize, 99)) {
    b.push_back(x);
  }
  return b;
}

class TypedDivideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data = RandomBytes(1000000, 11);
    WriteFileBytes(dir / "data.bin", data);
  }
  void Divide(int type, std::int32_t size, const std::string& dest, int headerLength = 0) {
    settings.DivideType = type;
    PrepareDivideJob(job, dir / "data.bin", dest, size, headerLength);
    Prepared();
  }
  void Prepared() { RunTypedDivide(settings, job, prompter, volumes, stubs); }
  std::vector<std::string> Pieces(const std::string& first) {
    return ExistingPieces(first, [&](int i) {
      char ext[8];
      std::snprintf(ext, sizeof ext, "d%02d", i);
      return first.substr(0, first.rfind('.') + 1) + ext;
    });
  }
  std::vector<std::size_t> Sizes(const std::vector<std::string>& pieces) {
    std::vector<std::size_t> s;
    for (const auto& p : pieces) {
      s.push_back(ReadFileBytes(p).size());
    }
    return s;
  }

  TempDir dir;
  Bytes data;
  DivideSettings settings;
  JobState job;
  HookPrompter prompter;
  SystemVolumes volumes;
  StubDataFile stubs;
};

TEST_F(TypedDivideTest, Type3WorkedLayout) {
  Divide(3, 300000, dir / "data.d01", 36);
  ASSERT_EQ(job.JobMessage(), "分割が終了しました");
  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(job.ProgressPermille.load(), 1000);
  EXPECT_EQ(job.StatusText(), "976kBytes");
  EXPECT_EQ(job.JobDest(), dir / "data.d04");
  const auto pieces = Pieces(dir / "data.d01");
  ASSERT_EQ(Sizes(pieces), (std::vector<std::size_t>{300000, 300000, 300000, 100087}));

  const Bytes first = ReadFileBytes(pieces[0]);
  const Bytes fixedPart{0x03, '-',  'Q',  'X',  '3',  '-',  0x00, 0x0F,
                        0x42, 0x40, 0x00, 0x00, 0x04, 0x93, 0xDD};
  EXPECT_EQ(Slice(first, 0, 15), fixedPart);
  EXPECT_EQ(Slice(first, 17, 27), Text(std::string("\x01\x08") + "data.bin"));
  EXPECT_EQ(Slice(first, 27, 29), (Bytes{0x03, 0x06}));
  EXPECT_EQ(first[35], 0x00);
  const RecordedTime recorded = PackTime(*ModifiedTimeUtc(dir / "data.bin"));
  EXPECT_EQ(first[29] | first[30] << 8, recorded.year);
  EXPECT_EQ(
      static_cast<std::uint32_t>(first[31] | first[32] << 8 | first[33] << 16 | first[34] << 24),
      recorded.packedTime);

  MemorySource header(first);
  header.Seek(6);
  const Type3FirstHeader parsed = ParseType3FirstHeader(header);
  ASSERT_EQ(parsed.status, HeaderStatus::kOk);
  EXPECT_EQ(parsed.sourceSize, 1000000);
  EXPECT_EQ(parsed.pieceLength, 299997);
  EXPECT_EQ(parsed.headerLength, 36);
  EXPECT_EQ(parsed.storedName, "data.bin");

  const Bytes second = ReadFileBytes(pieces[1]);
  EXPECT_EQ(Slice(second, 0, 9), (Bytes{'-', 'Q', 'X', '3', '-', 0x00, 0x04, 0x93, 0xDD}));
  EXPECT_EQ(Slice(second, 9, 11), Slice(first, 15, 17));  // the same series identity
  EXPECT_EQ(Slice(second, 11, 13), (Bytes{0x02, 0x00}));
  const Bytes last = ReadFileBytes(pieces[3]);
  EXPECT_EQ(Slice(last, 5, 9), (Bytes{0x00, 0x01, 0x86, 0xF4}));  // PieceLength 100,084
  EXPECT_EQ(last[11], 0x04);

  // Bodies of 299,961, 299,984, 299,984 and 100,071 bytes, each followed by its CRC and the end
  // tag.
  const std::size_t headers[] = {36, 13, 13, 13};
  Bytes bodies;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const Bytes piece = ReadFileBytes(pieces[i]);
    const Bytes body = Slice(piece, headers[i], piece.size() - 3);
    const std::uint16_t crc = Crc16Of(body.data(), body.size());
    EXPECT_EQ(piece[piece.size() - 3], crc & 0xFF);
    EXPECT_EQ(piece[piece.size() - 2], crc >> 8);
    EXPECT_EQ(piece.back(), 0x00);
    bodies.insert(bodies.end(), body.begin(), body.end());
  }
  EXPECT_EQ(bodies, data);
}

TEST_F(TypedDivideTest, Type2WorkedLayout) {
  Divide(2, 300000, dir / "data.d01", 17);
  ASSERT_EQ(job.JobMessage(), "分割が終了しました");
  const auto pieces = Pieces(dir / "data.d01");
  ASSERT_EQ(Sizes(pieces), (std::vector<std::size_t>{300000, 300000, 300000, 100020}));
  const Bytes first = ReadFileBytes(pieces[0]);
  EXPECT_EQ(first[0], 0x02);
  EXPECT_EQ(Slice(first, 2, 17), Text("F4240 data.bin\x01"));
  Bytes bodies = Slice(first, 17, first.size());
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const Bytes piece = ReadFileBytes(pieces[i]);
    EXPECT_EQ(piece[0], first[1]);
    bodies.insert(bodies.end(), piece.begin() + 1, piece.end());
  }
  EXPECT_EQ(bodies, data);
}

TEST_F(TypedDivideTest, Type1WorkedLayout) {
  Divide(1, 300000, dir / "data.d01", 24);
  ASSERT_EQ(job.JobMessage(), "分割が終了しました");
  const auto pieces = Pieces(dir / "data.d01");
  ASSERT_EQ(Sizes(pieces), (std::vector<std::size_t>{300000, 300000, 300000, 100024}));
  const Bytes first = ReadFileBytes(pieces[0]);
  EXPECT_EQ(Slice(first, 0, 24), Text("data.bin        1000000 "));
  Bytes all = Concatenate(pieces);
  EXPECT_EQ(Slice(all, 24, all.size()), data);
}

TEST_F(TypedDivideTest, SelfRestoringType3StartsWithTheStub) {
  const Bytes dat = StubData(2, "WIN32", 30000);
  WriteFileBytes(dir / "Kolvanto.dat", dat);
  ASSERT_TRUE(stubs.LoadStubDataFile(dir / "Kolvanto.dat"));
  settings.DivideType = 3;
  PrepareDivideJob(job, dir / "data.bin", dir / "data.exe", 300000);
  job.SelfRestoreJob = 1;
  job.SelfRestoreKind = 0;
  Prepared();
  ASSERT_EQ(job.JobMessage(), "分割が終了しました");
  const Bytes first = ReadFileBytes(dir / "data.exe");
  ASSERT_EQ(first.size(), 300000u);
  EXPECT_EQ(Slice(first, 0, 30000), Slice(dat, 13, dat.size()));
  MemorySource header(first);
  header.Seek(30006);
  const Type3FirstHeader parsed = ParseType3FirstHeader(header);
  ASSERT_EQ(parsed.status, HeaderStatus::kOk);
  EXPECT_EQ(parsed.pieceLength, 269997);
  EXPECT_EQ(ReadFileBytes(dir / "data.d02").size(), 300000u);
}

TEST_F(TypedDivideTest, SelfRestoringType2Win16RecordsTheShortName) {
  std::filesystem::rename(dir / "data.bin", dir / "longfilename.text");
  WriteFileBytes(dir / "Kolvanto.dat", StubData(1, "Win16 restorer", 1000));
  ASSERT_TRUE(stubs.LoadStubDataFile(dir / "Kolvanto.dat"));
  settings.DivideType = 2;
  settings.ShortFileName = true;
  PrepareDivideJob(job, dir / "longfilename.text", dir / "longfilename.exe", 300000, 24);
  job.SelfRestoreJob = 1;
  Prepared();
  ASSERT_EQ(job.JobMessage(), "分割が終了しました");
  const Bytes first = ReadFileBytes(dir / "longfilename.exe");
  ASSERT_EQ(first.size(), 300000u);
  EXPECT_EQ(first[1000], 0x02);
  // 3 + "F4240 LONGFI~1.TEX" = 21 header bytes; the body takes the rest.
  EXPECT_EQ(Slice(first, 1002, 1021), Text("F4240 LONGFI~1.TEX\x01"));
  EXPECT_EQ(Slice(first, 1021, first.size()), Slice(data, 0, 300000 - 1021));
}

TEST_F(TypedDivideTest, ExactlyFullPiecesEndTheSeriesAndOneByteMoreStartsAnother) {
  const Bytes exact = Slice(data, 0, 299961 + 299984);
  WriteFileBytes(dir / "data.bin", exact);
  Divide(3, 300000, dir / "data.d01");
  EXPECT_EQ(Sizes(Pieces(dir / "data.d01")), (std::vector<std::size_t>{300000, 300000}));

  std::filesystem::remove(dir / "data.d01");
  std::filesystem::remove(dir / "data.d02");
  WriteFileBytes(dir / "data.bin", Slice(data, 0, exact.size() + 1));
  Divide(3, 300000, dir / "data.d01");
  EXPECT_EQ(Sizes(Pieces(dir / "data.d01")), (std::vector<std::size_t>{300000, 300000, 17}));
}

TEST_F(TypedDivideTest, SmallSourcesMakeOnePieceWithFullProgress) {
  for (const std::size_t size : {0u, 1u, 999u}) {
    SCOPED_TRACE(size);
    WriteFileBytes(dir / "data.bin", Slice(data, 0, size));
    std::filesystem::remove(dir / "data.d01");
    Divide(3, 300000, dir / "data.d01");
    EXPECT_EQ(job.JobMessage(), "分割が終了しました");
    EXPECT_EQ(job.ProgressPermille.load(), 1000);
    const Bytes piece = ReadFileBytes(dir / "data.d01");
    EXPECT_EQ(piece.size(), 36 + size + 3);
    EXPECT_EQ(Slice(piece, 36, 36 + size), Slice(data, 0, size));
  }
}

TEST_F(TypedDivideTest, RemovableFlowPreselectsNoAndNoAsksForTheMediumAgain) {
  WriteFileBytes(dir / "data.d02", {9, 9});
  settings.DivideType = 3;
  PrepareDivideJob(job, dir / "data.bin", dir / "data.d01", 600000);
  job.PiecesOnFixedDrive = 0;
  prompter.script.Script({Answer::kYes, Answer::kNo, Answer::kYes, Answer::kYes});
  // The cancel request comes while the last question is open: one step of the second piece follows.
  prompter.onAsk = [&](const Message&) {
    if (prompter.script.Messages().size() == 3) {
      job.RunState.store(kRunCancelRequested);
    }
  };
  Prepared();
  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 4u);
  const std::string second = dir / "data.d02";
  EXPECT_EQ(m[0].text, "次のファイルは「" + second + "」になります");
  EXPECT_EQ(m[1].text, second + " は\nすでに存在しますが、上書きしてもよろしいですか");
  EXPECT_EQ(m[1].caption, "Kolvanto  上書き確認");
  EXPECT_EQ(m[1].buttons, Buttons::kYesNo);
  EXPECT_EQ(m[1].defaultButton, Answer::kNo);
  EXPECT_EQ(m[2].text, m[0].text);
  EXPECT_EQ(m[3].defaultButton, Answer::kNo);

  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), 0);
  EXPECT_EQ(ReadFileBytes(dir / "data.d01").size(), 600000u);
  const Bytes cut = ReadFileBytes(second);
  ASSERT_EQ(cut.size(), 13u + 1024u);  // the header and exactly one step, no trailer
  EXPECT_EQ(Slice(cut, 13, cut.size()), Slice(data, 599961, 599961 + 1024));
}

TEST_F(TypedDivideTest, AFollowingPieceNameThatIsALinkIsReplacedNotWrittenThrough) {
  const Bytes victim{'k', 'e', 'e', 'p'};
  WriteFileBytes(dir / "victim.txt", victim);
  std::filesystem::create_symlink(dir / "victim.txt", dir / "data.d02");
  Divide(3, 600000, dir / "data.d01");
  EXPECT_EQ(job.JobMessage(), "分割が終了しました");
  EXPECT_EQ(ReadFileBytes(dir / "victim.txt"), victim);
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "data.d02"));
  const Bytes second = ReadFileBytes(dir / "data.d02");
  ASSERT_GT(second.size(), 13u + 400039u);
  EXPECT_EQ(Slice(second, 13, 13 + 400039), Slice(data, 599961, data.size()));
}

TEST_F(TypedDivideTest, RefusesToWriteOverItsOwnSource) {
  std::filesystem::rename(dir / "data.bin", dir / "report.d02");
  settings.DivideType = 3;
  PrepareDivideJob(job, dir / "report.d02", dir / "report.d01", 300000);
  Prepared();
  EXPECT_EQ(ReadFileBytes(dir / "report.d02"), data);
  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].text, "元のファイルと作成ファイルが同一です。作成ファイル名を変更してください");
  EXPECT_EQ(m[0].icon, Icon::kWarning);
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), 0);
}

TEST_F(TypedDivideTest, FirstPieceCheckCountsTheTrailer) {
  TmpfsMount medium(64 * 1024);
  if (!medium.Mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  // 33 header bytes ("a.bin") + 65,502 + 3 = 65,538: two bytes more than the medium holds.
  WriteFileBytes(dir / "a.bin", Slice(data, 0, 65502));
  settings.DivideType = 3;
  PrepareDivideJob(job, dir / "a.bin", medium / "a.d01", 100000, 33);
  Prepared();
  const auto s = prompter.script.Shortages();
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].requiredLine, "必要容量： 65,538Bytes");
  EXPECT_EQ(s[0].freeLine, "空き容量： 65,536Bytes");
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
}

TEST_F(TypedDivideTest, FitToFreeSpaceSizesEveryPieceToItsMedium) {
  TmpfsMount medium(64 * 1024);
  if (!medium.Mounted()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  WriteFileBytes(dir / "a.bin", Slice(data, 0, 150000));
  settings.DivideType = 3;
  PrepareDivideJob(job, dir / "a.bin", medium / "a.d01", -1);
  job.PiecesOnFixedDrive = 0;
  std::vector<std::string> taken;
  prompter.onAsk = [&](const Message& m) {
    if (m.text.starts_with("次のファイル")) {
      for (const auto& entry : std::filesystem::directory_iterator(medium / "")) {
        taken.push_back(dir / entry.path().filename().string());
        std::filesystem::copy_file(entry.path(), taken.back());
        std::filesystem::remove(entry.path());
      }
    }
  };
  prompter.script.SetFallback(Answer::kYes);
  Prepared();
  ASSERT_EQ(job.JobMessage(), "分割が終了しました");
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(Sizes(taken), (std::vector<std::size_t>{65536, 65536}));
  // 150,000 − (65,536 − 33 − 3) − (65,536 − 13 − 3) = 18,980 body bytes are left.
  EXPECT_EQ(ReadFileBytes(medium / "a.d03").size(), 13u + 18980u + 3u);
}

TEST_F(TypedDivideTest, MissingSourceIsAnInputOutputError) {
  settings.DivideType = 3;
  PrepareDivideJob(job, dir / "data.bin", dir / "data.d01", 300000);
  std::filesystem::remove(dir / "data.bin");
  Prepared();
  const auto m = prompter.script.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(
      m[0].text,
      "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェックをし"
      "てください。");
  EXPECT_EQ(job.JobMessage(), "分割を中止しました");
  EXPECT_EQ(job.RunState.load(), 0);
}

}  // namespace
}  // namespace kv::test
