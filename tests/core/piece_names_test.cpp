#include "core/piece_names.h"

#include <gtest/gtest.h>

#include <limits>

namespace kv {
namespace {

TEST(FormatGrouped, GroupsOfThreeFromTheRight) {
  EXPECT_EQ(FormatGrouped(0), "0");
  EXPECT_EQ(FormatGrouped(100), "100");
  EXPECT_EQ(FormatGrouped(999), "999");
  EXPECT_EQ(FormatGrouped(1000), "1,000");
  EXPECT_EQ(FormatGrouped(1457664), "1,457,664");
  EXPECT_EQ(FormatGrouped(123456789), "123,456,789");
  EXPECT_EQ(FormatGrouped(std::numeric_limits<std::int64_t>::max()), "9,223,372,036,854,775,807");
  EXPECT_EQ(FormatGrouped(-1234), "-1,234");
  EXPECT_EQ(FormatGrouped(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
}

TEST(SetPieceNumber, ThreeDigitScheme) {
  EXPECT_EQ(SetPieceNumber("/a/b.c.000", 1, PieceScheme::kThreeDigit), "/a/b.c.001");
  EXPECT_EQ(SetPieceNumber("/a/b.001", 999, PieceScheme::kThreeDigit), "/a/b.999");
  EXPECT_EQ(SetPieceNumber("/a/b.999", 1000, PieceScheme::kThreeDigit), "/a/b.1000");
  EXPECT_EQ(SetPieceNumber("/a/b.1000", 7, PieceScheme::kThreeDigit), "/a/b.007");
}

TEST(SetPieceNumber, AddedCharacterScheme) {
  EXPECT_EQ(SetPieceNumber("/a/b.x01", 2, PieceScheme::kAddedChar), "/a/b.x02");
  EXPECT_EQ(SetPieceNumber("/a/b.x98", 99, PieceScheme::kAddedChar), "/a/b.x99");
  EXPECT_EQ(SetPieceNumber("/a/b.x99", 100, PieceScheme::kAddedChar), "/a/b.x100");
  EXPECT_EQ(SetPieceNumber("/a/b.", 3, PieceScheme::kAddedChar), "/a/b.03");
}

TEST(SetPieceNumber, DScheme) {
  EXPECT_EQ(SetPieceNumber("/a/report.d01", 2, PieceScheme::kDScheme), "/a/report.d02");
  EXPECT_EQ(SetPieceNumber("/a/report.exe", 2, PieceScheme::kDScheme), "/a/report.d02");
  EXPECT_EQ(SetPieceNumber("/a/report.d99", 100, PieceScheme::kDScheme), "/a/report.d100");
}

// Past piece 999 (or 99) the number takes more digits than the first piece's.
TEST(PieceNumberOf, ReadsEveryDigitTheNumberTook) {
  const struct {
    const char* name;
    PieceScheme scheme;
    int number;
  } cases[] = {
      {"/a/b.c.007", PieceScheme::kThreeDigit, 7},    {"/a/b.1031", PieceScheme::kThreeDigit, 1031},
      {"/a/b.x100", PieceScheme::kAddedChar, 100},    {"/a/b.d100", PieceScheme::kDScheme, 100},
      {"/a.dir/readme", PieceScheme::kThreeDigit, 0}, {"/a/b.", PieceScheme::kAddedChar, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PieceNumberOf(c.name, c.scheme), c.number) << c.name;
  }
}

TEST(SetPieceNumber, NameWithoutDotGetsOne) {
  EXPECT_EQ(SetPieceNumber("/a/readme", 2, PieceScheme::kDScheme), "/a/readme.d02");
  EXPECT_EQ(SetPieceNumber("/old.dir/readme", 2, PieceScheme::kThreeDigit), "/old.dir/readme.002");
  EXPECT_EQ(SetPieceNumber("", 1, PieceScheme::kAddedChar), ".01");
}

TEST(FirstPiece, ExtensionByType) {
  DivideSettings s;
  s.DivideType = 3;
  EXPECT_EQ(FirstPieceExtension(s, false), ".d01");
  EXPECT_EQ(FirstPieceExtension(s, true), ".exe");
  s.DivideType = 1;
  EXPECT_EQ(FirstPieceExtension(s, false), ".d01");
  s.DivideType = 0;
  EXPECT_EQ(FirstPieceExtension(s, true), ".exe");
  s.DivideExt = 0;
  EXPECT_EQ(FirstPieceExtension(s, false), ".000");
  s.DivideExt = 1;
  EXPECT_EQ(FirstPieceExtension(s, false), ".001");
  s.DivideExtAddC = true;
  s.DivideExtChar = 'a';
  EXPECT_EQ(FirstPieceExtension(s, false), ".a01");
  s.DivideExt = 0;
  EXPECT_EQ(FirstPieceExtension(s, false), ".a00");
  s.DivideExtChar = 'Q';
  EXPECT_EQ(FirstPieceExtension(s, false), ".q00");
  // No usable character: the three-digit scheme, never a NUL or a separator
  // in the name, nor a name read back as another kind of series.
  for (const char c : {'\0', '/', '\\', ' ', '\x7f', '0', '.', 'd', 'D'}) {
    s.DivideExtChar = c;
    EXPECT_EQ(FirstPieceExtension(s, false), ".000") << int{c};
  }
}

TEST(FirstPiece, ProposedNames) {
  DivideSettings s;
  s.DivideType = 0;
  s.DivideExt = 0;
  EXPECT_EQ(ProposeFirstPieceName("/a/b.c.txt", s, false), "/a/b.c.000");
  s.DivideExt = 1;
  EXPECT_EQ(ProposeFirstPieceName("/data/report.txt", s, false), "/data/report.001");
  s.DivideType = 3;
  EXPECT_EQ(ProposeFirstPieceName("/a/readme", s, false), "/a/readme.d01");
  EXPECT_EQ(ProposeFirstPieceName("/old.dir/readme", s, false), "/old.dir/readme.d01");
  EXPECT_EQ(ProposeFirstPieceName("/a/report.doc", s, true), "/a/report.exe");
  EXPECT_EQ(ProposeFirstPieceName("/home/ann/.profile", s, false), "/home/ann/.profile.d01");
  EXPECT_EQ(ProposeFirstPieceName("C:\\data\\report.txt", s, false), "C:\\data\\report.d01");
}

TEST(FirstPiece, DefaultDVUsesTheFirstRestoreFolder) {
  DivideSettings s;
  s.DivideType = 2;
  s.DefaultPaths.Restore[0] = "/media/usb/";
  s.DefaultPaths.Restore[1] = "/srv/restore/";
  EXPECT_EQ(ProposeFirstPieceName("/a/report.doc", s, false), "/a/report.d01");
  s.DefaultDV = true;
  EXPECT_EQ(ProposeFirstPieceName("/a/report.doc", s, false), "/media/usb/report.d01");
  // A folder typed with a backslash or a yen sign holds the pieces; it is no file beside them.
  s.DefaultPaths.Restore[0] = "/media/usb\\";
  EXPECT_EQ(ProposeFirstPieceName("/a/report.doc", s, false), "/media/usb/report.d01");
  s.DefaultPaths.Restore[1] = "/srv/restore￥";
  s.DefaultRS = true;
  EXPECT_EQ(ProposeTypedRestoredName("/a/r.d01", "r.doc", s), "/srv/restore/r.doc");
  s.DefaultPaths.Restore[0] = "/media/usb/file.bin";  // not a folder
  EXPECT_EQ(ProposeFirstPieceName("/a/report.doc", s, false), "/a/report.d01");
  s.DefaultPaths.Restore[0] = "";
  EXPECT_EQ(ProposeFirstPieceName("/a/report.doc", s, false), "/a/report.d01");
}

TEST(FirstPiece, EnforceExtension) {
  EXPECT_EQ(EnforceFirstPieceExtension("/a/b.d01", "/s/x.txt", ".d01"), "/a/b.d01");
  EXPECT_EQ(EnforceFirstPieceExtension("/a/b.D01", "/s/x.txt", ".d01"), "/a/b.D01");
  EXPECT_EQ(EnforceFirstPieceExtension("/a/b.X01", "/s/x.txt", ".x01"), "/a/b.X01");
  EXPECT_EQ(EnforceFirstPieceExtension("/a/b.d01", "/s/x.txt", ".001"), "/a/b.001");
  EXPECT_EQ(EnforceFirstPieceExtension("/a/b.000", "/s/x.txt", ".exe"), "/a/b.exe");
  EXPECT_EQ(EnforceFirstPieceExtension("/a/b.tar.gz", "/s/x.txt", ".d01"), "/a/b.tar.d01");
  EXPECT_EQ(EnforceFirstPieceExtension("/old.dir/readme", "/s/x.txt", ".d01"),
            "/old.dir/readme.d01");
  EXPECT_EQ(EnforceFirstPieceExtension("", "/s/x.txt", ".000"), "/s/x.000");
  EXPECT_EQ(EnforceFirstPieceExtension("d01", "", ".d01"), "d01.d01");
  EXPECT_EQ(EnforceFirstPieceExtension("", "", ".d01"), "");
}

TEST(Recognise, ByTheFirstThreeCharactersOfTheExtension) {
  auto r = RecognisePieceName("/a/b.X01");
  EXPECT_EQ(r.kind, PieceNameKind::kType0First);
  EXPECT_EQ(r.scheme, PieceScheme::kAddedChar);
  EXPECT_EQ(r.firstNumber, 1);

  r = RecognisePieceName("/a/b.a00");
  EXPECT_EQ(r.kind, PieceNameKind::kType0First);
  EXPECT_EQ(r.scheme, PieceScheme::kAddedChar);
  EXPECT_EQ(r.firstNumber, 0);

  r = RecognisePieceName("/a/b.0001");
  EXPECT_EQ(r.kind, PieceNameKind::kType0First);
  EXPECT_EQ(r.scheme, PieceScheme::kThreeDigit);
  EXPECT_EQ(r.firstNumber, 1);

  r = RecognisePieceName("/a/b.000");
  EXPECT_EQ(r.kind, PieceNameKind::kType0First);
  EXPECT_EQ(r.scheme, PieceScheme::kThreeDigit);
  EXPECT_EQ(r.firstNumber, 0);

  EXPECT_EQ(RecognisePieceName("/a/b.D01").kind, PieceNameKind::kTypedCandidate);
  EXPECT_EQ(RecognisePieceName("/a/b.d01").kind, PieceNameKind::kTypedCandidate);
  EXPECT_EQ(RecognisePieceName("/a/b.EXE").kind, PieceNameKind::kTypedCandidate);
  // Only ".exe" marks a candidate that is an ordinary program when no marker is found.
  EXPECT_TRUE(RecognisePieceName("/a/b.EXE").executable);
  EXPECT_FALSE(RecognisePieceName("/a/b.d01").executable);
  EXPECT_EQ(RecognisePieceName("/a/b.d02").kind, PieceNameKind::kFileToDivide);
  EXPECT_EQ(RecognisePieceName("/a/b.01").kind, PieceNameKind::kFileToDivide);
  EXPECT_EQ(RecognisePieceName("/a/b.002").kind, PieceNameKind::kFileToDivide);
  EXPECT_EQ(RecognisePieceName("/a/b.txt").kind, PieceNameKind::kFileToDivide);
  EXPECT_EQ(RecognisePieceName("/a/readme").kind, PieceNameKind::kFileToDivide);
  EXPECT_EQ(RecognisePieceName("/a/b.").kind, PieceNameKind::kFileToDivide);
  EXPECT_EQ(RecognisePieceName("").kind, PieceNameKind::kFileToDivide);
  // A dot in a folder name is no extension.
  EXPECT_EQ(RecognisePieceName("/x.001/readme").kind, PieceNameKind::kFileToDivide);
}

TEST(RestoredName, Type0) {
  DivideSettings s;
  // Without an extension the trailing "." goes, as a Windows file name drops it.
  EXPECT_EQ(ProposeType0RestoredName("/a/report.001", s), "/a/report");
  EXPECT_EQ(ProposeType0RestoredName("/a/report..001", s), "/a/report");
  EXPECT_EQ(ProposeType0RestoredName("/a/..001", s), "/a/_");
  s.RsDefaultExt = "txt";
  EXPECT_EQ(ProposeType0RestoredName("/a/report.001", s), "/a/report.txt");
  EXPECT_EQ(ProposeType0RestoredName("/a/report.x00", s), "/a/report.txt");
  s.DefaultPaths.Restore[0] = "/first/";
  s.DefaultPaths.Restore[1] = "/second/";
  EXPECT_EQ(ProposeType0RestoredName("/a/report.001", s), "/a/report.txt");
  s.DefaultRS = true;
  EXPECT_EQ(ProposeType0RestoredName("/a/report.001", s), "/second/report.txt");
  s.DefaultPaths.Restore[1] = "/second";
  EXPECT_EQ(ProposeType0RestoredName("/a/report.001", s), "/a/report.txt");
}

TEST(RestoredName, TypedUsesTheRecordedFileNameOnly) {
  DivideSettings s;
  EXPECT_EQ(ProposeTypedRestoredName("/m/usb/report.d01", "report.doc", s), "/m/usb/report.doc");
  EXPECT_EQ(ProposeTypedRestoredName("report.d01", "report.doc", s), "report.doc");
  EXPECT_EQ(ProposeTypedRestoredName("/m/p.d01", "../../etc/passwd", s), "/m/passwd");
  EXPECT_EQ(ProposeTypedRestoredName("/m/p.d01", "C:\\data\\報告.doc", s), "/m/報告.doc");
  EXPECT_EQ(ProposeTypedRestoredName("/m/p.d01", "", s), "/m/p");
  EXPECT_EQ(ProposeTypedRestoredName("/m/p.d01", "..", s), "/m/p");
  // Trailing dots and blanks go, as the name Windows would make.
  EXPECT_EQ(ProposeTypedRestoredName("/m/p.d01", "data. .", s), "/m/data");
  EXPECT_EQ(ProposeTypedRestoredName("/m/p.d01", "report.d04. ", s), "/m/report.d04");
  s.DefaultRS = true;
  s.DefaultPaths.Restore[1] = "/second/";
  EXPECT_EQ(ProposeTypedRestoredName("/m/usb/report.d01", "report.doc", s), "/second/report.doc");
}

}  // namespace
}  // namespace kv
