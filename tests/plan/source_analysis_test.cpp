#include <filesystem>

#include "core/typed_header_builder.h"
#include "plan_fixture.h"
#include "tests/faults/faulty_system_calls.h"

namespace kv::test {
namespace {

using Analysis = PlanFixture;

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A Type3 first piece of a 1,000,000-byte data.bin at 300,000 bytes.
std::vector<std::uint8_t> Type3FirstPiece(std::size_t bodyBytes) {
  auto header = BuildType3FirstHeader(1000000, 300000 - 3, 0x1234, "data.bin", 2004, 0x123456);
  return Concat(header, std::vector<std::uint8_t>(bodyBytes, 0x11));
}

TEST_F(Analysis, Type0AtTheFloppyPresetNeedsThreeMedia) {
  settings.DivideType = 0;
  WriteSized(dir / "report.doc", 3000000);
  Choose(dir / "report.doc");
  EXPECT_EQ(planner.Texts().information, "3,000,000Bytes 1.44MBフロッピーが 3枚必要です");
  EXPECT_EQ(planner.Texts().executeCaption, "分割開始(&X)");
  EXPECT_EQ(planner.Texts().destination, dir / "report.001");
  EXPECT_EQ(planner.Texts().title, "Kolvanto");
  EXPECT_EQ(job.SourceUsable, 1);
  EXPECT_EQ(job.IsDivide, 1);
  EXPECT_EQ(job.SourceChanged, 0);
  EXPECT_EQ(job.StoredName, "report.doc");
  EXPECT_GT(view.shows, 0);
}

TEST_F(Analysis, TypedSizeTextIsRewrittenAndNamesAnyMedium) {
  planner.Texts().sizeText = "1000000";
  WriteSized(dir / "data.bin", 2500000);
  Choose(dir / "data.bin");
  EXPECT_EQ(planner.Texts().sizeText, "1,000,000Bytes");
  EXPECT_EQ(job.HeaderLength, 36);
  EXPECT_EQ(planner.Texts().information, "2,500,000Bytes 1,000,000Bytesの記憶媒体が 3枚必要です");
  EXPECT_EQ(planner.Texts().destination, dir / "data.d01");
  // A plain number equal to a preset takes the preset's text and label.
  planner.Texts().sizeText = "730112";
  planner.AnalyseSource();
  EXPECT_EQ(planner.Texts().sizeText, "730,112Bytes  (720KB)");
  EXPECT_EQ(planner.Texts().information, "2,500,000Bytes 720KBフロッピーが 4枚必要です");
}

// A size the destination's file system cannot hold is lowered to its limit,
// with a note; sizes within it, fitting to free space and Type1/Type2 are kept.
TEST_F(Analysis, SizesAboveTheFileSystemsLimitAreLoweredWithANote) {
  const std::string big = dir / "disc.iso";
  WriteSized(big, 0);
  std::filesystem::resize_file(big, 30000000000LL);
  volumes.SetFree(1ULL << 40, 4294967295);  // a FAT32 stick
  const std::string note =
      "\r\n書き込み先のファイルシステムの上限にあわせて、分割サイズを4,294,967,"
      "295Bytesにしました。";
  struct Case {
    int type;
    const char* sizeText;
    const char* shownSize;
    std::int64_t divideSize;
    std::string information;
  } cases[] = {
      {3, "4,700,372,992Bytes (4.7GB)", "4,294,967,295Bytes (4GB)", 4294967295,
       "30,000,000,000Bytes FAT32 USBメモリが 7枚必要です" + note},
      {0, "1,099,511,627,776", "4,294,967,295Bytes (4GB)", 4294967295,
       "30,000,000,000Bytes FAT32 USBメモリが 7枚必要です" + note},
      {3, "4294967295", "4,294,967,295Bytes (4GB)", 4294967295,
       "30,000,000,000Bytes FAT32 USBメモリが 7枚必要です"},
      {0, "735846400", "735,846,400Bytes (700MB)", 735846400,
       "30,000,000,000Bytes 700MB CD-Rが 41枚必要です"},
      {3, "空き容量にあわせる", "空き容量にあわせる", -1,
       "30,000,000,000Bytes 必要なメディアの枚数は不明です"},
  };
  for (const Case& c : cases) {
    settings.DivideType = c.type;
    planner.Texts().sizeText = c.sizeText;
    Choose(big);
    EXPECT_EQ(planner.Texts().sizeText, c.shownSize) << c.sizeText;
    EXPECT_EQ(job.JobDivideSize, c.divideSize) << c.sizeText;
    EXPECT_EQ(planner.Texts().information, c.information) << c.sizeText;
  }
  // Type2 keeps its own limit below the file system's.
  settings.DivideType = 2;
  planner.Texts().sizeText = "4,700,372,992Bytes (4.7GB)";
  Choose(big);
  EXPECT_EQ(job.JobDivideSize, 2147483647);
  EXPECT_EQ(planner.Texts().information,
            "Type2およびType1では、2GB以上のファイルを\r\n分割することはできません。");
}

TEST_F(Analysis, ADivideWithRecoverySaysHowManyFilesItRebuildsAndItsSize) {
  const struct {
    bool on;
    int pieces;
    const char* sizeText;
    const char* information;
  } cases[] = {
      {false, 2, "1000000", "2,500,000Bytes 1,000,000Bytesの記憶媒体が 3枚必要です"},
      {true, 2, "1000000",
       "2,500,000Bytes 1,000,000Bytesの記憶媒体が 3枚必要です\r\n"
       "修復データ： 2個までのファイルを作り直せます（約2,000,000Bytes）"},
      // No more than the pieces; the slice is rounded up to a multiple of 4.
      {true, 9, "999999",
       "2,500,000Bytes 999,999Bytesの記憶媒体が 3枚必要です\r\n"
       "修復データ： 3個までのファイルを作り直せます（約3,000,000Bytes）"},
      {true, 1, "空き容量にあわせる",
       "2,500,000Bytes 必要なメディアの枚数は不明です\r\n"
       "修復データ： 1個までのファイルを作り直せます（サイズは不明です）"},
  };
  WriteSized(dir / "data.bin", 2500000);
  for (const auto& c : cases) {
    settings.Recovery = c.on;
    settings.RecoveryPieces = c.pieces;
    planner.Texts().sizeText = c.sizeText;
    Choose(dir / "data.bin");
    EXPECT_EQ(planner.Texts().information, c.information) << c.pieces;
  }
  // A restore says nothing of it.
  WriteSized(dir / "x.001", 10);
  Choose(dir / "x.001");
  EXPECT_EQ(planner.Texts().information.find("修復データ"), std::string::npos);
}

TEST_F(Analysis, SmallestSizes) {
  WriteSized(dir / "a.bin", 5000);
  settings.DivideType = 0;
  planner.Texts().sizeText = "1";
  Choose(dir / "a.bin");
  EXPECT_EQ(job.SourceUsable, 1);
  EXPECT_EQ(planner.Texts().information, "5,000Bytes 1Bytesの記憶媒体が 5,000枚必要です");
  EXPECT_TRUE(prompter.Messages().empty());

  settings.DivideType = 3;
  planner.Texts().sizeText = "1,023";
  planner.AnalyseSource();
  EXPECT_EQ(job.SourceUsable, 0);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  const Message m = prompter.Messages()[0];
  EXPECT_EQ(m.text, "分割サイズは1,024bytes以上にして下さい");
  EXPECT_EQ(m.caption, "Kolvanto");
  EXPECT_EQ(m.icon, Icon::kWarning);
  EXPECT_EQ(m.buttons, Buttons::kOk);

  settings.DivideType = 0;
  planner.Texts().sizeText = "0";
  planner.AnalyseSource();
  EXPECT_EQ(prompter.Messages().back().text, "分割サイズは1bytes以上にして下さい");
}

// A divide needing more pieces than its type can number is refused before
// a piece is written: Type3 numbers them in a 15-bit header field, Type0
// only in the name, up to the largest int. The sources are sparse files.
TEST_F(Analysis, MorePiecesThanTheTypeCanNumberAreRefused) {
  struct Case {
    int type;
    const char* sizeText;
    std::uintmax_t sourceSize;
    const char* information;
    bool usable;
  };
  const Case cases[] = {
      // 986 body bytes in the first piece, 1,008 in pieces 2 to 127, 1,007 from 128 on.
      // The summary keeps its estimate; the refusal counts the pieces exactly.
      {3, "1024", 33125370, "33,125,370Bytes 1,024Bytesの記憶媒体が 32,863枚必要です", true},
      {3, "1024", 33125371,
       "分割ファイルは32,895個までしか作成できません。\r\n分割サイズを大きくして下さい。", false},
      // Type1 and Type2 keep to the typed series' limit too.
      {1, "1024", 40000000,
       "分割ファイルは32,895個までしか作成できません。\r\n分割サイズを大きくして下さい。", false},
      {2, "1024", 40000000,
       "分割ファイルは32,895個までしか作成できません。\r\n分割サイズを大きくして下さい。", false},
      {0, "1", 2147483647, "2,147,483,647Bytes 1Bytesの記憶媒体が 2,147,483,647枚必要です", true},
      {0, "1", 2147483648,
       "分割ファイルは2,147,483,647個までしか作成できません。\r\n分割サイズを大きくして下さい。",
       false},
  };
  for (const Case& c : cases) {
    settings.DivideType = c.type;
    planner.Texts().sizeText = c.sizeText;
    planner.Texts().destination.clear();
    WriteSized(dir / "big.bin", 0);
    std::filesystem::resize_file(dir / "big.bin", c.sourceSize);
    Choose(dir / "big.bin");
    EXPECT_EQ(planner.Texts().information, c.information) << c.sourceSize;
    EXPECT_EQ(job.SourceUsable, c.usable ? 1 : 0) << c.sourceSize;
    EXPECT_EQ(planner.Texts().destination.empty(), !c.usable) << c.sourceSize;
  }
}

// A "\\" is a character of a name on this system: the recorded name keeps
// what stands before it, as "_".
TEST_F(Analysis, ABackslashInTheSourceNameIsRecordedAsAnUnderscore) {
  settings.DivideType = 3;
  WriteSized(dir / "a\\b.txt", 3000000);
  Choose(dir / "a\\b.txt");
  EXPECT_EQ(job.StoredName, "a_b.txt");
  EXPECT_EQ(job.HeaderLength, 35);
}

TEST_F(Analysis, SourceOfExactlyTheDivideSizeNeedsNoDivide) {
  settings.DivideType = 0;
  planner.Texts().sizeText = "2000";
  WriteSized(dir / "a.bin", 2000);
  Choose(dir / "a.bin");
  EXPECT_EQ(planner.Texts().information, "分割する必要はありません。");
  EXPECT_EQ(planner.Texts().destination, "");
  EXPECT_EQ(job.SourceUsable, 0);
  WriteSized(dir / "a.bin", 2001);
  Choose(dir / "a.bin");
  EXPECT_EQ(planner.Texts().information, "2,001Bytes 2,000Bytesの記憶媒体が 2枚必要です");
  // Fit to free space gives no count and never says there is no need.
  planner.Texts().sizeText = "空き容量にあわせる";
  WriteSized(dir / "a.bin", 10);
  Choose(dir / "a.bin");
  EXPECT_EQ(job.JobDivideSize, -1);
  EXPECT_EQ(planner.Texts().information, "10Bytes 必要なメディアの枚数は不明です");
  EXPECT_EQ(job.SourceUsable, 1);
}

TEST_F(Analysis, Type2RefusesSourcesAbove2GB) {
  settings.DivideType = 2;
  const std::string big = dir / "big.bin";
  WriteSized(big, 0);
  std::filesystem::resize_file(big, 2147483648LL);
  Choose(big);
  EXPECT_EQ(planner.Texts().information,
            "Type2およびType1では、2GB以上のファイルを\r\n分割することはできません。");
  EXPECT_EQ(job.SourceUsable, 0);
  settings.DivideType = 3;
  Choose(big);
  EXPECT_EQ(job.SourceUsable, 1);
  // The source size takes its 8-byte form.
  EXPECT_EQ(job.HeaderLength, 39);
}

TEST_F(Analysis, ExeIsDividedWithoutMarkerAndRestoredWithIt) {
  WriteSized(dir / "data.exe", 3000000);
  Choose(dir / "data.exe");
  EXPECT_EQ(job.IsDivide, 1);
  EXPECT_EQ(planner.Texts().executeCaption, "分割開始(&X)");

  // A stub of 5,000 bytes, then a Type3 first piece.
  WriteFileBytes(dir / "data.exe",
                 Concat(std::vector<std::uint8_t>(5000, 0x4D), Type3FirstPiece(2000)));
  job.SelfRestoreJob = 1;
  Choose(dir / "data.exe");
  EXPECT_EQ(job.IsDivide, 0);
  EXPECT_EQ(job.SelfRestoreJob, 0);
  EXPECT_EQ(job.MarkerOffset, 5000);
  EXPECT_EQ(job.SourceSplitType, 3);
  EXPECT_EQ(job.HeaderLength, 36);
  EXPECT_EQ(job.FirstPieceLength, 299997);
  EXPECT_EQ(job.FirstSeriesId, 0x1234);
  EXPECT_EQ(job.RecordedYear, 2004);
  EXPECT_EQ(planner.Texts().information, "分割元ファイル： data.bin 1,000,000Bytes\r\nType3");
  EXPECT_EQ(planner.Texts().executeCaption, "復元開始(&X)");
  EXPECT_EQ(planner.Texts().destination, dir / "data.bin");

  // A self-restoring piece whose data part is Type2 is offered for dividing.
  WriteFileBytes(dir / "data.exe", Concat(std::vector<std::uint8_t>(5000, 0x4D),
                                          BuildType2Header("data.bin", 1000000, 9)));
  planner.Texts().sizeText = "1024";
  Choose(dir / "data.exe");
  EXPECT_EQ(job.IsDivide, 1) << planner.Texts().information;
}

TEST_F(Analysis, FirstPieceOfAtMost1024BytesIsFound) {
  for (std::size_t total : {std::size_t{600}, std::size_t{1024}}) {
    WriteFileBytes(dir / "data.d01", Type3FirstPiece(total - 36));
    Choose(dir / "data.d01");
    EXPECT_EQ(job.SourceUsable, 1) << total;
    EXPECT_EQ(job.SourceSplitType, 3) << total;
    EXPECT_EQ(planner.Texts().information, "分割元ファイル： data.bin 1,000,000Bytes\r\nType3");
  }
}

TEST_F(Analysis, NamesRecordedInCodePage932AreReadAsJapanese) {
  // "ソ" in CP932 is 0x83 0x5C: its second byte is no separator.
  const std::string recorded = "\x83\x5C.txt";
  const std::vector<std::uint8_t> body(100, 0x20);
  const std::vector<std::uint8_t> firstPieces[] = {
      Concat(BuildType1Header(recorded, 12345), body),
      Concat(BuildType2Header(recorded, 12345, 0x77), body),
      Concat(BuildType3FirstHeader(12345, 1024 - 3, 1, recorded, 2004, 0x123456),
             std::vector<std::uint8_t>(1024, 0x11)),
  };
  for (const auto& piece : firstPieces) {
    WriteFileBytes(dir / "x.d01", piece);
    Choose(dir / "x.d01");
    EXPECT_EQ(job.StoredName, "ソ.txt") << job.SourceSplitType;
    EXPECT_EQ(planner.Texts().destination, dir / "ソ.txt");
  }
}

TEST_F(Analysis, FirstByteDecidesWithoutMarker) {
  auto piece = std::vector<std::uint8_t>(100, 0x20);
  piece[0] = 5;
  WriteFileBytes(dir / "x.d01", piece);
  Choose(dir / "x.d01");
  EXPECT_EQ(planner.Texts().information, "本バージョンでは未対応の分割ファイルです。");
  EXPECT_EQ(job.SourceUsable, 0);
  EXPECT_EQ(job.IsDivide, 0);

  piece[0] = 0x41;  // tried as Type1, and not one
  WriteFileBytes(dir / "x.d01", piece);
  Choose(dir / "x.d01");
  EXPECT_EQ(planner.Texts().information, "分割ファイルでないか、ファイルが壊れています。");

  WriteFileBytes(dir / "x.d01", Concat(BuildType1Header("ABC.TXT", 12345), piece));
  Choose(dir / "x.d01");
  EXPECT_EQ(planner.Texts().information, "分割元ファイル： ABC.TXT 12,345Bytes\r\nType1");
  EXPECT_EQ(job.SourceSplitType, 1);
  EXPECT_EQ(job.HeaderLength, 24);
  EXPECT_EQ(planner.Texts().destination, dir / "ABC.TXT");

  WriteFileBytes(dir / "x.d01", Concat(BuildType2Header("a b.txt", 0x1234, 0x77), piece));
  Choose(dir / "x.d01");
  EXPECT_EQ(planner.Texts().information, "分割元ファイル： a b.txt 4,660Bytes\r\nType2");
  EXPECT_EQ(job.FirstCheckByte, 0x77);
  EXPECT_EQ(job.HeaderLength, 15);
}

TEST_F(Analysis, Type3Refusals) {
  auto piece = Type3FirstPiece(100);
  piece[10] = 1;  // ContentFlags of a short source size
  WriteFileBytes(dir / "x.d01", piece);
  Choose(dir / "x.d01");
  EXPECT_EQ(planner.Texts().information, "本バージョンでは圧縮されたファイルは復元できません。");
  piece[10] = 2;
  WriteFileBytes(dir / "x.d01", piece);
  Choose(dir / "x.d01");
  EXPECT_EQ(planner.Texts().information, "本バージョンでは暗号化されたファイルは復元できません。");
  // Cut inside the name record.
  piece = Type3FirstPiece(0);
  piece.resize(25);
  WriteFileBytes(dir / "x.d01", piece);
  Choose(dir / "x.d01");
  EXPECT_EQ(planner.Texts().information, "分割ファイルが壊れています");
  EXPECT_EQ(job.SourceUsable, 0);
}

TEST_F(Analysis, Type0SeriesShowsMaskedName) {
  WriteSized(dir / "data.001", 300);
  settings.RsDefaultExt = "bin";
  Choose(dir / "data.001");
  EXPECT_EQ(planner.Texts().information, "分割元ファイル： data.???  ? Bytes\r\nType0");
  EXPECT_EQ(planner.Texts().executeCaption, "復元開始(&X)");
  EXPECT_EQ(planner.Texts().destination, dir / "data.bin");
  EXPECT_EQ(job.ThreeDigitNumbering, 1);
  EXPECT_EQ(job.IsDivide, 0);
  WriteSized(dir / "data.x01", 300);
  Choose(dir / "data.x01");
  EXPECT_EQ(job.ThreeDigitNumbering, 0);
}

TEST_F(Analysis, UnopenableSourceAndTypedDestinationSurvive) {
  Choose(dir / "missing.bin");
  EXPECT_EQ(planner.Texts().information,
            "元のファイルは開けません\r\n存在しないか、他のソフトが使用しています。");
  EXPECT_EQ(job.SourceUsable, 0);
  Choose(dir.Path().string());
  EXPECT_EQ(job.SourceUsable, 0);

  // A destination the user typed stays (only its extension follows the type).
  WriteSized(dir / "a.bin", 3000000);
  Choose(dir / "a.bin");
  planner.Texts().destination = dir / "elsewhere.zip";
  planner.AnalyseSource();
  EXPECT_EQ(planner.Texts().destination, dir / "elsewhere.d01");
  settings.DivideType = 0;
  planner.AnalyseSource();
  EXPECT_EQ(planner.Texts().destination, dir / "elsewhere.001");
  // A relative source becomes a full name.
  std::filesystem::current_path(dir.Path());
  planner.Texts().source = "a.bin";
  planner.AnalyseSource();
  EXPECT_EQ(planner.Texts().source, dir / "a.bin");
}

// A first piece that cannot be read is no broken piece: the input/output
// message names it and gives the system's reason.
TEST_F(Analysis, AnUnreadableFirstPieceTellsTheCause) {
  for (const char* name : {"data.d01", "data.exe"}) {
    SCOPED_TRACE(name);
    WriteFileBytes(dir / name, Type3FirstPiece(1000));
    FaultySystemCalls calls({.target = name, .readFailsAt = 0});
    const ScopedSystemCalls inPlace(calls);
    Choose(dir / name);
    EXPECT_FALSE(job.SourceUsable);
    EXPECT_EQ(
        planner.Texts().information,
        "ファイル入出力エラーが発生しました。繰り返し発生する場合は、ディスクのエラーチェックを"
        "してください。\n" +
            dir / name + ": Input/output error");
  }
}

TEST_F(Analysis, NothingChangesWhileAJobRuns) {
  WriteSized(dir / "a.bin", 3000000);
  job.RunState = kRunRunning;
  Choose(dir / "a.bin");
  EXPECT_EQ(job.SourceUsable, 0);
  EXPECT_EQ(job.SourceChanged, 1);
  EXPECT_EQ(planner.Texts().information, "");
  EXPECT_EQ(view.pulls, 0);
  job.RunState = kRunIdle;
}

}  // namespace
}  // namespace kv::test
