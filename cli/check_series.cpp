#include "cli/check_series.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "core/marker_scan.h"
#include "core/piece_names.h"
#include "core/typed_header_builder.h"
#include "core/typed_header_reader.h"
#include "platform/binary_file.h"
#include "tools/validity_check.h"

namespace kv {

namespace {

// Piece numbers go up to the largest a next header can hold.
constexpr int kMostPieces = 32767;

// The first header of a Type3 first piece (behind a stub when self-restoring).
std::optional<Type3FirstHeader> ReadFirstHeader(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::status(path, ec)) || ec) {
    return std::nullopt;  // opening a pipe could block
  }
  const std::unique_ptr<BinaryFile> file = BinaryFile::Open(path, BinaryFile::Mode::kRead);
  if (!file) {
    return std::nullopt;
  }
  const MarkerScan scan{.maxBlocks = kCheckScanBlocks,
                        .readLimit = file->Size() + 1024,
                        .firstBlockAlways = false,
                        .overlap = 5};
  const std::optional<std::int64_t> marker = FindMarker(*file, kType3FirstPattern, scan);
  if (!marker || !file->Seek(*marker + static_cast<std::int64_t>(kType3FirstPattern.size()))) {
    return std::nullopt;
  }
  Type3FirstHeader header = ParseType3FirstHeader(*file);
  if (header.status != HeaderStatus::kOk || header.sourceSize < 0 || header.pieceLength < 0) {
    return std::nullopt;
  }
  return header;
}

}  // namespace

std::optional<int> ImpliedPieceCount(std::int64_t sourceSize, std::int64_t pieceLength,
                                     std::int64_t firstHeaderLength) {
  const std::int64_t firstBody = pieceLength - firstHeaderLength;
  if (firstBody <= 0 && sourceSize > 0) {
    return std::nullopt;
  }
  std::int64_t remaining = sourceSize - std::max<std::int64_t>(firstBody, 0);
  int pieces = 1;
  while (remaining > 0) {
    if (++pieces > kMostPieces) {
      return std::nullopt;
    }
    const std::int64_t body = pieceLength - Type3NextHeaderLength(pieces);
    if (body <= 0) {
      return std::nullopt;
    }
    remaining -= body;
  }
  return pieces;
}

std::vector<SeriesSummary> SummariseSeries(const std::vector<std::string>& files) {
  std::vector<SeriesSummary> summaries;
  for (const std::string& first : files) {
    if (!IsCheckedAsFirstPiece(first)) {
      continue;
    }
    const std::optional<Type3FirstHeader> header = ReadFirstHeader(first);
    if (!header) {
      continue;
    }
    SeriesSummary summary{.firstPiece = first};
    // A header that implies no countable series can never be complete.
    summary.implied =
        ImpliedPieceCount(header->sourceSize, header->pieceLength, header->headerLength)
            .value_or(kMostPieces + 1);
    summary.present = 1;
    for (int number = 2; number <= std::min(summary.implied, kMostPieces); ++number) {
      const std::string piece = SetPieceNumber(first, number, PieceScheme::kDScheme);
      summary.present += std::find(files.begin(), files.end(), piece) != files.end() ? 1 : 0;
    }
    summaries.push_back(std::move(summary));
  }
  return summaries;
}

std::string FormatSeriesLine(const SeriesSummary& summary) {
  return summary.firstPiece + ": " + std::to_string(summary.present) + " of " +
         std::to_string(summary.implied) + " pieces, " +
         (summary.Complete() ? "complete" : "incomplete");
}

}  // namespace kv
