// The program's reader and the self-restoring stub's reader over the same
// first headers: the same verdict, the same fields and the same file name,
// for a table of cases and for generated headers.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/byte_source.h"
#include "core/divide_settings.h"
#include "core/flagged_int.h"
#include "core/piece_names.h"
#include "core/typed_header_reader.h"
#include "platform/code_page.h"
#include "tests/support/temp_dir.h"

extern "C" {
#include "restorer/cp932.h"
#include "restorer/names.h"
#include "restorer/series.h"
}

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What a reader made of a header; `name` is the file name a restore creates
// when the first piece is "stub.exe".
struct Reading {
  std::string verdict;  // "ok", "broken", "compressed", "encrypted", "needs M.m"
  std::string name;
  std::int64_t sourceSize = 0, pieceLength = 0, headerLength = 0;
  unsigned seriesId = 0, year = 0, packedTime = 0;
  bool operator==(const Reading&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Reading& r) {
  return os << r.verdict << " [" << r.name << "] " << r.sourceSize << '/' << r.pieceLength << '/'
            << r.headerLength << '/' << r.seriesId << '/' << r.year << '/' << r.packedTime;
}

std::string Needs(int major, int minor) {
  return "needs " + std::to_string(major) + "." + std::to_string(minor);
}

Reading Refused(std::string verdict) {
  Reading r;
  r.verdict = std::move(verdict);
  return r;
}

// `bytes` start with the six-byte first-piece pattern.
Reading ProgramReading(const Bytes& bytes) {
  MemorySource src(bytes);
  src.Seek(6);
  const Type3FirstHeader h = ParseType3FirstHeader(src, CodePage932ToUtf8);
  Reading r;
  switch (h.status) {
    case HeaderStatus::kOk:
      r.verdict = h.BodyLength() < 0 ? "broken" : "ok";
      break;
    case HeaderStatus::kCompressed:
      return Refused("compressed");
    case HeaderStatus::kEncrypted:
      return Refused("encrypted");
    case HeaderStatus::kNeedsNewerVersion:
      return Refused(Needs(h.requiredMajor, h.requiredMinor));
    case HeaderStatus::kBroken:
      return Refused("broken");
  }
  if (r.verdict == "ok") {
    r.name = ProposeTypedRestoredName("stub.exe", h.storedName, DivideSettings{});
    r.sourceSize = h.sourceSize;
    r.pieceLength = h.pieceLength;
    r.headerLength = h.headerLength;
    r.seriesId = h.seriesId;
    r.year = h.year;
    r.packedTime = h.packedTime;
  }
  return r;
}

Reading RestorerReading(const TempDir& dir, const Bytes& bytes) {
  WriteFileBytes(dir / "stub.exe", bytes);
  auto in = std::make_unique<reader>();
  EXPECT_TRUE(rd_open(in.get(), (dir / "stub.exe").c_str()));
  auto h = std::make_unique<first_header>();
  int version[2];
  const header_status status = read_first_header(in.get(), 0, h.get(), version);
  rd_close(in.get());
  switch (status) {
    case HEADER_OK:
      break;
    case HEADER_COMPRESSED:
      return Refused("compressed");
    case HEADER_ENCRYPTED:
      return Refused("encrypted");
    case HEADER_NEWER_VERSION:
      return Refused(Needs(version[0], version[1]));
    case HEADER_BROKEN:
      return Refused("broken");
  }
  char name[SYS_PATH_MAX];
  restored_name(h->name, "stub.exe", name, sizeof name);
  return {"ok",
          name,
          h->source_size,
          h->piece_length,
          h->header_length,
          h->series_id,
          static_cast<unsigned>(h->year),
          static_cast<unsigned>(h->packed_time)};
}

// The pattern, source size 1,000, no flags, piece length 500, identity
// 0xBEEF, then `records` (the end tag not included).
Bytes Header(const Bytes& records) {
  Bytes h = {0x03, '-', 'Q', 'X', '3', '-', 0, 0, 0x03, 0xE8, 0, 0, 0, 0x01, 0xF4, 0xEF, 0xBE};
  h.insert(h.end(), records.begin(), records.end());
  return h;
}

Bytes NameRecord(const std::string& name) {
  Bytes r = {1};
  AppendFlaggedInt16(r, static_cast<std::int64_t>(name.size()));
  r.insert(r.end(), name.begin(), name.end());
  return r;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Bytes kEnd = {0};
const Bytes kTime = {3, 6, 0xD4, 0x07, 0x45, 0x23, 0x01, 0x00};  // 2004, 0x12345

TEST(HeaderAgreement, CasesReadAlike) {
  const struct {
    const char* what;
    Bytes bytes;
    std::string verdict;
    std::string name;  // when "ok"
  } cases[] = {
      {"plain", Header(NameRecord("data.bin") + kTime + kEnd), "ok", "data.bin"},
      {"unknown tag skipped", Header(NameRecord("a") + Bytes{7, 3, 1, 2, 3} + kEnd), "ok", "a"},
      {"time of 4 bytes", Header(NameRecord("a") + Bytes{3, 4, 1, 2, 3, 4} + kEnd), "broken", ""},
      {"version of 1 byte", Header(NameRecord("a") + Bytes{2, 1, 3} + kEnd), "broken", ""},
      {"version 3.12", Header(NameRecord("a") + Bytes{2, 2, 3, 12} + kEnd), "ok", "a"},
      {"version 3.13", Header(NameRecord("a") + Bytes{2, 2, 3, 13} + kEnd), "needs 3.13", ""},
      {"version 4.0 before a record past the end", Header(Bytes{2, 2, 4, 0, 7, 9, 1}), "needs 4.0",
       ""},
      {"version 4.0 in a record past the end", Header(Bytes{2, 4, 4, 0, 1}), "broken", ""},
      {"a broken name before a good one", Header(NameRecord("..") + NameRecord("a") + kEnd),
       "broken", ""},
      {"no name", Header(kTime + kEnd), "broken", ""},
      {"name of 260 bytes", Header(NameRecord(std::string(260, 'n')) + kEnd), "broken", ""},
      {"piece shorter than its header",
       [] {
         Bytes h = Header(NameRecord("a") + kEnd);
         h[13] = 0;
         h[14] = 20;  // piece length 20, header 21
         return h;
       }(),
       "broken", ""},
      {"compression wins",
       [] {
         Bytes h = Header(NameRecord("a") + kEnd);
         h[10] = 3;
         return h;
       }(),
       "compressed", ""},
      {"encrypted",
       [] {
         Bytes h = Header(NameRecord("a") + kEnd);
         h[10] = 2;
         return h;
       }(),
       "encrypted", ""},
      // Names: read as UTF-8, code page 932 or Latin-1 before they are cut.
      {"CP932 with a 0x5C trail", Header(NameRecord("\x95\x5C\x8E\xA6.txt") + kEnd), "ok",
       "表示.txt"},
      {"CP932 hiragana", Header(NameRecord("\x82\xA0.txt") + kEnd), "ok", "あ.txt"},
      {"CP932 cut at a real separator", Header(NameRecord("dir\\\x83\x5C") + kEnd), "ok", "ソ"},
      {"half-width katakana", Header(NameRecord("\xB1.txt") + kEnd), "ok", "ｱ.txt"},
      {"UTF-8 with a stray byte", Header(NameRecord("\xC3\xA9\xFF.txt") + kEnd), "ok", "Ã©ÿ.txt"},
      {"path", Header(NameRecord("C:\\Users\\ann\\報告.txt") + kEnd), "ok", "報告.txt"},
      {"relative path", Header(NameRecord("../../etc/passwd") + kEnd), "ok", "passwd"},
      {"reserved characters", Header(NameRecord("a<b>c:d\"e|f?g*h") + kEnd), "ok",
       "a_b_c_d_e_f_g_h"},
      {"C1 and overrides",
       Header(NameRecord("a\xC2\x85"
                         "b\xE2\x80\xAE"
                         "c\xE2\x81\xA9") +
              kEnd),
       "ok", "a_b_c_"},
      {"their neighbours", Header(NameRecord("\xE2\x80\xA9\xE2\x81\xA5\xC2\xA0") + kEnd), "ok",
       "\xE2\x80\xA9\xE2\x81\xA5\xC2\xA0"},
      {"controls", Header(NameRecord(std::string("a\tb\0c\x7F", 6)) + kEnd), "ok", "a_b_c_"},
      {"overlong slash", Header(NameRecord("\xC0\xAF") + kEnd), "ok", "ﾀｯ"},
      {"surrogate", Header(NameRecord("\xED\xA0\x80") + kEnd), "ok", "\xC3\xAD\xC2\xA0_"},
      {"trailing dots and blanks", Header(NameRecord("data. .") + kEnd), "ok", "data"},
      {"only dots", Header(NameRecord("...") + kEnd), "ok", "stub"},
      {"empty name", Header(NameRecord("") + kEnd), "broken", ""},
      {"folder only", Header(NameRecord("dir/") + kEnd), "broken", ""},
      {"dot dot", Header(NameRecord("a/..") + kEnd), "broken", ""},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Reading program = ProgramReading(c.bytes);
    EXPECT_EQ(program.verdict, c.verdict);
    EXPECT_EQ(program.name, c.name);
    EXPECT_EQ(RestorerReading(dir, c.bytes), program);
  }
}

// Pieces names are made of: ASCII, separators, dots, blanks, CP932 pairs
// (some ending in 0x5C), UTF-8, controls and bytes valid in neither.
const char* const kNameParts[] = {
    "a",        "Z.txt", ".",        " ",    "/",        "\\",   "\x95\x5C", "\x83\x5C",
    "\x82\xA0", "\xB1",  "\xC3\xA9", "\xFF", "\x80",     "\x7F", "<",        "\xE2\x80\xAE",
    "\xC2\x85", "\x81",  "\xFD",     "\xA0", "\x88\x9F", "テ",   "\xED\x40", "\x87\x40",
};

Bytes RandomRecord(std::mt19937& rng) {
  const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const int tags[] = {1, 1, 1, 2, 3, 3, 7};
  const int tag = tags[pick(7)];
  std::string data;
  if (tag == 1) {
    for (int k = pick(8); k >= 0; --k) {
      data += kNameParts[pick(static_cast<int>(std::size(kNameParts)))];
    }
    if (pick(20) == 0) {
      data.push_back('\0');
    }
  } else {
    const char versions[][2] = {{3, 12}, {3, 13}, {4, 0}, {2, 99}, {-1, 0}, {3, -1}};
    data = tag == 2 ? std::string(versions[pick(6)], 2) : std::string(6, '\0');
    for (std::size_t k = tag == 2 ? 2 : 0; k < data.size(); ++k) {
      data[k] = static_cast<char>(rng());
    }
  }
  // Now and then a stored length that disagrees with the data.
  const int length = std::max(0, static_cast<int>(data.size()) + (pick(5) == 0 ? pick(5) - 2 : 0));
  Bytes r = {static_cast<std::uint8_t>(tag)};
  AppendFlaggedInt16(r, length);
  return r + Bytes(data.begin(), data.end());
}

Bytes RandomHeader(std::mt19937& rng) {
  const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  Bytes h = {0x03, '-', 'Q', 'X', '3', '-'};
  AppendFlaggedInt64(h, pick(4) == 0 ? 0x80000000LL + pick(1000) : pick(100000));
  const std::uint8_t flags[] = {0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 0x80};
  h.push_back(flags[pick(static_cast<int>(std::size(flags)))]);
  AppendFlaggedInt64(h, pick(8) == 0 ? pick(40) : pick(100000));
  h.push_back(static_cast<std::uint8_t>(rng()));
  h.push_back(static_cast<std::uint8_t>(rng()));
  for (int k = pick(4); k >= 0; --k) {
    h = h + RandomRecord(rng);
  }
  h.push_back(0);
  if (pick(5) == 0) {
    h.resize(static_cast<std::size_t>(6 + pick(static_cast<int>(h.size()) - 5)));
  } else {
    h.push_back(0x55);  // a body byte
  }
  return h;
}

TEST(HeaderAgreement, GeneratedHeadersReadAlike) {
  std::mt19937 rng(20);
  TempDir dir;
  std::map<std::string, int> verdicts;
  for (int i = 0; i < 600; ++i) {
    const Bytes bytes = RandomHeader(rng);
    const Reading program = ProgramReading(bytes);
    ASSERT_EQ(RestorerReading(dir, bytes), program) << "header " << i;
    ++verdicts[program.verdict.substr(0, 5)];
  }
  // The generator reaches every verdict, good headers among them.
  for (const char* verdict : {"ok", "broke", "compr", "encry", "needs"}) {
    EXPECT_GE(verdicts[verdict], 20) << verdict;
  }
}

// Every one- and two-byte sequence reads the same through the stub's table
// as through the program's converter.
TEST(HeaderAgreement, CodePage932ReadsAlike) {
  char out[16];
  // No zero byte: the stub's reader makes it a control byte before reading.
  for (unsigned first = 0x80; first < 0x100; ++first) {
    for (unsigned second = 1; second < 0x101; ++second) {
      std::string bytes(1, static_cast<char>(first));
      if (second < 0x100) {
        bytes.push_back(static_cast<char>(second));
      }
      const std::optional<std::string> program = CodePage932ToUtf8(bytes);
      const int read = cp932_to_utf8(reinterpret_cast<const unsigned char*>(bytes.data()),
                                     static_cast<int>(bytes.size()), out, sizeof out);
      ASSERT_EQ(read != 0, program.has_value()) << std::hex << first << ' ' << second;
      if (read) {
        ASSERT_EQ(out, *program) << std::hex << first << ' ' << second;
      }
    }
  }
}

}  // namespace
}  // namespace kv::test
