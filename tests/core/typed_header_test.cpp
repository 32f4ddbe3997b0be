#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/byte_source.h"
#include "core/crc16.h"
#include "core/packed_time.h"
#include "core/piece_format.h"
#include "core/typed_header_builder.h"
#include "core/typed_header_reader.h"
#include "platform/code_page.h"

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes B(std::string_view text) {
  return Bytes(text.begin(), text.end());
}
Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Type1Header, BuildsTheTwentyFourBytes) {
  EXPECT_EQ(BuildType1Header("ABC.TXT", 12345), B("ABC.TXT      "
                                                  "     12345 "));
  EXPECT_EQ(BuildType1Header("ABCDEFGH.TXT", 2147483647), B("ABCDEFGH.TXT 2147483647 "));
  EXPECT_TRUE(BuildType1Header("ABCDEFGHI.TXT", 1).empty());
  EXPECT_TRUE(BuildType1Header("", 1).empty());
}

TEST(Type1Header, ReadsAGoodHeaderAndKeepsThePosition) {
  const Bytes data = Cat(B("ABC.TXT           12345 "), B("body"));
  MemorySource src(data);
  Type1Header h;
  ASSERT_TRUE(IsType1Header(src, h));
  EXPECT_EQ(h.name, "ABC.TXT");
  EXPECT_EQ(h.sourceSize, 12345);
  EXPECT_EQ(h.headerLength, 24);
  EXPECT_EQ(src.Position(), 0);
}

TEST(Type1Header, RefusesBadShapes) {
  const char* const bad[] = {
      " BC.TXT           12345 ",  // leading space
      "AB C.TXT          12345 ",  // name character after padding
      "ABC.TXT     X     12345 ",  // byte 12 not a space
      "ABC.TXT           1234 5",  // byte 23 not a space
      "ABC.TXT           12 45 ",  // space after a digit
      "ABC.TXT           1234A ",  // not a digit
      "ABC.TXT                 ",  // no digits
      "ABC.TXT           12345",   // 23 bytes
      "..                12345 ",  // a name that names no file
  };
  for (const char* text : bad) {
    const Bytes data = B(text);
    MemorySource src(data);
    Type1Header h;
    EXPECT_FALSE(IsType1Header(src, h)) << text;
    EXPECT_EQ(src.Position(), 0);
  }
  Bytes control = B("ABC.TXT           12345 ");
  control[3] = 0x09;
  MemorySource src(control);
  Type1Header h;
  EXPECT_FALSE(IsType1Header(src, h));
}

TEST(Type2Header, BuildsAndReadsAnInnerSpaceName) {
  const Bytes header = BuildType2Header("a b.txt", 0x1234, 0x5A);
  Bytes expected{0x02, 0x5A};
  expected = Cat(expected, B("1234 a b.txt\x01"));
  EXPECT_EQ(header, expected);
  EXPECT_EQ(header.size(), 15u);

  const Bytes file = Cat(header, B("body"));
  MemorySource src(file);
  ASSERT_EQ(src.ReadByte(), 0x02);
  Type2Header h;
  ASSERT_TRUE(IsType2Header(src, h));
  EXPECT_EQ(src.Position(), 1);
  EXPECT_EQ(h.checkByte, 0x5A);
  EXPECT_EQ(h.name, "a b.txt");
  EXPECT_EQ(h.sourceSize, 0x1234);
  EXPECT_EQ(h.headerLength, 15);
}

TEST(Type2Header, RefusesBadShapes) {
  const char* const bad[] = {
      "\x7f"
      "12g4 a.txt\x01",  // lowercase hex digit
      "\x7f"
      "1234  a.txt\x01",  // name starts with a space
      "\x7f"
      "1234 a.txt \x01",  // name ends with a space
      "\x7f"
      "1234 a/b.txt\x01",  // slash
      "\x7f"
      "1234 a?.txt\x01",  // question mark
      "\x7f"
      "1234 a\"b\x01",  // double quote
      "\x7f"
      "1234 a\tb\x01",  // control byte
      "\x7f"
      "1234 a.txt",  // no end byte
  };
  for (const char* text : bad) {
    const Bytes data = B(text);
    MemorySource src(data);
    Type2Header h;
    EXPECT_FALSE(IsType2Header(src, h)) << text;
    EXPECT_EQ(src.Position(), 0);
  }
  // Names are kept up to 259 bytes; the end byte is looked for within the
  // 300 bytes behind the check byte.
  const auto withName = [](std::size_t length) {
    return B("\x7f" + std::string("12 ") + std::string(length, 'n') + "\x01");
  };
  Type2Header h;
  const Bytes name259 = withName(259);
  const Bytes name260 = withName(260);
  const Bytes name297 = withName(297);
  MemorySource longest(name259);
  EXPECT_TRUE(IsType2Header(longest, h));
  EXPECT_EQ(h.headerLength, 2 + 3 + 259 + 1);
  MemorySource tooLong(name260);
  EXPECT_FALSE(IsType2Header(tooLong, h));
  MemorySource beyondWindow(name297);
  EXPECT_FALSE(IsType2Header(beyondWindow, h));
}

