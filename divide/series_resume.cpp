#include "divide/series_resume.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "core/crc16.h"
#include "core/divide_settings.h"
#include "core/job_texts.h"
#include "core/piece_names.h"
#include "core/stub_data_file.h"
#include "core/text_fill.h"
#include "platform/binary_file.h"
#include "platform/file_helpers.h"
#include "platform/safe_create.h"

namespace kv {

namespace {

constexpr std::size_t kCompareChunk = 64 * 1024;
// The first bytes of a Type0 first piece compared before a resume is offered.
constexpr std::int64_t kType0Prefix = 64 * 1024;

std::unique_ptr<BinaryFile> OpenPiece(const std::string& name) {
  return BinaryFile::Open(name, BinaryFile::Mode::kRead).ValueOr(nullptr);
}

// The `length` bytes of `piece` at `pieceAt` are the source's at `sourceAt`.
bool SameBytes(BinaryFile& piece, std::int64_t pieceAt, BinaryFile& source, std::int64_t sourceAt,
               std::int64_t length, const ResumeWatch& watch) {
  if (!piece.Seek(pieceAt) || !source.Seek(sourceAt)) {
    return false;
  }
  std::vector<std::byte> a(kCompareChunk);
  std::vector<std::byte> b(kCompareChunk);
  while (length > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(length, kCompareChunk));
    if (watch.Stopped() || !piece.ReadExact(std::span(a.data(), n)) ||
        !source.ReadExact(std::span(b.data(), n)) ||
        !std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), b.begin())) {
      return false;
    }
    length -= static_cast<std::int64_t>(n);
  }
  return true;
}

bool BytesAre(BinaryFile& file, std::int64_t at, const std::vector<std::uint8_t>& expected) {
  std::vector<std::byte> got(expected.size());
  return file.Seek(at) && file.ReadExact(got) &&
         std::equal(got.begin(), got.end(), expected.begin(),
                    [](std::byte g, std::uint8_t e) { return g == std::byte{e}; });
}

// The body of `length` bytes at `bodyAt` is followed by the trailer its
// CRC-16 gives.
bool ChecksummedBodyWhole(const PieceFormat& format, BinaryFile& piece, std::int64_t bodyAt,
                          std::int64_t length, const ResumeWatch& watch) {
  if (!piece.Seek(bodyAt)) {
    return false;
  }
  std::vector<std::byte> chunk(kCompareChunk);
  Crc16 crc;
  while (length > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(length, kCompareChunk));
    if (watch.Stopped() || !piece.ReadExact(std::span(chunk.data(), n))) {
      return false;
    }
    crc.Update(chunk.data(), n, true);
    length -= static_cast<std::int64_t>(n);
  }
  return BytesAre(piece, piece.Position(), format.Trailer(crc.Value()));
}

// A following piece's header, read from the piece's start: a pattern the
// format opens its pieces with stands right there, never further in.
std::optional<NextHeaderRead> ReadFollowingHeader(const PieceFormat& format, BinaryFile& piece,
                                                  int number, std::uint16_t identity) {
  const std::vector<std::uint8_t> pattern(format.nextPattern.begin(), format.nextPattern.end());
  if (!pattern.empty() && !BytesAre(piece, 0, pattern)) {
    return std::nullopt;
  }
  const NextHeaderRead header = format.readNextHeader(piece);
  if (!header.whole || !BelongsToSeries(header, identity, number)) {
    return std::nullopt;
  }
  return header;
}

}  // namespace

SeriesFacts TypedSeries::Facts() const {
  return {.sourcePath = sourceName,
          .storedName = storedName,
          .sourceSize = sourceSize,
          .modifiedUnixSeconds = modifiedTime,
          .selfRestoring = selfRestoring,
          .fitToFreeSpace = fitFree,
          .stubSize = stubSize};
}

std::vector<std::uint8_t> TypedSeries::FirstHeader(std::int64_t divideSize) const {
  return Format().buildFirstHeader(Facts(), divideSize);
}

std::uint16_t TypedSeries::Identity(std::int64_t divideSize) const {
  return Format().seriesIdentity(Facts(), divideSize);
}

