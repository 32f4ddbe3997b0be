#pragma once
// Writes a typed piece series from a block of bytes the way the typed divide
// lays it out (Type1, Type2, Type3, optionally behind a stub), and prepares a
// JobState as the source analysis and Execute leave it for restoring it.

#include <cstdint>
#include <string>
#include <vector>

#include "core/job_state.h"

namespace kv::test {

struct SeriesLayout {
  int type = 3;
  std::int64_t divideSize = 300000;
  std::string storedName = "data.bin";
  std::vector<std::uint8_t> stub;  // a self-restoring first piece starts with these bytes
  std::uint16_t seriesId = 0x5EC1;
  std::uint8_t checkByte = 0x5A;  // Type2
  std::uint16_t year = 2004;      // Type3 ModifiedTime record
  std::uint32_t packedTime = 0;
};

struct WrittenSeries {
  SeriesLayout layout;
  std::int64_t sourceSize = 0;
  std::vector<std::string> pieces;  // the first piece's name, then .d02, .d03, ...
  int headerLength = 0;             // of the first header, counted from the marker
  std::int64_t firstPieceLength = 0;
  // Where each piece's body starts inside its file, and its length.
  std::vector<std::int64_t> bodyOffsets;
  std::vector<std::int64_t> bodyLengths;
};

// Writes the series of `data` starting at `firstPiece` (".d01" or ".exe").
WrittenSeries WriteTypedSeries(const std::string& firstPiece, const std::vector<std::uint8_t>& data,
                               const SeriesLayout& layout);

// The findings of the analysis of the series' first piece, the names Execute
// publishes (destination `dest`, fixed drive), and RunState = 1.
void PrepareTypedRestore(JobState& job, const WrittenSeries& series, const std::string& dest);

// The Type3 trailer of a body: CRC-16 low byte first, then the end tag.
std::vector<std::uint8_t> Type3Trailer(const std::vector<std::uint8_t>& body);

}  // namespace kv::test