TEST(Type2Header, NineDigitsEndTheSizeWhateverFollows) {
  const Bytes data =
      B("\x01"
        "123456789Xname\x01");
  MemorySource src(data);
  Type2Header h;
  ASSERT_TRUE(IsType2Header(src, h));
  EXPECT_EQ(h.sourceSize, 0x123456789LL);
  EXPECT_EQ(h.name, "name");
}

TEST(Type2Header, CodePage932NameWhoseSecondByteIsABackslash) {
  // "ソ.txt" in CP932: 0x83 0x5C, then ".txt".
  const Bytes data =
      B("\x01"
        "10 \x83\x5C.txt\x01");
  MemorySource src(data);
  Type2Header h;
  ASSERT_TRUE(IsType2Header(src, h, CodePage932ToUtf8));
  EXPECT_EQ(h.name, "\xE3\x82\xBD.txt");
}

// The first header of a 1,000,000-byte data.bin cut at 300,000 bytes.
Bytes DataBinFirstHeader(std::uint16_t id, std::uint16_t year, std::uint32_t packed) {
  Bytes h{0x03, '-', 'Q', 'X', '3', '-', 0x00, 0x0F, 0x42, 0x40, 0x00, 0x00, 0x04, 0x93, 0xDD};
  h.push_back(static_cast<std::uint8_t>(id));
  h.push_back(static_cast<std::uint8_t>(id >> 8));
  h = Cat(h, Bytes{0x01, 0x08});
  h = Cat(h, B("data.bin"));
  h = Cat(h,
          Bytes{0x03, 0x06, static_cast<std::uint8_t>(year), static_cast<std::uint8_t>(year >> 8)});
  for (int i = 0; i < 4; ++i) {
    h.push_back(static_cast<std::uint8_t>(packed >> (8 * i)));
  }
  h.push_back(0x00);
  return h;
}