TypedSeries DescribeTypedSeries(const DivideSettings& settings, const JobState& job,
                                const StubDataFile& stubs, const std::string& sourceName) {
  TypedSeries s;
  s.format = &PieceFormatOf(settings.DivideType);
  s.sourceName = sourceName;
  s.sourceSize = job.SourceSize;
  s.modifiedTime = ModifiedTimeUtc(s.sourceName).value_or(0);
  s.selfRestoring = job.SelfRestoreJob;
  s.fitFree = job.JobDivideSize == kDivideSizeFitsFreeSpace;
  s.stubSize = s.selfRestoring ? stubs.StubSize(job.SelfRestoreKind) : 0;
  // The name the series records is settled before the header is sized.
  s.storedName = job.StoredName;
  if (s.Format().storedNameShort || (s.selfRestoring && settings.ShortFileName &&
                                     RecordsShortName(stubs.KindName(job.SelfRestoreKind)))) {
    s.storedName = ShortName83(s.sourceName);
  }
  return s;
}

std::optional<std::int64_t> TypedFirstPieceDivideSize(const TypedSeries& series,
                                                      const std::string& firstPiece,
                                                      std::int64_t jobDivideSize) {
  const std::unique_ptr<BinaryFile> piece = OpenPiece(firstPiece);
  if (!piece) {
    return std::nullopt;
  }
  std::int64_t divideSize = jobDivideSize;
  if (series.fitFree) {
    // Sized to its medium: a piece that records its length records its room,
    // another is that long.
    divideSize = piece->Size();
    const PieceFormat& format = series.Format();
    if (format.recordsPieceLength) {
      const FirstHeaderRead h = format.readFirstHeader(*piece, series.stubSize, nullptr);
      divideSize = h.refusal.empty() ? h.pieceLength + series.stubSize + format.trailerLength : -1;
    }
  }
  if (divideSize <= 0 || divideSize > kLargestDivideSize) {
    return std::nullopt;
  }
  const std::vector<std::uint8_t> header =
      series.FirstHeader(static_cast<std::int64_t>(divideSize));
  if (header.empty() || !BytesAre(*piece, series.stubSize, header)) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(divideSize);
}

bool Type0FirstPieceMatches(const std::string& source, const std::string& firstPiece) {
  const std::unique_ptr<BinaryFile> piece = OpenPiece(firstPiece);
  const std::unique_ptr<BinaryFile> from = OpenPiece(source);
  if (!piece || !from) {
    return false;
  }
  const std::int64_t length = std::min(piece->Size(), kType0Prefix);
  return length > 0 && length <= from->Size() && SameBytes(*piece, 0, *from, 0, length, {});
}

bool DividesIntoRawSlices(const DivideSettings& settings, const JobState& job) {
  return IsDivideType(settings.DivideType) && PieceFormatOf(settings.DivideType).RawSlices() &&
         !job.SelfRestoreJob;
}

bool FirstPieceOfThisDivide(const DivideSettings& settings, const JobState& job,
                            const StubDataFile& stubs, const std::string& source,
                            const std::string& firstPiece) {
  if (DividesIntoRawSlices(settings, job)) {
    return Type0FirstPieceMatches(source, firstPiece);
  }
  if (!IsDivideType(settings.DivideType) || PieceFormatOf(settings.DivideType).RawSlices()) {
    return false;
  }
  return TypedFirstPieceDivideSize(DescribeTypedSeries(settings, job, stubs, source), firstPiece,
                                   job.JobDivideSize)
      .has_value();
}

