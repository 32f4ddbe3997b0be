#pragma once
// A divide that goes on where an earlier run of the same job stopped: what a
// typed first piece of this job holds, and how far the pieces already on disk
// are whole (a checksummed piece by its CRC-16, any other by its bytes
// compared with the source's).

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/job_state.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/result.h"

namespace kv {

struct DivideSettings;
class StubDataFile;
class BinaryFile;

// What fixes the bytes of a typed series besides its divide size.
struct TypedSeries {
  const PieceFormat* format = &MarkedFormat();
  std::string sourceName;
  std::string storedName;
  std::int64_t sourceSize = 0;
  std::int64_t modifiedTime = 0;
  bool selfRestoring = false;
  bool fitFree = false;
  std::int64_t stubSize = 0;

  const PieceFormat& Format() const { return *format; }
  SeriesFacts Facts() const;
  // The first piece's header for a first piece of `divideSize` bytes.
  std::vector<std::uint8_t> FirstHeader(std::int64_t divideSize) const;
  // What ties the following pieces to a first piece of `divideSize` bytes.
  std::uint16_t Identity(std::int64_t divideSize) const;
};

// The series a typed divide of this job makes (the settings' DivideType is
// the job's: 2 or 3 for a self-restoring one).
TypedSeries DescribeTypedSeries(const DivideSettings& settings, const JobState& job,
                                const StubDataFile& stubs, const std::string& sourceName);

// The divide size the first piece at `firstPiece` was made with, when that
// piece opens the series this job makes: its stub room and header are those
// this job would write. nullopt when the piece is of another series.
std::optional<std::int64_t> TypedFirstPieceDivideSize(const TypedSeries& series,
                                                      const std::string& firstPiece,
                                                      std::int64_t jobDivideSize);

// True when the Type0 piece at `firstPiece` begins with the source's first bytes.
bool Type0FirstPieceMatches(const std::string& source, const std::string& firstPiece);

// True when this divide writes raw slices: no stub, no header, no trailer.
bool DividesIntoRawSlices(const DivideSettings& settings, const JobState& job);

// True when `firstPiece` is the first piece of the series this divide of
// `source` makes, so that the divide could go on from it.
bool FirstPieceOfThisDivide(const DivideSettings& settings, const JobState& job,
                            const StubDataFile& stubs, const std::string& source,
                            const std::string& firstPiece);

// What a check of the earlier pieces is stopped by and reports to.
struct ResumeWatch {
  const std::atomic<int>* runState = nullptr;  // a cancel stops the check
  // The source's bytes found in whole pieces so far.
  std::function<void(std::int64_t)> checked;
  bool Stopped() const { return runState != nullptr && runState->load() == kRunCancelRequested; }
};

// How far an earlier run got: pieces 1 to `wholePieces` are kept and hold
// the source's first `sourceOffset` bytes.
struct ResumePoint {
  int wholePieces = 0;
  std::int64_t sourceOffset = 0;
};

// The look at the pieces an earlier run left begins: the job says so and
// shows its progress; a cancel stops the look, and `checked` hears of the
// source's bytes found whole so far.
ResumeWatch BeginResumeCheck(JobState& job, std::function<void(std::int64_t)> checked);
// The divide goes on behind the kept pieces of `point`: the job says from
// which piece, and `source` stands at the first byte still to divide. False
// when the source cannot go there.
bool GoOnBehind(JobState& job, const ResumePoint& point, BinaryFile& source);

// The whole pieces of a typed series whose first piece was made with
// `firstDivideSize`; the following pieces are named from `firstPiece`.
ResumePoint FindTypedResumePoint(const TypedSeries& series, const std::string& firstPiece,
                                 std::int64_t firstDivideSize, std::int64_t jobDivideSize,
                                 BinaryFile& source, const ResumeWatch& watch = {});

// How a Type0 piece counts as whole besides its bytes.
enum class Type0PieceRule {
  kExactSize,  // cut at the divide size: exactly that, or the source's rest
  kAtLeast,    // lengthened to a line end or string: at least the divide size
  kAnyLength,  // sized to the free space of its medium: whole when a piece follows it
};
// The whole pieces of a Type0 series; `nameOf` names piece 1, 2, ...
ResumePoint FindType0ResumePoint(const std::function<std::string(int)>& nameOf, Type0PieceRule rule,
                                 std::int64_t divideSize, BinaryFile& source,
                                 const ResumeWatch& watch = {});

// At the end of a resumed divide: the pieces an earlier run wrote behind
// `lastPiece` (number `lastNumber`), which a series ending sooner leaves over
// and a Type0 restore would take in. The failure when one cannot go.
Status RemovePiecesAfter(const std::string& lastPiece, int lastNumber, PieceScheme scheme);

}  // namespace kv
