#include "tools/series_walk.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string_view>

#include "core/marker_scan.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "platform/binary_file.h"
#include "platform/code_page.h"
#include "platform/file_helpers.h"
#include "recovery/series_pieces.h"
#include "tools/validity_check.h"
#include "tools/validity_head.h"

namespace kv {

namespace {

// Piece numbers read from names stay within what a next header can hold.
constexpr std::size_t kMostNumberDigits = 5;

// Opens a regular file and finds `pattern` within the bounds the check uses;
// the piece is left just behind the pattern.
std::unique_ptr<HeadReadSource> OpenBehindPattern(const std::string& path,
                                                  std::string_view pattern) {
  if (!IsRegularFile(path)) {
    return nullptr;  // opening a pipe could block
  }
  std::unique_ptr<BinaryFile> file =
      BinaryFile::Open(path, BinaryFile::Mode::kRead).ValueOr(nullptr);
  if (!file) {
    return nullptr;
  }
  auto piece = std::make_unique<HeadReadSource>(std::move(file));
  const std::optional<std::int64_t> marker =
      FindMarker(*piece, pattern, CheckMarkerScan(piece->Size()));
  if (!marker || !piece->Seek(*marker + static_cast<std::int64_t>(pattern.size()))) {
    return nullptr;
  }
  return piece;
}

// The first header of a first piece of the marked format (behind a stub
// when self-restoring), as a check reads it.
std::optional<FirstHeaderRead> ReadFirstHeader(const std::string& path) {
  const PieceFormat& format = MarkedFormat();
  const std::unique_ptr<HeadReadSource> file = OpenBehindPattern(path, format.firstPattern);
  if (!file) {
    return std::nullopt;
  }
  const std::int64_t marker = file->Position() - std::ssize(format.firstPattern);
  // Names recorded on Japanese Windows read as the restore reads them.
  FirstHeaderRead header = format.checkFirstHeader(*file, marker, CodePage932ToUtf8);
  if (!header.refusal.empty()) {
    return std::nullopt;
  }
  return header;
}

// The body length of the piece at `path` when its header says it is piece
// `number` of the series `seriesId` and holds a body; nothing otherwise.
std::optional<std::int64_t> MemberBody(const std::string& path, std::uint16_t seriesId,
                                       int number) {
  const std::unique_ptr<HeadReadSource> file = OpenBehindPattern(path, MarkedFormat().nextPattern);
  if (!file) {
    return std::nullopt;
  }
  const NextHeaderRead header = MarkedFormat().readNextHeader(*file);
  if (!header.whole || !BelongsToSeries(header, seriesId, number) || header.bodyLength <= 0) {
    return std::nullopt;
  }
  return header.bodyLength;
}

// The number of a following piece of `first`'s series that `name` carries.
std::optional<int> NumberInName(const std::string& first, const std::string& name) {
  const std::size_t stem = first.rfind('.') + 1;  // first pieces end in d01 or exe
  if (name.size() <= stem + 1 || name.compare(0, stem, first, 0, stem) != 0 || name[stem] != 'd') {
    return std::nullopt;
  }
  const std::string_view digits = std::string_view(name).substr(stem + 1);
  if (digits.size() > kMostNumberDigits ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const int number = std::stoi(std::string(digits));
  // "d2" or "d002" name no piece: the number is written with two digits at least.
  if (number < 2 || SetPieceNumber(first, number, MarkedFormat().scheme) != name) {
    return std::nullopt;
  }
  return number;
}

SeriesSummary WalkSeries(const std::string& first, const FirstHeaderRead& header,
                         const std::set<std::string>& names, const std::set<std::string>& failed) {
  SeriesSummary summary{.firstPiece = first};
  (failed.contains(first) ? summary.damaged : summary.present) = 1;
  // A single-piece series records the full capacity while its body holds
  // only the source's bytes.
  std::int64_t covered =
      std::clamp<std::int64_t>(header.pieceLength - header.headerLength, 0, header.sourceSize);
  int number = 1;
  while (covered < header.sourceSize) {
    const std::string next = SetPieceNumber(first, number + 1, MarkedFormat().scheme);
    const std::optional<std::int64_t> body =
        names.contains(next) ? MemberBody(next, header.identity, number + 1) : std::nullopt;
    if (!body) {
      break;
    }
    if (failed.contains(next)) {
      break;  // its length is as little to be trusted as its body: a gap, counted below
    }
    // A header may claim more than the source still lacks; counted whole,
    // such a length would wrap the sum past the largest value.
    covered += std::min(*body, header.sourceSize - covered);
    ++number;
    ++summary.present;
  }
  const bool reachedEnd = covered >= header.sourceSize;
  summary.complete = reachedEnd && summary.damaged == 0;
  summary.pieces = reachedEnd ? number : number + 1;
  if (reachedEnd) {
    return summary;
  }
  // Behind the gap the pieces still count, and the series has at least as
  // many pieces as the highest number among them.
  for (const std::string& name : names) {
    const std::optional<int> later = NumberInName(first, name);
    if (later && *later > number && MemberBody(name, header.identity, *later)) {
      ++(failed.contains(name) ? summary.damaged : summary.present);
      summary.pieces = std::max(summary.pieces, *later);
    }
  }
  return summary;
}

}  // namespace

std::vector<SeriesSummary> SummariseSeries(const std::vector<std::string>& files,
                                           const std::vector<std::string>& failed) {
  const std::set<std::string> names(files.begin(), files.end());
  const std::set<std::string> failedNames(failed.begin(), failed.end());
  std::vector<SeriesSummary> summaries;
  for (const std::string& first : files) {
    if (!IsCheckedAsFirstPiece(first)) {
      continue;
    }
    if (const std::optional<FirstHeaderRead> header = ReadFirstHeader(first)) {
      summaries.push_back(WalkSeries(first, *header, names, failedNames));
    }
  }
  return summaries;
}

std::string FormatSeriesLine(const SeriesSummary& summary) {
  return summary.firstPiece + ": " + std::to_string(summary.present) + " of " +
         (summary.complete ? "" : "at least ") + std::to_string(summary.pieces) + " pieces, " +
         (summary.damaged > 0 ? std::to_string(summary.damaged) + " damaged, " : "") +
         (summary.complete ? "complete" : "incomplete");
}

std::optional<SeriesSummary> IncompleteSeries(const std::string& firstPiece) {
  SeriesPieces pieces;
  if (!FindSeriesPieces(firstPiece, pieces)) {
    return std::nullopt;
  }
  std::vector<std::string> files;
  for (const std::string& name : pieces.names) {
    files.push_back(pieces.folder + name);
  }
  for (const SeriesSummary& series : SummariseSeries(files)) {
    if (!series.complete) {
      return series;
    }
  }
  return std::nullopt;
}

}  // namespace kv
