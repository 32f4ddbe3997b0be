#include "tests/restore/series_writer.h"

#include <algorithm>
#include <stdexcept>

#include "core/crc16.h"
#include "core/piece_names.h"
#include "core/typed_header_builder.h"
#include "tests/support/temp_dir.h"

namespace kv::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

}  // namespace

Bytes Type3Trailer(const Bytes& body) {
  const std::uint16_t crc = Crc16Of(body.data(), body.size());
  return {static_cast<std::uint8_t>(crc & 0xFF), static_cast<std::uint8_t>(crc >> 8), 0};
}

WrittenSeries WriteTypedSeries(const std::string& firstPiece, const Bytes& data,
                               const SeriesLayout& layout) {
  WrittenSeries series;
  series.layout = layout;
  series.sourceSize = static_cast<std::int64_t>(data.size());
  const auto size = series.sourceSize;
  const auto stubSize = static_cast<std::int64_t>(layout.stub.size());

  Bytes header;
  switch (layout.type) {
    case 1:
      header = BuildType1Header(layout.storedName, size);
      break;
    case 2:
      header = BuildType2Header(layout.storedName, size, layout.checkByte);
      break;
    default:
      series.firstPieceLength = layout.divideSize - stubSize - 3;
      header = BuildType3FirstHeader(size, series.firstPieceLength, layout.seriesId,
                                     layout.storedName, layout.year, layout.packedTime);
      break;
  }
  if (header.empty()) {
    throw std::invalid_argument("header cannot be built");
  }
  series.headerLength = static_cast<int>(header.size());

  std::int64_t done = 0;
  std::string name = firstPiece;
  for (int number = 1; number == 1 || done < size; ++number) {
    Bytes piece;
    std::int64_t room = 0;
    if (number == 1) {
      piece = layout.stub;
      Append(piece, header);
      room = layout.divideSize - stubSize - series.headerLength - (layout.type == 3 ? 3 : 0);
    } else if (layout.type == 3) {
      const int headerLength = Type3NextHeaderLength(number);
      const std::int64_t pieceLength =
          std::min(layout.divideSize - 3, headerLength + (size - done));
      piece = BuildType3NextHeader(pieceLength, layout.seriesId, number);
      room = layout.divideSize - headerLength - 3;
    } else if (layout.type == 2) {
      piece = {layout.checkByte};
      room = layout.divideSize - 1;
    } else {
      room = layout.divideSize;
    }
    const std::int64_t take = std::min(room, size - done);
    const Bytes body(data.begin() + done, data.begin() + done + take);
    series.bodyOffsets.push_back(static_cast<std::int64_t>(piece.size()));
    series.bodyLengths.push_back(take);
    Append(piece, body);
    if (layout.type == 3) {
      Append(piece, Type3Trailer(body));
    }
    done += take;
    if (number > 1) {
      name = SetPieceNumber(firstPiece, number, PieceScheme::kDScheme);
    }
    WriteFileBytes(name, piece);
    series.pieces.push_back(name);
  }
  return series;
}

void PrepareTypedRestore(JobState& job, const WrittenSeries& series, const std::string& dest) {
  const SeriesLayout& layout = series.layout;
  job.SourceUsable = 1;
  job.IsDivide = 0;
  job.SourceSplitType = layout.type;
  job.SourceSize = series.sourceSize;
  job.StoredName = layout.storedName;
  job.MarkerOffset = static_cast<int>(layout.stub.size());
  job.HeaderLength = series.headerLength;
  job.FirstPieceLength = layout.type == 3 ? series.firstPieceLength : 0;
  job.FirstSeriesId = layout.type == 3 ? layout.seriesId : 0;
  job.FirstCheckByte = layout.type == 2 ? layout.checkByte : 0;
  job.RecordedYear = layout.type == 3 ? layout.year : 0;
  job.RecordedTime = layout.type == 3 ? layout.packedTime : 0;
  job.PiecesOnFixedDrive = 1;
  job.SetJobSource(series.pieces.front());
  job.SetJobDest(dest);
  job.ResetProgress();
  job.RunState.store(kRunRunning);
}

}  // namespace kv::test