TEST(Type3Header, FirstHeaderBytesAndReadBack) {
  const std::uint32_t packed = 9 | 8 << 6 | 7 << 12 | 6 << 17 | 5u << 22;
  const Bytes header = BuildType3FirstHeader(1'000'000, 299'997, 0xBEEF, "data.bin", 2004, packed);
  EXPECT_EQ(header, DataBinFirstHeader(0xBEEF, 2004, packed));
  EXPECT_EQ(header.size(), 36u);

  MemorySource src(header);
  ASSERT_TRUE(src.Seek(6));
  const Type3FirstHeader h = ParseType3FirstHeader(src);
  ASSERT_EQ(h.status, HeaderStatus::kOk);
  EXPECT_EQ(h.sourceSize, 1'000'000);
  EXPECT_EQ(h.pieceLength, 299'997);
  EXPECT_EQ(h.seriesId, 0xBEEF);
  EXPECT_EQ(h.storedName, "data.bin");
  EXPECT_EQ(h.year, 2004);
  EXPECT_EQ(h.packedTime, packed);
  EXPECT_EQ(h.headerLength, 36);
  EXPECT_EQ(h.BodyLength(), 299'961);
  EXPECT_EQ(h.RefusalText(), "");
}

TEST(Type3Header, NextHeadersOfTheSameSeries) {
  EXPECT_EQ(Type3NextHeaderLength(2), 13);
  EXPECT_EQ(BuildType3NextHeader(299'997, 0xBEEF, 2),
            (Bytes{'-', 'Q', 'X', '3', '-', 0x00, 0x04, 0x93, 0xDD, 0xEF, 0xBE, 0x02, 0x00}));
  // The fourth and last piece: 100,071 body bytes.
  const Bytes last = BuildType3NextHeader(13 + 100'071, 0xBEEF, 4);
  MemorySource src(last);
  ASSERT_TRUE(src.Seek(5));
  const Type3NextHeader h = ParseType3NextHeader(src);
  ASSERT_FALSE(h.broken);
  EXPECT_EQ(h.pieceLength, 100'084);
  EXPECT_EQ(h.seriesId, 0xBEEF);
  EXPECT_EQ(h.pieceNumber, 4);
  EXPECT_EQ(h.headerLength, 13);
  EXPECT_EQ(h.BodyLength(), 100'071);

  EXPECT_EQ(Type3NextHeaderLength(128), 14);
  const Bytes wide = BuildType3NextHeader(299'997, 1, 128);
  EXPECT_EQ(wide.size(), 14u);
  MemorySource wideSrc(wide);
  ASSERT_TRUE(wideSrc.Seek(5));
  const Type3NextHeader w = ParseType3NextHeader(wideSrc);
  EXPECT_EQ(w.pieceNumber, 128);
  EXPECT_EQ(w.headerLength, 14);
}

TEST(Type3Header, NextHeaderSkipsRecordsAndReportsANegativeBody) {
  const Bytes data{'-',  'Q',  'X',  '3',  '-',  0x00, 0x00, 0x00, 0x0A,
                   0x01, 0x00, 0x02, 0x07, 0x02, 0xAA, 0xBB, 0x00};
  MemorySource src(data);
  ASSERT_TRUE(src.Seek(5));
  const Type3NextHeader h = ParseType3NextHeader(src);
  ASSERT_FALSE(h.broken);
  EXPECT_EQ(h.headerLength, 17);
  EXPECT_EQ(h.BodyLength(), 10 - 17);
  // Cut inside the record: broken.
  const Bytes cut(data.begin(), data.end() - 2);
  MemorySource cutSrc(cut);
  ASSERT_TRUE(cutSrc.Seek(5));
  EXPECT_TRUE(ParseType3NextHeader(cutSrc).broken);
}

// A first header up to the records, followed by `records` as given.
Bytes FirstHeaderWith(std::uint8_t flags, const Bytes& records) {
  Bytes h{0x03, '-',   'Q',  'X',  '3',  '-',  0x00, 0x00, 0x10,
          0x00, flags, 0x00, 0x00, 0x08, 0x00, 0x34, 0x12};
  return Cat(h, records);
}

Type3FirstHeader ParseFirst(const Bytes& data) {
  MemorySource src(data);
  EXPECT_TRUE(src.Seek(6));
  return ParseType3FirstHeader(src);
}

const Bytes kNameRecord{0x01, 0x05, 'a', '.', 'b', 'i', 'n'};

TEST(Type3Header, UnknownRecordsAreSkippedAndTimeIsOptional) {
  const Type3FirstHeader h = ParseFirst(
      FirstHeaderWith(0, Cat(Bytes{0x07, 0x03, 'x', 'y', 'z'}, Cat(kNameRecord, {0x00}))));
  ASSERT_EQ(h.status, HeaderStatus::kOk);
  EXPECT_EQ(h.storedName, "a.bin");
  EXPECT_EQ(h.year, 0);
  EXPECT_EQ(h.seriesId, 0x1234);
  EXPECT_EQ(h.headerLength, 17 + 5 + 7 + 1);
}

TEST(Type3Header, RefusesCompressionEncryptionAndNewerVersions) {
  const Bytes end{0x00};
  const Type3FirstHeader both = ParseFirst(FirstHeaderWith(3, Cat(kNameRecord, end)));
  EXPECT_EQ(both.status, HeaderStatus::kCompressed);
  EXPECT_EQ(both.RefusalText(), "本バージョンでは圧縮されたファイルは復元できません。");
  const Type3FirstHeader enc = ParseFirst(FirstHeaderWith(2, Cat(kNameRecord, end)));
  EXPECT_EQ(enc.status, HeaderStatus::kEncrypted);
  EXPECT_EQ(enc.RefusalText(), "本バージョンでは暗号化されたファイルは復元できません。");
  // Bits beyond the two known ones are no refusal here.
  EXPECT_EQ(ParseFirst(FirstHeaderWith(4, Cat(kNameRecord, end))).status, HeaderStatus::kOk);

  const auto withVersion = [&](std::uint8_t major, std::uint8_t minor) {
    return ParseFirst(FirstHeaderWith(0, Cat(kNameRecord, Bytes{0x02, 0x02, major, minor, 0x00})));
  };
  EXPECT_EQ(withVersion(3, 12).status, HeaderStatus::kOk);
  EXPECT_EQ(withVersion(2, 99).status, HeaderStatus::kOk);
  const Type3FirstHeader v313 = withVersion(3, 13);
  EXPECT_EQ(v313.status, HeaderStatus::kNeedsNewerVersion);
  EXPECT_EQ(v313.RefusalText(), "このファイルの復元には、ver.3.13以降が必要です。");
  const Type3FirstHeader v400 = withVersion(4, 0);
  EXPECT_EQ(v400.status, HeaderStatus::kNeedsNewerVersion);
  EXPECT_EQ(v400.RefusalText(), "このファイルの復元には、ver.4.00以降が必要です。");
  // The minor byte is signed: 0xFF is -1, older than 12.
  EXPECT_EQ(withVersion(3, 0xFF).status, HeaderStatus::kOk);
}

TEST(Type3Header, BrokenHeaders) {
  const auto broken = [](const Bytes& records) {
    const Type3FirstHeader h = ParseFirst(FirstHeaderWith(0, records));
    return h.status == HeaderStatus::kBroken && h.RefusalText() == "分割ファイルが壊れています";
  };
  EXPECT_TRUE(broken(kNameRecord));                        // no end tag
  EXPECT_TRUE(broken(Bytes{0x00}));                        // no name record
  EXPECT_TRUE(broken(Bytes{0x01, 0x02, '.', '.', 0x00}));  // ".."
  // A control byte in the name is no fault: it becomes "_".
  EXPECT_EQ(ParseFirst(FirstHeaderWith(0, Bytes{0x01, 0x03, 'a', 0x0A, 'b', 0x00})).storedName,
            "a_b");
  EXPECT_TRUE(broken(Cat(kNameRecord, Bytes{0x03, 0x04, 1, 2, 3, 4, 0x00})));  // short time
  EXPECT_TRUE(broken(Cat(kNameRecord, Bytes{0x09, 0x05, 1, 2})));  // record past the end
  // A name record beyond 259 bytes.
  Bytes longName{0x01, 0x81, 0x04};  // 128 + 0x104 = 388
  longName.resize(longName.size() + 388, 'n');
  longName.push_back(0x00);
  EXPECT_TRUE(broken(longName));
  Bytes maxName{0x01, 0x80, 0x83};  // 259
  maxName.resize(maxName.size() + 259, 'n');
  maxName.push_back(0x00);
  EXPECT_FALSE(broken(maxName));
}

TEST(Type3Header, EveryTruncationOfAGoodHeaderIsBroken) {
  const Bytes header = BuildType3FirstHeader(5'000'000'000LL, 299'997, 7, "data.bin", 2024, 1);
  for (std::size_t n = 6; n < header.size(); ++n) {
    const Bytes cut(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(ParseFirst(cut).status, HeaderStatus::kBroken) << n;
  }
  const Type3FirstHeader h = ParseFirst(header);
  EXPECT_EQ(h.sourceSize, 5'000'000'000LL);
  EXPECT_EQ(h.headerLength, static_cast<std::int64_t>(header.size()));
}

TEST(FirstPiece, RecognisedByItsFirstByte) {
  EXPECT_EQ(RecogniseFirstPiece(0x02, false), FirstPieceKind::kType2);
  EXPECT_EQ(RecogniseFirstPiece(0x03, false), FirstPieceKind::kType3);
  EXPECT_EQ(RecogniseFirstPiece(4, false), FirstPieceKind::kUnknownType);
  EXPECT_EQ(RecogniseFirstPiece(9, false), FirstPieceKind::kUnknownType);
  EXPECT_EQ(RecogniseFirstPiece(10, false), FirstPieceKind::kType1);
  EXPECT_EQ(RecogniseFirstPiece(0x80, false), FirstPieceKind::kType1);
  EXPECT_EQ(RecogniseFirstPiece('A', false), FirstPieceKind::kType1);
  EXPECT_EQ(RecogniseFirstPiece(5, true), FirstPieceKind::kType1);
}

TEST(SeriesValues, CheckByteAndIdentity) {
  // K = CRC("123456789") = 0x31C3: 0x31 + 0xC3 + 4 + 2 + 0x34 + 0x00 = 0x12E.
  EXPECT_EQ(SeriesCheckByte("123456789", true, 0x1234, 1'457'664), 0x2E);
  EXPECT_EQ(SeriesCheckByte("123456789", false, 0x1234, 1'457'664), 0x2A);
  EXPECT_EQ(SeriesId("/home/a.txt", 3'000'000, false, 1'457'664, false, 1'000'000'000),
            Crc16Of(std::string("/home/a.txt3,000,000031457664"
                                "01000000000")));
  // Low 32 bits, signed; size below 1,000 has no comma.
  EXPECT_EQ(SeriesId("p", 999, true, 1024, true, 0x180000000LL),
            Crc16Of(std::string("p999131024"
                                "1-2147483648")));
}

TEST(PackedTime, PacksUtcAndConvertsBack) {
  // 2004-05-06 07:08:09 UTC
  const RecordedTime t = PackTime(1'083'827'289);
  EXPECT_EQ(t.year, 2004);
  EXPECT_EQ(t.packedTime, 9u | 8u << 6 | 7u << 12 | 6u << 17 | 5u << 22);
  const UtcFields f = UnpackTime(t.year, t.packedTime);
  EXPECT_EQ(f.month, 5);
  EXPECT_EQ(f.day, 6);
  EXPECT_EQ(RecordedTimeToUnixSeconds(t.year, t.packedTime), 1'083'827'289);
  EXPECT_EQ(RecordedTimeToUnixSeconds(2024, PackTime(UtcFields{2024, 2, 29, 23, 59, 59})),
            1'709'251'199);
  EXPECT_FALSE(RecordedTimeToUnixSeconds(2023, PackTime(UtcFields{2023, 2, 29, 0, 0, 0})));
  EXPECT_FALSE(RecordedTimeToUnixSeconds(2023, PackTime(UtcFields{2023, 13, 1, 0, 0, 0})));
  EXPECT_FALSE(RecordedTimeToUnixSeconds(2023, PackTime(UtcFields{2023, 1, 1, 24, 0, 0})));
  EXPECT_FALSE(RecordedTimeToUnixSeconds(0, 0));
}

// ---- The description of each divide type.

TEST(PieceFormat, FactsOfEachType) {
  const struct {
    int type;
    std::string_view firstExtension;
    std::int64_t smallest, largest, largestSource;
    int trailer;
    SeriesIdentity identity;
    std::int64_t mostPieces;
    bool recordsPieceLength, storedNameShort;
  } cases[] = {
      {0, "", 1, 1099511627776, INT64_MAX, 0, SeriesIdentity::kNone, 2147483647, false, false},
      {1, ".d01", 1024, 2147483647, 2147483647, 0, SeriesIdentity::kNone, 32895, false, true},
      {2, ".d01", 1024, 2147483647, 2147483647, 0, SeriesIdentity::kCheckByte, 32895, false, false},
      {3, ".d01", 1024, 1099511627776, INT64_MAX, 3, SeriesIdentity::kSeriesId, 32895, true, false},
  };
  for (const auto& c : cases) {
    const PieceFormat& f = PieceFormatOf(c.type);
    EXPECT_EQ(f.number, c.type);
    EXPECT_EQ(f.firstExtension, c.firstExtension) << c.type;
    EXPECT_EQ(f.smallestDivideSize, c.smallest) << c.type;
    EXPECT_EQ(f.largestDivideSize, c.largest) << c.type;
    EXPECT_EQ(f.largestSource, c.largestSource) << c.type;
    EXPECT_EQ(f.trailerLength, c.trailer) << c.type;
    EXPECT_EQ(f.identity, c.identity) << c.type;
    EXPECT_EQ(f.mostPieces, c.mostPieces) << c.type;
    EXPECT_EQ(f.recordsPieceLength, c.recordsPieceLength) << c.type;
    EXPECT_EQ(f.storedNameShort, c.storedNameShort) << c.type;
  }
  EXPECT_EQ(PieceFormatOf(7).number, 0);
  EXPECT_EQ(MarkedFormat().number, 3);
  EXPECT_EQ(FirstPieceFormat(0x02, false)->number, 2);
  EXPECT_EQ(FirstPieceFormat(0x03, false)->number, 3);
  EXPECT_EQ(FirstPieceFormat('A', false)->number, 1);
  EXPECT_EQ(FirstPieceFormat(5, false), nullptr);
}

TEST(PieceFormat, FirstHeaderLengthsAsTheSummaryReckonsThem) {
  const struct {
    int type;
    std::int64_t sourceSize;
    std::string_view name;
    std::int64_t divideSize;
    int length;
  } cases[] = {
      {0, 3000000, "report.doc", 1457664, 0},
      {1, 12345, "ABC.TXT", 1457664, 24},
      {2, 0x1234, "a b.txt", 1457664, 15},
      {3, 1000000, "data.bin", 0, 36},
      // A source size or piece length beyond 0x7FFFFFFF takes its 8-byte form.
      {3, 2147483648, "big.bin", 0, 39},
      {3, 9663676416, "big.img", 2147483650, 39},
      {3, 9663676416, "big.img", 2147483651, 43},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PieceFormatOf(c.type).firstHeaderLength(c.sourceSize, c.name, c.divideSize), c.length)
        << c.type << " " << c.sourceSize;
  }
  const std::string longName(200, 'n');
  for (std::int64_t size : {std::int64_t{5}, std::int64_t{2147483647}, std::int64_t{3000000000}}) {
    for (const std::string& name : {std::string("data.bin"), std::string(127, 'a'), longName}) {
      const SeriesFacts facts{.storedName = name, .sourceSize = size};
      EXPECT_EQ(static_cast<std::size_t>(PieceFormatOf(3).firstHeaderLength(size, name, 1024)),
                PieceFormatOf(3).buildFirstHeader(facts, 1024).size())
          << size << " " << name.size();
    }
  }
}

TEST(PieceFormat, HeadersEachTypeWrites) {
  const SeriesFacts facts{.sourcePath = "123456789",
                          .storedName = "a b.txt",
                          .sourceSize = 0x1234,
                          .selfRestoring = true};
  const NextHeaderFacts next{.pieceNumber = 2, .divideSize = 1457664, .identity = 0x2E};
  const struct {
    int type;
    Bytes first;
    Bytes next;
  } cases[] = {
      {0, {}, {}},
      {1,
       B("a b.txt      "
         "      4660 "),
       {}},
      {2, Cat(Bytes{0x02, 0x2E}, Cat(B("1234 a b.txt"), Bytes{0x01})), {0x2E}},
  };
  for (const auto& c : cases) {
    const PieceFormat& f = PieceFormatOf(c.type);
    EXPECT_EQ(f.buildFirstHeader(facts, 1457664), c.first) << c.type;
    EXPECT_EQ(f.buildNextHeader(next), c.next) << c.type;
    EXPECT_EQ(f.nextHeaderLength(next), static_cast<int>(c.next.size())) << c.type;
    // Unchecked pieces end with their body.
    EXPECT_EQ(f.Trailer(0xA1B2), Bytes{}) << c.type;
  }
  EXPECT_EQ(PieceFormatOf(2).seriesIdentity(facts, 1457664), 0x2E);

  // Type3 at 300,000 bytes: a full second piece, then the last with 100,071 bytes.
  const PieceFormat& t3 = PieceFormatOf(3);
  const Bytes second{'-', 'Q', 'X', '3', '-', 0x00, 0x04, 0x93, 0xDD, 0xEF, 0xBE, 0x02, 0x00};
  EXPECT_EQ(t3.buildNextHeader({2, 300000, 700039, 0xBEEF}), second);
  const Bytes last{'-', 'Q', 'X', '3', '-', 0x00, 0x01, 0x86, 0xF4, 0xEF, 0xBE, 0x04, 0x00};
  EXPECT_EQ(t3.buildNextHeader({4, 300000, 100071, 0xBEEF}), last);
  // Long forms: piece number 128, piece length beyond 0x7FFFFFFF.
  EXPECT_EQ(t3.nextHeaderLength({128, 300000, 100071, 0}), 14);
  EXPECT_EQ(t3.nextHeaderLength({2, 2147483650, 4000000000, 0}), 13);
  EXPECT_EQ(t3.nextHeaderLength({2, 2147483651, 4000000000, 0}), 17);
  EXPECT_EQ(t3.nextHeaderLength({128, 4294967295, 4000000000, 0}), 18);
  // The first header's piece length leaves room for the stub and the trailer.
  const SeriesFacts stubbed{.storedName = "data.bin", .sourceSize = 1000000, .stubSize = 1000};
  const Bytes head = t3.buildFirstHeader(stubbed, 301000);
  EXPECT_EQ(Bytes(head.begin(), head.begin() + 17),
            (Bytes{0x03, '-', 'Q', 'X', '3', '-', 0x00, 0x0F, 0x42, 0x40, 0x00, 0x00, 0x04, 0x93,
                   0xDD, head[15], head[16]}));
  EXPECT_EQ(head[15] | head[16] << 8, t3.seriesIdentity(stubbed, 301000));
  // The body's CRC-16, low byte first, and the end tag close every piece.
  EXPECT_EQ(t3.Trailer(0xA1B2), (Bytes{0xB2, 0xA1, 0x00}));
}

TEST(PieceFormat, ReadsTheFirstHeaderOfItsType) {
  const Bytes type3 =
      Cat(Bytes{0xEE, 0xEE}, BuildType3FirstHeader(1000000, 299997, 0xBEEF, "data.bin", 2004, 77));
  const struct {
    int type;
    Bytes piece;
    std::optional<std::int64_t> marker;
    std::string name;
    std::int64_t sourceSize;
    int headerLength;
    std::uint16_t identity;
  } cases[] = {
      {1, B("ABC.TXT           12345 body"), std::nullopt, "ABC.TXT", 12345, 24, 0},
      {2, Cat(Bytes{0x02, 0x2E}, Cat(B("1234 a b.txt"), Bytes{0x01})), std::nullopt, "a b.txt",
       0x1234, 15, 0x2E},
      {3, type3, 2, "data.bin", 1000000, 36, 0xBEEF},
  };
  for (const auto& c : cases) {
    MemorySource src(c.piece);
    const FirstHeaderRead read = PieceFormatOf(c.type).readFirstHeader(src, c.marker, nullptr);
    EXPECT_EQ(read.refusal, "") << c.type;
    EXPECT_EQ(read.storedName, c.name) << c.type;
    EXPECT_EQ(read.sourceSize, c.sourceSize) << c.type;
    EXPECT_EQ(read.headerLength, c.headerLength) << c.type;
    EXPECT_EQ(read.identity, c.identity) << c.type;
  }
  const Bytes notAHeader = B("not a header at all, really");
  MemorySource garbage(notAHeader);
  for (int type : {0, 1, 2, 3}) {
    EXPECT_EQ(
        PieceFormatOf(type).readFirstHeader(garbage, std::nullopt, nullptr).refusal,
        type == 3 ? "分割ファイルが壊れています" : "分割ファイルでないか、ファイルが壊れています。")
        << type;
  }
  // A piece length that ends inside the header is broken to a restore; the
  // check's series walk keeps the header and counts its body as empty.
  const Bytes shortLength =
      Cat(Bytes{0xEE, 0xEE}, BuildType3FirstHeader(1000000, 10, 0xBEEF, "data.bin", 2004, 77));
  MemorySource strict(shortLength);
  EXPECT_EQ(PieceFormatOf(3).readFirstHeader(strict, 2, nullptr).refusal,
            "分割ファイルが壊れています");
  MemorySource lenient(shortLength);
  const FirstHeaderRead kept = MarkedFormat().checkFirstHeader(lenient, 2, nullptr);
  EXPECT_EQ(kept.refusal, "");
  EXPECT_EQ(kept.pieceLength, 10);
  EXPECT_EQ(kept.headerLength, 36);
}

TEST(PieceFormat, ReadsTheHeaderOfAFollowingPiece) {
  const Bytes second{'-', 'Q', 'X', '3', '-', 0x00, 0x04, 0x93, 0xDD, 0xEF, 0xBE, 0x02, 0x00};
  const struct {
    int type;
    Bytes piece;
    std::int64_t from;
    bool identified, whole;
    std::uint16_t identity;
    std::int32_t number;
    std::int64_t headerLength, body;
  } cases[] = {
      {0, {}, 0, true, true, 0, -1, 0, -1},
      {1, B("body"), 0, true, true, 0, -1, 0, -1},
      {2, {0x2E, 'b'}, 0, true, true, 0x2E, -1, 1, -1},
      {2, {}, 0, false, false, 0, -1, 1, -1},
      {3, second, 5, true, true, 0xBEEF, 2, 13, 299984},
      // Cut before its end tag: the fields tie it to the series, the header is broken.
      {3, Bytes(second.begin(), second.end() - 1), 5, true, false, 0xBEEF, 2, 0, -1},
      {3, Bytes(second.begin(), second.begin() + 10), 5, false, false, 0, -1, 0, -1},
  };
  for (const auto& c : cases) {
    MemorySource src(c.piece);
    ASSERT_TRUE(src.Seek(c.from));
    const NextHeaderRead h = PieceFormatOf(c.type).readNextHeader(src);
    EXPECT_EQ(h.identified, c.identified) << c.type << " " << c.piece.size();
    EXPECT_EQ(h.whole, c.whole) << c.type << " " << c.piece.size();
    if (c.identified) {
      EXPECT_EQ(h.identity, c.identity) << c.type;
      EXPECT_EQ(h.pieceNumber, c.number) << c.type;
    }
    EXPECT_EQ(h.headerLength, c.headerLength) << c.type << " " << c.piece.size();
    EXPECT_EQ(h.bodyLength, c.body) << c.type << " " << c.piece.size();
  }
  const NextHeaderRead numbered{.identity = 0xBEEF, .pieceNumber = 2};
  EXPECT_TRUE(BelongsToSeries(numbered, 0xBEEF, 2));
  EXPECT_FALSE(BelongsToSeries(numbered, 0xBEEF, 3));
  EXPECT_FALSE(BelongsToSeries(numbered, 0xBEEE, 2));
  EXPECT_TRUE(BelongsToSeries({.identity = 0x2E}, 0x2E, 9));
}

TEST(PieceFormat, TheCheckWalksAHeaderLeniently) {
  using End = HeaderCheck::End;
  const Bytes next{'-', 'Q', 'X', '3', '-', 0x00, 0x04, 0x93, 0xDD, 0xEF, 0xBE, 0x02, 0x00};
  // No records at all, and content flags 3: the check still reaches the body.
  const Bytes bare{0x03, '-',  'Q',  'X',  '3',  '-',  0x00, 0x00, 0x00,
                   0x05, 0x03, 0x00, 0x00, 0x00, 0x20, 0x01, 0x02, 0x00};
  Bytes flags4 = bare;
  flags4[10] = 0x04;
  const struct {
    int type;
    Bytes piece;
    std::int64_t marker;
    bool first;
    End end;
    std::int64_t body;
  } cases[] = {
      {3, bare, 0, true, End::kBody, 5},  // 32 − 18, no more than the source's 5
      {3, flags4, 0, true, End::kUnsupported, 0},
      {3, Bytes(bare.begin(), bare.end() - 1), 0, true, End::kBroken, 0},
      {3, next, 0, false, End::kBody, 299984},
      {3, Cat(Bytes{'x'}, next), 1, false, End::kBody, 299984},
      {0, next, 0, false, End::kUnsupported, 0},
      {1, next, 0, false, End::kUnsupported, 0},
      {2, next, 0, false, End::kUnsupported, 0},
  };
  for (const auto& c : cases) {
    MemorySource src(c.piece);
    ASSERT_TRUE(src.Seek(c.marker + (c.first ? 6 : 5)));
    const HeaderCheck check = PieceFormatOf(c.type).checkHeader(src, c.marker, c.first);
    EXPECT_EQ(check.end, c.end) << c.type << " " << c.piece.size();
    EXPECT_EQ(check.bodyLength, c.body) << c.type << " " << c.piece.size();
  }
}

TEST(PieceFormat, MediaEstimateAndPiecesWritten) {
  const struct {
    int type;
    std::int64_t sourceSize, divideSize, headerLength, media;
  } estimates[] = {
      {0, 3000000, 1457664, 0, 3},
      {0, 1457665, 1457664, 0, 2},
      // (S + H − T) ÷ (D − T + 1) + 1.
      {1, 3000, 1024, 24, 3},
      {2, 3000, 1024, 20, 3},
      {2, 2000, 1024, 20, 2},
      // Type3: 199 pieces by the first formula, no correction left over.
      {3, 200000, 1024, 36, 199},
      // (S + H − 12) = 1009 × 200 + 1000: 201 pieces, one more for the longer next headers.
      {3, 202776, 1024, 36, 202},
      {3, 202776, 16, 36, 0},
  };
  for (const auto& c : estimates) {
    const PieceFormat& f = PieceFormatOf(c.type);
    EXPECT_EQ(f.mediaCount(c.sourceSize, c.divideSize, c.headerLength), c.media)
        << c.type << " " << c.sourceSize;
    if (c.type != 3) {
      EXPECT_EQ(f.piecesWritten(c.sourceSize, c.divideSize, c.headerLength, 0), c.media);
    }
  }
  // Type3 at 1,024 bytes with a 35-byte first header: 986 body bytes in the
  // first piece, 1,008 in pieces 2 to 127, 1,007 from piece 128 on.
  const struct {
    std::int64_t sourceSize, stubSize, divideSize, pieces;
  } written[] = {
      {986, 0, 1024, 1},
      {987, 0, 1024, 2},
      {127994, 0, 1024, 127},
      {127995, 0, 1024, 128},
      {129001, 0, 1024, 128},
      {129002, 0, 1024, 129},
      {33125370, 0, 1024, 32895},
      {33125371, 0, 1024, 32896},
      // A 2,000-byte stub leaves 2,058 body bytes in a first piece of 4,096.
      {2058, 2000, 4096, 1},
      {2059, 2000, 4096, 2},
  };
  for (const auto& c : written) {
    EXPECT_EQ(PieceFormatOf(3).piecesWritten(c.sourceSize, c.divideSize, 35, c.stubSize), c.pieces)
        << c.sourceSize;
  }
  EXPECT_EQ(PieceFormatOf(0).piecesWritten(2147483648, 1, 0, 0), 2147483648);
}

}  // namespace
}  // namespace kv
