#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/byte_source.h"
#include "core/crc16.h"
#include "core/packed_time.h"
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

}  // namespace
}  // namespace kv
