// Divide a file, then restore it from its first piece, each job going through
// the analysis, Execute, the worker thread and the job timer. Every round trip
// must give back the source byte for byte.

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/roundtrip/round_trip_fixture.h"

namespace kv::test {
namespace {

constexpr char kDivided[] = "分割が終了しました";
constexpr char kRestored[] = "復元が終了しました";
constexpr char kNoNeed[] = "分割する必要はありません。";
constexpr char kNamesRefused[] =
    "Kolvanto|元のファイル名 及び 作成ファイル名を正しく指定してください";
constexpr char kConfirmCaption[] = "Kolvanto  実行確認|";

// 2021-03-04 05:06:07 UTC.
constexpr std::time_t kSourceTime = 1614834367;

void SetModified(const std::string& path, std::time_t t) {
  const struct timespec times[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::time_t Modified(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
}

bool StartsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

// ---------------------------------------------------------------------------
// Type0: raw slices, three kinds of cut, two extension schemes.

enum class Content {
  kRandom,      // random bytes
  kCrLfLines,   // lines of 98 letters and CR LF
  kMarkedText,  // letters d..z with "Abc" at 1,200, 2,500 and 3,700
};

std::vector<std::uint8_t> MakeContent(Content content, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  switch (content) {
    case Content::kRandom:
      return RandomBytes(size, 7);
    case Content::kCrLfLines:
      for (std::size_t i = 0; i < size; ++i) {
        const std::size_t column = i % 100;
        bytes[i] = column == 98   ? '\r'
                   : column == 99 ? '\n'
                                  : static_cast<std::uint8_t>('d' + (i * 7 + i / 100) % 23);
      }
      return bytes;
    case Content::kMarkedText:
      for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>('d' + (i * 5 + i / 37) % 23);
      }
      for (std::size_t at : {1200u, 2500u, 3700u}) {
        bytes[at] = 'A';
        bytes[at + 1] = 'b';
        bytes[at + 2] = 'c';
      }
      return bytes;
  }
  return bytes;
}

struct Type0Case {
  const char* name;
  int type0Type;     // 0 size, 1 line, 2 string
  int timingString;  // 0 cut before the line end or string, 1 after it
  int divideExt;     // number of the first piece
  char extChar;      // 0: three digits; otherwise the added character
  Content content;
  std::size_t sourceSize;
  const char* sizeText;
  std::vector<std::int64_t> pieces;
  // The extension of every piece, then the one the restore asks for after the last.
  std::vector<std::string> extensions;
};

void PrintTo(const Type0Case& c, std::ostream* os) {
  *os << c.name;
}

class Type0RoundTrip : public RoundTripFixture, public ::testing::WithParamInterface<Type0Case> {};

TEST_P(Type0RoundTrip, RestoresTheSource) {
  const Type0Case& c = GetParam();
  settings.DivideType = 0;
  settings.Type0Type = c.type0Type;
  settings.TimingSize = 1;
  settings.TimingString = c.timingString;
  settings.DivideString = "abc";
  settings.DivideExt = c.divideExt;
  settings.DivideExtAddC = c.extChar != 0;
  settings.DivideExtChar = c.extChar;
  settings.RsDefaultExt = "rst";
  const auto source = MakeContent(c.content, c.sourceSize);
  WriteFileBytes(In("src.txt"), source);

  const std::string first = Out("src." + c.extensions.front());
  const auto divideAsked = Divide(In("src.txt"), c.sizeText, first);
  EXPECT_EQ(proposedDestination, In("src." + c.extensions.front()));
  EXPECT_EQ(planner.Texts().information, kDivided);
  ASSERT_EQ(divideAsked.size(), 1u);
  EXPECT_TRUE(StartsWith(divideAsked[0], kConfirmCaption)) << divideAsked[0];

  std::vector<std::string> names;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < c.pieces.size(); ++i) {
    names.push_back("src." + c.extensions[i]);
    paths.push_back(Out(names.back()));
  }
  EXPECT_EQ(OutFiles(), names);
  EXPECT_EQ(FileSizes(paths), c.pieces);
  // The timer mirrored every new piece name; the last one stays.
  EXPECT_EQ(planner.Texts().destination, paths.back());

  const auto restoreAsked = Restore(first);
  EXPECT_EQ(planner.Texts().information, kRestored);
  // On a fixed drive the series ends where the next piece is missing.
  ASSERT_EQ(restoreAsked.size(), 2u);
  EXPECT_EQ(restoreAsked[1], "Kolvanto|ファイルが見つかりません\n" +
                                 Out("src." + c.extensions.back()) +
                                 "\nこれで完了の場合はｷｬﾝｾﾙを選んでください");
  ASSERT_TRUE(std::filesystem::exists(Out("src.rst")));
  EXPECT_EQ(ReadFileBytes(Out("src.rst")), source);
}

// Columns: name; kind; cut after (1) or before (0); first number; added character;
// content; source size; size text; piece sizes; extensions, then the one asked for last.
// clang-format off
const Type0Case kType0Cases[] = {
    // By size: exact piece boundaries make no empty extra piece.
    {"SizeOnePieceAndAByte", 0, 1, 0, 0, Content::kRandom, 2001, "2000",
     {2000, 1}, {"000", "001", "002"}},
    {"SizeTwoFullPieces", 0, 1, 1, 0, Content::kRandom, 4000, "2000",
     {2000, 2000}, {"001", "002", "003"}},
    {"SizeThreeFullPieces", 0, 1, 1, 0, Content::kRandom, 6000, "2000",
     {2000, 2000, 2000}, {"001", "002", "003", "004"}},
    {"SizeThreePiecesAndAByte", 0, 1, 0, 0, Content::kRandom, 6001, "2000",
     {2000, 2000, 2000, 1}, {"000", "001", "002", "003", "004"}},
    {"AddedCharacterFromOne", 0, 1, 1, 'x', Content::kRandom, 6001, "2000",
     {2000, 2000, 2000, 1}, {"x01", "x02", "x03", "x04", "x05"}},
    {"AddedCharacterFromZero", 0, 1, 0, 'q', Content::kRandom, 4000, "2000",
     {2000, 2000}, {"q00", "q01", "q02"}},
    // Characters that would name another kind of series fall back to three digits.
    {"AddedDotFallsBack", 0, 1, 1, '.', Content::kRandom, 4000, "2000",
     {2000, 2000}, {"001", "002", "003"}},
    {"AddedLetterDFallsBack", 0, 1, 1, 'D', Content::kRandom, 4000, "2000",
     {2000, 2000}, {"001", "002", "003"}},
    // By line: CR LF at 98-99 of every 100 bytes, nominal size 1,050.
    {"LineCutAfterCrLf", 1, 1, 1, 0, Content::kCrLfLines, 3300, "1050",
     {1100, 1100, 1100}, {"001", "002", "003", "004"}},
    {"LineCutBeforeCrLf", 1, 0, 1, 0, Content::kCrLfLines, 3300, "1050",
     {1098, 1100, 1100, 2}, {"001", "002", "003", "004", "005"}},
    // By the string "abc", found as "Abc" at 1,200, 2,500 and 3,700, nominal size 1,000.
    {"StringCutBefore", 2, 0, 1, 0, Content::kMarkedText, 4000, "1000",
     {1200, 1300, 1200, 300}, {"001", "002", "003", "004", "005"}},
    {"StringCutAfter", 2, 1, 1, 0, Content::kMarkedText, 4000, "1000",
     {1203, 1300, 1200, 297}, {"001", "002", "003", "004", "005"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Type0, Type0RoundTrip, ::testing::ValuesIn(kType0Cases),
                         [](const ::testing::TestParamInfo<Type0Case>& param_info) {
                           return std::string(param_info.param.name);
                         });

// Pieces made elsewhere, each with a junk header: the head cut drops exactly it.
TEST_F(RoundTripFixture, Type0HeadCutDropsEachPiecesJunkHeader) {
  settings.HeadCut = true;
  settings.HeadCutFirst = 16;
  settings.HeadCutNext = 8;
  settings.RsDefaultExt = "rst";
  const auto source = RandomBytes(3500, 11);
  const std::vector<std::uint8_t> junk16(16, 0xEE);
  const std::vector<std::uint8_t> junk8(8, 0xDD);
  auto piece = [&](const std::vector<std::uint8_t>& junk, std::size_t from, std::size_t to) {
    std::vector<std::uint8_t> bytes = junk;
    bytes.insert(bytes.end(), source.begin() + static_cast<std::ptrdiff_t>(from),
                 source.begin() + static_cast<std::ptrdiff_t>(to));
    return bytes;
  };
  WriteFileBytes(Out("cut.001"), piece(junk16, 0, 1500));
  WriteFileBytes(Out("cut.002"), piece(junk8, 1500, 3000));
  WriteFileBytes(Out("cut.003"), piece(junk8, 3000, 3500));
  // A piece holding only its header contributes nothing.
  WriteFileBytes(Out("cut.004"), junk8);

  const auto asked = Restore(Out("cut.001"));
  EXPECT_EQ(planner.Texts().information, kRestored);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_NE(asked[0].find("\r\n先頭カット : 最初のファイル 16Byte  以降のファイル 8Byte"),
            std::string::npos)
      << asked[0];
  EXPECT_EQ(asked[1], "Kolvanto|ファイルが見つかりません\n" + Out("cut.005") +
                          "\nこれで完了の場合はｷｬﾝｾﾙを選んでください");
  EXPECT_EQ(ReadFileBytes(Out("cut.rst")), source);
}

// ---------------------------------------------------------------------------
// Typed series, plain and self-restoring. The source is "src.bin" (7 bytes of
// name): the Type2 header is 3 + the hex size + 1 + 7 bytes, the Type3 first
// header 35 bytes, a Type3 following header 13 bytes, a Type3 trailer 3 bytes.

constexpr std::size_t kStubSize = 1500;

struct TypedCase {
  const char* name;
  int type;       // the piece format made
  int stubMajor;  // 0: a plain series; 1 or 2: self-restoring with a stub data file of that major
  std::size_t sourceSize;
  const char* sizeText;
  std::vector<std::int64_t> pieces;
};

void PrintTo(const TypedCase& c, std::ostream* os) {
  *os << c.name;
}

class TypedRoundTrip : public RoundTripFixture, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedRoundTrip, RestoresTheSource) {
  const TypedCase& c = GetParam();
  const bool selfRestoring = c.stubMajor != 0;
  const auto stub = RandomBytes(kStubSize, 3);
  if (selfRestoring) {
    LoadStub(c.stubMajor, stub);
    settings.DivideType = 1;  // the command swaps in the stub's type for the job only
  } else {
    settings.DivideType = c.type;
  }
  const auto source = RandomBytes(c.sourceSize, 5);
  WriteFileBytes(In("src.bin"), source);
  SetModified(In("src.bin"), kSourceTime);

  const std::string first = Out(selfRestoring ? "src.exe" : "src.d01");
  const auto divideAsked = Divide(In("src.bin"), c.sizeText, first, selfRestoring);
  EXPECT_EQ(planner.Texts().information, kDivided);
  ASSERT_EQ(divideAsked.size(), 1u);
  EXPECT_TRUE(StartsWith(divideAsked[0], kConfirmCaption)) << divideAsked[0];
  if (selfRestoring) {
    EXPECT_NE(divideAsked[0].find("ファイルの種類 : WIN32"), std::string::npos);
    EXPECT_EQ(settings.DivideType, 1);
  } else {
    EXPECT_NE(divideAsked[0].find("分割タイプ : " + std::to_string(c.type)), std::string::npos);
  }

  std::vector<std::string> names{selfRestoring ? "src.exe" : "src.d01"};
  for (std::size_t i = 2; i <= c.pieces.size(); ++i) {
    names.push_back("src.d0" + std::to_string(i));
  }
  std::vector<std::string> paths;
  for (const auto& name : names) {
    paths.push_back(Out(name));
  }
  std::vector<std::string> sortedNames = names;
  std::sort(sortedNames.begin(), sortedNames.end());
  EXPECT_EQ(OutFiles(), sortedNames);
  EXPECT_EQ(FileSizes(paths), c.pieces);

  std::string restoreFrom = first;
  if (selfRestoring) {
    const auto exe = ReadFileBytes(first);
    ASSERT_GT(exe.size(), kStubSize);
    EXPECT_EQ(std::vector<std::uint8_t>(exe.begin(), exe.begin() + kStubSize), stub);
    if (c.type == 2) {
      // Only a Type3 first piece is looked for behind a stub: the analysis
      // offers a Type2 executable for dividing. Its data part is an ordinary
      // Type2 first piece, which is what its stub restores from.
      planner.Texts().sizeText = "1024";
      Choose(first);
      EXPECT_EQ(job.IsDivide, 1);
      EXPECT_EQ(planner.Texts().executeCaption, "分割開始(&X)");
      restoreFrom = Out("src.d01");
      WriteFileBytes(restoreFrom, std::vector<std::uint8_t>(exe.begin() + kStubSize, exe.end()));
    }
  }
  // The restore proposes the recorded name in the pieces' folder.
  const auto restoreAsked = Restore(restoreFrom);
  EXPECT_EQ(job.SourceSplitType, c.type);
  if (selfRestoring && c.type == 3) {
    EXPECT_EQ(job.MarkerOffset, static_cast<int>(kStubSize));
  }
  EXPECT_EQ(planner.Texts().information, kRestored);
  ASSERT_EQ(restoreAsked.size(), 1u);
  EXPECT_TRUE(StartsWith(restoreAsked[0], kConfirmCaption)) << restoreAsked[0];
  ASSERT_TRUE(std::filesystem::exists(Out("src.bin")));
  EXPECT_EQ(ReadFileBytes(Out("src.bin")), source);
  if (c.type == 3) {
    // A Type3 series carries the source's modification time.
    EXPECT_EQ(Modified(Out("src.bin")), kSourceTime);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Typed, TypedRoundTrip,
    ::testing::Values(
        // Type1: 24-byte header; bodies 1,976, then 2,000.
        TypedCase{"Type1OnePieceAndAByte", 1, 0, 2001, "2000", {2000, 25}},
        TypedCase{"Type1TwoFullPieces", 1, 0, 3976, "2000", {2000, 2000}},
        TypedCase{"Type1ThreeFullPieces", 1, 0, 5976, "2000", {2000, 2000, 2000}},
        TypedCase{"Type1ThreePiecesAndAByte", 1, 0, 5977, "2000", {2000, 2000, 2000, 1}},
        // Type2: header 14 bytes (3 hex digits) or 15 (4 digits); then a check byte per piece.
        TypedCase{"Type2OnePieceAndAByte", 2, 0, 2001, "2000", {2000, 16}},
        TypedCase{"Type2TwoFullPieces", 2, 0, 3985, "2000", {2000, 2000}},
        TypedCase{"Type2ThreeFullPieces", 2, 0, 5983, "2000", {2000, 2000, 2000}},
        TypedCase{"Type2ThreePiecesAndAByte", 2, 0, 5984, "2000", {2000, 2000, 2000, 2}},
        // Type3: bodies 1,962, then 1,984.
        TypedCase{"Type3OnePieceAndAByte", 3, 0, 2001, "2000", {2000, 55}},
        TypedCase{"Type3TwoFullPieces", 3, 0, 3946, "2000", {2000, 2000}},
        TypedCase{"Type3ThreeFullPieces", 3, 0, 5930, "2000", {2000, 2000, 2000}},
        TypedCase{"Type3ThreePiecesAndAByte", 3, 0, 5931, "2000", {2000, 2000, 2000, 17}},
        // Self-restoring Type2 (stub version 1), 1,500-byte stub: first body 2,500 - header.
        TypedCase{"SelfType2OnePieceAndAByte", 2, 1, 4001, "4000", {4000, 1516}},
        TypedCase{"SelfType2TwoFullPieces", 2, 1, 6484, "4000", {4000, 4000}},
        TypedCase{"SelfType2ThreeFullPieces", 2, 1, 10483, "4000", {4000, 4000, 4000}},
        TypedCase{"SelfType2ThreePiecesAndAByte", 2, 1, 10484, "4000", {4000, 4000, 4000, 2}},
        // Self-restoring Type3 (stub version 2): bodies 2,462, then 3,984.
        TypedCase{"SelfType3OnePieceAndAByte", 3, 2, 4001, "4000", {4000, 1555}},
        TypedCase{"SelfType3TwoFullPieces", 3, 2, 6446, "4000", {4000, 4000}},
        TypedCase{"SelfType3ThreeFullPieces", 3, 2, 10430, "4000", {4000, 4000, 4000}},
        TypedCase{"SelfType3ThreePiecesAndAByte", 3, 2, 10431, "4000", {4000, 4000, 4000, 17}}),
    [](const ::testing::TestParamInfo<TypedCase>& param_info) {
      return std::string(param_info.param.name);
    });

// ---------------------------------------------------------------------------
// Source names a header cannot carry as they are: the series records a safe
// name, and the restore gives the source back under it. A source may also hold
// a Type3 first piece inside: the header at the start of each piece decides.

struct AwkwardNameCase {
  const char* name;
  int type;
  const char* source;
  const char* restored;
  std::size_t innerType3At = 0;  // 0: no Type3 first piece inside the source
};

void PrintTo(const AwkwardNameCase& c, std::ostream* os) {
  *os << c.name;
}

class AwkwardNameRoundTrip : public RoundTripFixture,
                             public ::testing::WithParamInterface<AwkwardNameCase> {};

TEST_P(AwkwardNameRoundTrip, RestoresUnderTheRecordedName) {
  const AwkwardNameCase& c = GetParam();
  settings.DivideType = c.type;
  auto source = RandomBytes(3000, 13);
  if (c.innerType3At != 0) {
    const std::string inner = "\x03-QX3-";
    std::copy(inner.begin(), inner.end(),
              source.begin() + static_cast<std::ptrdiff_t>(c.innerType3At));
  }
  WriteFileBytes(In(c.source), source);

  Divide(In(c.source), "2000", Out("awk.d01"));
  EXPECT_EQ(planner.Texts().information, kDivided);
  Restore(Out("awk.d01"));
  EXPECT_EQ(job.SourceSplitType, c.type);
  EXPECT_EQ(job.MarkerOffset, 0);
  EXPECT_EQ(planner.Texts().information, kRestored);
  std::vector<std::string> expected{c.restored, "awk.d01", "awk.d02"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(OutFiles(), expected);
  EXPECT_EQ(ReadFileBytes(Out(c.restored)), source);
}

INSTANTIATE_TEST_SUITE_P(
    Names, AwkwardNameRoundTrip,
    ::testing::Values(AwkwardNameCase{"Type1Question", 1, "what?.txt", "WHAT_~1.TXT"},
                      AwkwardNameCase{"Type1Newline", 1, "a\nb", "A_B~1"},
                      AwkwardNameCase{"Type2Question", 2, "what?.txt", "what_.txt"},
                      AwkwardNameCase{"Type2BlankEnds", 2, " lead.txt ", "_lead.txt_"},
                      AwkwardNameCase{"Type2Newline", 2, "new\nline", "new_line"},
                      AwkwardNameCase{"Type2Override", 2, "\xE2\x80\xAEtxt.exe", "_txt.exe"},
                      AwkwardNameCase{"Type3Question", 3, "what?.txt", "what_.txt"},
                      AwkwardNameCase{"Type3BlankLead", 3, " lead.txt", " lead.txt"},
                      AwkwardNameCase{"Type3Newline", 3, "new\nline", "new_line"},
                      AwkwardNameCase{"Type3C1Control", 3, "x\xC2\x9B.txt", "x_.txt"},
                      AwkwardNameCase{"Type1AroundType3", 1, "in.bin", "in.bin", 400},
                      AwkwardNameCase{"Type2AroundType3", 2, "in.bin", "in.bin", 400}),
    [](const ::testing::TestParamInfo<AwkwardNameCase>& param_info) {
      return std::string(param_info.param.name);
    });

// A self-restoring series of a tiny source made to fit the free space: its
// first piece ends in a partial block that holds the whole Type3 header.
class TinySelfRestoringRoundTrip : public RoundTripFixture,
                                   public ::testing::WithParamInterface<std::size_t> {};

TEST_P(TinySelfRestoringRoundTrip, IsFoundBehindTheStub) {
  LoadStub(2, RandomBytes(kStubSize, 3));
  const auto source = RandomBytes(GetParam(), 19);
  WriteFileBytes(In("src.bin"), source);

  Divide(In("src.bin"), "空き容量にあわせる", Out("src.exe"), true);
  EXPECT_EQ(planner.Texts().information, kDivided);
  EXPECT_EQ(OutFiles(), std::vector<std::string>{"src.exe"});
  Restore(Out("src.exe"));
  EXPECT_EQ(job.SourceSplitType, 3);
  EXPECT_EQ(job.MarkerOffset, static_cast<int>(kStubSize));
  EXPECT_EQ(planner.Texts().information, kRestored);
  EXPECT_EQ(ReadFileBytes(Out("src.bin")), source);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TinySelfRestoringRoundTrip, ::testing::Values(0u, 1u));

// ---------------------------------------------------------------------------
// Sources that fit in one piece never reach a worker.

struct NoNeedCase {
  const char* name;
  int type;
  int stubMajor;
  std::size_t sourceSize;
  const char* sizeText;
};

void PrintTo(const NoNeedCase& c, std::ostream* os) {
  *os << c.name;
}

class NoNeedToDivide : public RoundTripFixture, public ::testing::WithParamInterface<NoNeedCase> {};

TEST_P(NoNeedToDivide, IsRefusedAndWritesNothing) {
  const NoNeedCase& c = GetParam();
  settings.DivideType = c.stubMajor != 0 ? 1 : c.type;
  if (c.stubMajor != 0) {
    LoadStub(c.stubMajor, RandomBytes(kStubSize, 3));
  }
  WriteFileBytes(In("src.bin"), RandomBytes(c.sourceSize, 9));
  planner.Texts().sizeText = c.sizeText;
  Choose(In("src.bin"));
  EXPECT_EQ(planner.Texts().information, kNoNeed);
  EXPECT_EQ(job.SourceUsable, 0);

  planner.Texts().destination = Out("src.d01");
  if (c.stubMajor != 0) {
    planner.CreateSelfRestoringKind(0);
  } else {
    planner.Execute();
  }
  EXPECT_FALSE(planner.JobActive());
  EXPECT_EQ(planner.Texts().information, kNoNeed);
  EXPECT_EQ(prompter.Transcript(), std::vector<std::string>{kNamesRefused});
  EXPECT_TRUE(OutFiles().empty());
  EXPECT_EQ(settings.DivideType, c.stubMajor != 0 ? 1 : c.type);
  EXPECT_EQ(job.SelfRestoreJob, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, NoNeedToDivide,
    ::testing::Values(NoNeedCase{"Type0Empty", 0, 0, 0, "2000"},
                      NoNeedCase{"Type0ExactlyOnePiece", 0, 0, 2000, "2000"},
                      NoNeedCase{"Type1Empty", 1, 0, 0, "2000"},
                      NoNeedCase{"Type1ExactlyTheSize", 1, 0, 2000, "2000"},
                      NoNeedCase{"Type2Empty", 2, 0, 0, "2000"},
                      NoNeedCase{"Type2ExactlyTheSize", 2, 0, 2000, "2000"},
                      NoNeedCase{"Type3Empty", 3, 0, 0, "2000"},
                      NoNeedCase{"Type3ExactlyTheSize", 3, 0, 2000, "2000"},
                      NoNeedCase{"SelfType2Empty", 2, 1, 0, "4000"},
                      NoNeedCase{"SelfType2ExactlyTheSize", 2, 1, 4000, "4000"},
                      NoNeedCase{"SelfType3Empty", 3, 2, 0, "4000"},
                      NoNeedCase{"SelfType3ExactlyTheSize", 3, 2, 4000, "4000"}),
    [](const ::testing::TestParamInfo<NoNeedCase>& param_info) {
      return std::string(param_info.param.name);
    });

}  // namespace
}  // namespace kv::test