namespace {

// A piece sized to its medium that records no length of its own is whole
// when the earlier run went on past it: the last piece it left may be cut short.
bool PieceFollows(const PieceFormat& format, const std::string& piece, int number) {
  return IdentityOfName(SetPieceNumber(piece, number + 1, format.scheme)).kind != NameKind::kNone;
}

// The body length of piece `number` when it is whole; nullopt otherwise.
std::optional<std::int64_t> WholeTypedBody(const TypedSeries& series, const std::string& name,
                                           int number, std::int64_t firstDivideSize,
                                           std::int64_t jobDivideSize, std::int64_t offset,
                                           BinaryFile& source, const ResumeWatch& watch) {
  const std::unique_ptr<BinaryFile> piece = OpenPiece(name);
  if (!piece) {
    return std::nullopt;
  }
  const PieceFormat& format = series.Format();
  const std::int64_t length = piece->Size();
  const std::int64_t rest = series.sourceSize - offset;
  const std::int64_t trailer = format.trailerLength;
  std::int64_t headerEnd = 0;
  std::int64_t expected = 0;
  if (number == 1) {
    headerEnd =
        series.stubSize + static_cast<std::int64_t>(series.FirstHeader(firstDivideSize).size());
    expected = std::min<std::int64_t>(firstDivideSize, headerEnd + trailer + rest);
  } else {
    const std::optional<NextHeaderRead> h =
        ReadFollowingHeader(format, *piece, number, series.Identity(firstDivideSize));
    if (!h) {
      return std::nullopt;
    }
    headerEnd = h->headerLength;
    expected =
        series.fitFree ? length : std::min<std::int64_t>(jobDivideSize, headerEnd + trailer + rest);
    if (format.recordsPieceLength && h->headerLength + h->bodyLength + trailer != expected) {
      return std::nullopt;
    }
  }
  const std::int64_t body = expected - headerEnd - trailer;
  if (length != expected || body <= 0 || body > rest ||
      (series.fitFree && !format.recordsPieceLength && body < rest &&
       !PieceFollows(format, name, number))) {
    return std::nullopt;
  }
  const bool whole = format.Checksummed()
                         ? ChecksummedBodyWhole(format, *piece, headerEnd, body, watch)
                         : SameBytes(*piece, headerEnd, source, offset, body, watch);
  return whole ? std::optional(body) : std::nullopt;
}

}  // namespace

ResumePoint FindTypedResumePoint(const TypedSeries& series, const std::string& firstPiece,
                                 std::int64_t firstDivideSize, std::int64_t jobDivideSize,
                                 BinaryFile& source, const ResumeWatch& watch) {
  ResumePoint point;
  for (int number = 1; point.sourceOffset < series.sourceSize; ++number) {
    const std::string name =
        number == 1 ? firstPiece : SetPieceNumber(firstPiece, number, series.Format().scheme);
    const std::optional<std::int64_t> body = WholeTypedBody(
        series, name, number, firstDivideSize, jobDivideSize, point.sourceOffset, source, watch);
    if (!body) {
      break;
    }
    point = {number, point.sourceOffset + *body};
    if (watch.checked) {
      watch.checked(point.sourceOffset);
    }
  }
  return point;
}

ResumePoint FindType0ResumePoint(const std::function<std::string(int)>& nameOf, Type0PieceRule rule,
                                 std::int64_t divideSize, BinaryFile& source,
                                 const ResumeWatch& watch) {
  ResumePoint point;
  const std::int64_t size = source.Size();
  for (int number = 1; point.sourceOffset < size; ++number) {
    const std::unique_ptr<BinaryFile> piece = OpenPiece(nameOf(number));
    if (!piece) {
      break;
    }
    const std::int64_t length = piece->Size();
    const std::int64_t rest = size - point.sourceOffset;
    const std::int64_t full = std::min<std::int64_t>(divideSize, rest);
    const bool sized =
        rule == Type0PieceRule::kExactSize ? length == full
        : rule == Type0PieceRule::kAtLeast
            ? length >= full && length <= rest
            : length > 0 &&
                  (length == rest || IdentityOfName(nameOf(number + 1)).kind != NameKind::kNone);
    if (!sized || !SameBytes(*piece, 0, source, point.sourceOffset, length, watch)) {
      break;
    }
    point = {number, point.sourceOffset + length};
    if (watch.checked) {
      watch.checked(point.sourceOffset);
    }
  }
  return point;
}

Status RemovePiecesAfter(const std::string& lastPiece, int lastNumber, PieceScheme scheme) {
  for (int number = lastNumber + 1;; ++number) {
    const std::string name = SetPieceNumber(lastPiece, number, scheme);
    if (IdentityOfName(name).kind == NameKind::kNone) {
      return {};
    }
    Status cleared = ClearNameForPiece(name);
    if (!cleared) {
      return cleared;
    }
  }
}

ResumeWatch BeginResumeCheck(JobState& job, std::function<void(std::int64_t)> checked) {
  job.SetJobMessage(texts::kCheckingPieces);
  job.ProgressHold.store(kProgressLive);
  return {&job.RunState, std::move(checked)};
}

bool GoOnBehind(JobState& job, const ResumePoint& point, BinaryFile& source) {
  const int next = point.wholePieces + 1;
  job.ResumedFromPiece.store(next);
  job.SetJobMessage(FillText(texts::kDividingResumed, std::to_string(next)));
  return source.Seek(point.sourceOffset);
}

}  // namespace kv
