#include "tools/validity_check.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <span>

#include "core/ascii_text.h"
#include "core/marker_scan.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "platform/binary_file.h"
#include "tools/validity_body.h"
#include "tools/validity_head.h"

namespace kv {

namespace {

constexpr std::int64_t kTooShortLength = 12;

// Passes reads and seeks through and remembers whether one of them failed
// with an error, so a short read (the file ends) and an I/O error (the file
// layer fails) can be told apart after a reader gave up.
class ErrorWatch final : public ByteSource {
 public:
  explicit ErrorWatch(ByteSource& inner) : inner_(inner) {}
  std::int64_t Read(std::span<std::byte> out) override {
    const std::int64_t got = inner_.Read(out);
    if (got < 0) {
      failed_ = true;
    }
    return got;
  }
  bool Seek(std::int64_t position) override {
    const bool ok = inner_.Seek(position);
    if (!ok) {
      failed_ = true;
    }
    return ok;
  }
  std::int64_t Position() const override { return inner_.Position(); }
  std::int64_t Size() const override { return inner_.Size(); }
  // A look that fails is no error: the read after it tells.
  bool LookAhead(std::int64_t length, const Look& look) override {
    return inner_.LookAhead(length, look);
  }
  bool Failed() const { return failed_; }

 private:
  ByteSource& inner_;
  bool failed_ = false;
};

// The header behind the marker: the body's length, or a verdict.
struct HeaderWalk {
  bool done = false;  // verdict holds the result
  CheckVerdict verdict = CheckVerdict::kBroken;
  std::int64_t bodyLength = 0;
};

HeaderWalk WalkHeader(ErrorWatch& src, std::int64_t markerPosition, bool firstPiece) {
  const HeaderCheck check = MarkedFormat().checkHeader(src, markerPosition, firstPiece);
  switch (check.end) {
    case HeaderCheck::End::kBody:
      return {.done = false, .bodyLength = check.bodyLength};
    case HeaderCheck::End::kUnsupported:
      return {.done = true, .verdict = CheckVerdict::kUnsupported};
    case HeaderCheck::End::kNoLength:
      return {.done = true, .verdict = CheckVerdict::kIoError};
    case HeaderCheck::End::kBroken:
      break;
  }
  return {.done = true, .verdict = CheckVerdict::kBroken};
}

// Finds the marker and walks the header behind it: the body's length, or
// the verdict that ends the check before any body byte is read.
HeaderWalk LocateBody(ErrorWatch& src, bool firstPiece) {
  const std::int64_t length = src.Size();
  if (length < 0) {
    return {.done = true, .verdict = CheckVerdict::kIoError};
  }
  if (length <= kTooShortLength) {
    return {.done = true, .verdict = CheckVerdict::kUnsupported};
  }
  if (!src.Seek(0)) {
    return {.done = true, .verdict = CheckVerdict::kIoError};
  }
  const PieceFormat& format = MarkedFormat();
  const std::string_view pattern = firstPiece ? format.firstPattern : format.nextPattern;
  const std::optional<std::int64_t> marker = FindMarker(src, pattern, CheckMarkerScan(length));
  if (src.Failed()) {
    return {.done = true, .verdict = CheckVerdict::kIoError};
  }
  if (!marker) {
    return {.done = true, .verdict = CheckVerdict::kUnsupported};
  }
  if (!src.Seek(*marker + static_cast<std::int64_t>(pattern.size()))) {
    return {.done = true, .verdict = CheckVerdict::kIoError};
  }
  const HeaderWalk walk = WalkHeader(src, *marker, firstPiece);
  if (src.Failed()) {
    return {.done = true, .verdict = CheckVerdict::kIoError};
  }
  return walk;
}

// Sums the body from the current position and compares the checksum behind it.
CheckVerdict JudgeBody(ByteSource& src, std::int64_t bodyLength, BodySummer& summer,
                       const std::atomic<int>& runState) {
  const BodySum sum = summer.Sum(src, bodyLength, runState);
  switch (sum.end) {
    case BodyEnd::kReadError:
      return CheckVerdict::kIoError;
    case BodyEnd::kCancelled:
      return CheckVerdict::kCancelled;
    case BodyEnd::kCutShort:
      return CheckVerdict::kChecksumError;
    case BodyEnd::kSummed:
      break;
  }
  std::array<std::uint8_t, 2> stored{};
  const std::int64_t got = src.Read(std::as_writable_bytes(std::span(stored)));
  if (got < 0) {
    return CheckVerdict::kIoError;
  }
  // A checksum cut off by the file's end cannot vouch for the body.
  if (got < 2) {
    return CheckVerdict::kChecksumError;
  }
  const auto storedCrc = static_cast<std::uint16_t>(stored[0] | (stored[1] << 8));
  return storedCrc == sum.crc ? CheckVerdict::kOk : CheckVerdict::kChecksumError;
}

// A ".par2" file that starts with a PAR2 packet: recovery data, never a piece.
bool IsRecoveryFile(std::string_view path, BinaryFile& file) {
  if (!EndsWithIgnoringAsciiCase(path, ".par2")) {
    return false;
  }
  constexpr std::string_view kPacketMagic{"PAR2\0PKT", 8};
  char start[8] = {};
  const bool magic = file.Read(std::as_writable_bytes(std::span(start))) == 8 &&
                     std::string_view(start, 8) == kPacketMagic;
  return file.Seek(0) && magic;
}

}  // namespace

bool IsCheckedAsFirstPiece(std::string_view path) {
  return EndsLikeTypedFirstPiece(path);
}

CheckVerdict CheckPieceSource(ByteSource& src, bool firstPiece, const std::atomic<int>& runState,
                              BodySummer& summer) {
  ErrorWatch watch(src);
  const HeaderWalk walk = LocateBody(watch, firstPiece);
  return walk.done ? walk.verdict : JudgeBody(watch, walk.bodyLength, summer, runState);
}

CheckVerdict CheckPieceSource(ByteSource& src, bool firstPiece, const std::atomic<int>& runState) {
  BodySummer summer;
  return CheckPieceSource(src, firstPiece, runState, summer);
}

CheckVerdict CheckPieceFile(const std::string& path, const std::atomic<int>& runState) {
  BodySummer summer;
  return CheckPieceFile(path, runState, summer);
}

CheckVerdict CheckPieceFile(const std::string& path, const std::atomic<int>& runState,
                            BodySummer& summer) {
  // A folder, a pipe or a device is never a piece; opening a pipe could block.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::status(path, ec)) || ec) {
    return CheckVerdict::kCannotOpen;
  }
  std::unique_ptr<BinaryFile> file =
      BinaryFile::Open(path, BinaryFile::Mode::kRead).ValueOr(nullptr);
  if (!file) {
    return CheckVerdict::kCannotOpen;
  }
  if (IsRecoveryFile(path, *file)) {
    return CheckVerdict::kRecoveryData;
  }
  HeadReadSource piece(std::move(file));
  return CheckPieceSource(piece, IsCheckedAsFirstPiece(path), runState, summer);
}

MarkerScan CheckMarkerScan(std::int64_t length) {
  return {.maxBlocks = kCheckScanBlocks,
          .readLimit = length + static_cast<std::int64_t>(kMarkerBlockSize),
          .firstBlockAlways = false,
          .overlap = 5};
}

}  // namespace kv
