#include "divide/piece_prediction.h"

#include <algorithm>

#include "core/byte_sink.h"
#include "core/crc16.h"
#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/stub_data_file.h"
#include "divide/series_resume.h"
#include "divide/typed_layout.h"
#include "platform/binary_file.h"

namespace kv {

namespace {

using Bytes = std::vector<std::uint8_t>;

class ByteCollector final : public ByteSink {
 public:
  bool Write(std::span<const std::byte> data) override {
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
    bytes.insert(bytes.end(), p, p + data.size());
    return true;
  }
  Bytes bytes;
};

// One piece: what opens it, the source bytes it carries, what closes it.
struct PieceLayout {
  std::string path;
  Bytes head;
  std::int64_t bodyAt = 0;
  std::int64_t bodyLength = 0;
  const PieceFormat* format = nullptr;  // its trailer's
};

class Predictor {
 public:
  explicit Predictor(BinaryFile& source) : source_(source) {}

  // The piece's length and first-bytes digest; false when the source cannot give its bytes.
  bool Add(const PieceLayout& piece, std::vector<par2::ExpectedFile>& out) {
    const std::int64_t trailer = piece.format->trailerLength;
    const auto length = static_cast<std::uint64_t>(static_cast<std::int64_t>(piece.head.size()) +
                                                   piece.bodyLength + trailer);
    Bytes first(piece.head.begin(),
                piece.head.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(
                                         piece.head.size(), par2::kFirstBytes)));
    const auto bodyShown = static_cast<std::size_t>(std::min<std::int64_t>(
        piece.bodyLength, static_cast<std::int64_t>(par2::kFirstBytes - first.size())));
    const std::size_t at = first.size();
    first.resize(at + bodyShown);
    if (bodyShown > 0 &&
        (!source_.Seek(piece.bodyAt) ||
         !source_.ReadExact(std::as_writable_bytes(std::span(first.data() + at, bodyShown))))) {
      return false;
    }
    if (trailer > 0 && length <= par2::kFirstBytes) {
      // The whole body is in view: the trailer its CRC-16 gives closes the piece.
      Crc16 crc;
      crc.Update(first.data() + at, bodyShown, true);
      const Bytes closing = piece.format->Trailer(crc.Value());
      first.insert(first.end(), closing.begin(), closing.end());
    }
    out.push_back({std::string(FileNamePart(piece.path)), length, Md5Of(first)});
    return true;
  }

 private:
  BinaryFile& source_;
};

std::optional<std::vector<par2::ExpectedFile>> PredictType0(const DivideSettings& settings,
                                                            const JobState& job,
                                                            BinaryFile& source) {
  std::vector<par2::ExpectedFile> pieces;
  Predictor predictor(source);
  PieceLayout piece;
  piece.path = job.JobDest();
  piece.format = &PieceFormatOf(settings.DivideType);
  int counter = Type0FirstNumber(settings);
  for (std::int64_t at = 0; at < job.SourceSize; at += piece.bodyLength) {
    if (at > 0) {
      if (counter >= piece.format->mostPieces) {
        return std::nullopt;
      }
      piece.path = SetPieceNumber(piece.path, ++counter, Type0Scheme(settings));
    }
    piece.bodyAt = at;
    piece.bodyLength = std::min(job.JobDivideSize, job.SourceSize - at);
    if (!predictor.Add(piece, pieces)) {
      return std::nullopt;
    }
  }
  return pieces;
}

std::optional<std::vector<par2::ExpectedFile>> PredictTyped(const DivideSettings& settings,
                                                            const JobState& job,
                                                            StubDataFile& stubs,
                                                            BinaryFile& source) {
  const TypedSeries series = DescribeTypedSeries(settings, job, stubs, job.JobSource());
  const PieceFormat& format = series.Format();
  const std::int64_t divideSize = std::min(job.JobDivideSize, format.largestDivideSize);
  const Bytes header = series.FirstHeader(divideSize);
  const std::int64_t room = FirstPieceRoom(format, divideSize, series.stubSize, std::ssize(header));
  ByteCollector stub;
  if (header.empty() || room <= 0 ||
      (series.selfRestoring && !stubs.CopyStub(job.SelfRestoreKind, stub))) {
    return std::nullopt;
  }
  // Pieces known beforehand have a fixed size: the series is not fitted to free space.
  const std::uint16_t identity = series.Identity(divideSize);
  std::vector<par2::ExpectedFile> pieces;
  Predictor predictor(source);
  PieceLayout piece{job.JobDest(), stub.bytes, 0, std::min(room, series.sourceSize), &format};
  piece.head.insert(piece.head.end(), header.begin(), header.end());
  for (int number = 1;; ++number) {
    if (!predictor.Add(piece, pieces)) {
      return std::nullopt;
    }
    const std::int64_t at = piece.bodyAt + piece.bodyLength;
    const std::int64_t remaining = series.sourceSize - at;
    if (remaining == 0) {
      return pieces;
    }
    if (number >= format.mostPieces) {
      return std::nullopt;
    }
    piece.path = SetPieceNumber(piece.path, number + 1, format.scheme);
    piece.head = NextPieceHeader(format, number + 1, divideSize, remaining, identity);
    piece.bodyAt = at;
    piece.bodyLength = std::min(
        divideSize - NextPieceOverhead(format, number + 1, divideSize, remaining), remaining);
    if (piece.bodyLength <= 0) {
      return std::nullopt;
    }
  }
}

}  // namespace

bool PiecesKnownBeforehand(const DivideSettings& settings, const JobState& job) {
  const bool type0 = DividesIntoRawSlices(settings, job);
  const bool lengthened =
      (settings.Type0Type == 1 || settings.Type0Type == 2) && settings.TimingSize == 1;
  return job.JobDivideSize > 0 && !(type0 && lengthened) && !job.ResumeDivide &&
         job.InputDescriptor < 0;
}

std::optional<std::vector<par2::ExpectedFile>> PredictPieces(const DivideSettings& settings,
                                                             const JobState& job,
                                                             StubDataFile& stubs) {
  if (!PiecesKnownBeforehand(settings, job) || job.SourceSize <= 0) {
    return std::nullopt;
  }
  const std::unique_ptr<BinaryFile> source =
      BinaryFile::Open(job.JobSource(), BinaryFile::Mode::kRead).ValueOr(nullptr);
  if (!source) {
    return std::nullopt;
  }
  if (DividesIntoRawSlices(settings, job)) {
    return PredictType0(settings, job, *source);
  }
  return PredictTyped(settings, job, stubs, *source);
}

}  // namespace kv
