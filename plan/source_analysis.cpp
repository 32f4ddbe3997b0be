// The source analysis: what the job will be, its summary and the proposed
// destination. It runs as a few named steps: the divide size from the size
// text, then the source described as a Type0 series, a typed series or a file
// to divide, then the summary shown.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "core/job_texts.h"
#include "core/marker_scan.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "core/recorded_name.h"
#include "core/stub_data_file.h"
#include "core/text_fill.h"
#include "plan/divide_recovery.h"
#include "plan/job_planner.h"
#include "plan/job_summary.h"
#include "plan/plan_texts.h"
#include "plan/plan_view.h"
#include "platform/binary_file.h"
#include "platform/file_helpers.h"
#include "platform/volumes.h"

namespace kv {

namespace pt = plan_texts;

namespace {

// The input/output message, then the file and the system's reason.
std::string ReadFailureText(const BinaryFile& file) {
  return std::string(texts::kIoError) + "\n" + file.Path() + ": " + std::strerror(file.Error());
}

// The full name of an opened source: absolute, "." and ".." folded away.
std::string FullPath(const std::string& name) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(name, error);
  if (error) {
    return name;
  }
  return absolute.lexically_normal().string();
}

// The file name of `path` with its last three characters shown as "???".
std::string MaskedPieceName(std::string_view path) {
  std::string name(FileNamePart(path));
  const std::size_t keep = name.size() >= 3 ? name.size() - 3 : 0;
  return name.substr(0, keep) + "???";
}

// A header standing at the very start, of a format no scan looks for,
// decides the type of a piece whatever marked first piece its body may carry
// further on.
bool BeginsWithUnmarkedHeader(BinaryFile& file, CodePageToUtf8 fromCodePage) {
  file.Seek(0);
  const PieceFormat* format = FirstPieceFormat(file.ReadByte(), false);
  return format != nullptr && format->firstPattern.empty() &&
         format->readFirstHeader(file, std::nullopt, fromCodePage).refusal.empty();
}

}  // namespace

void JobPlanner::AnalyseSource() {
  if (JobActive()) {
    return;
  }
  texts_.title = pt::kTitleIdle;
  job_.SourceUsable = false;
  view_.PullTexts(texts_);
  texts_.statusField.clear();
  texts_.progress = 0;
  texts_.progressText = false;  // no "0%" until a job runs
  job_.RecordedYear = 0;

  std::string mediumName;
  if (!ReadDivideSize(mediumName)) {
    return;
  }
  if (const std::optional<std::string> summary = DescribeSource(mediumName)) {
    texts_.information = *summary;
    job_.SourceUsable = true;
    if (job_.IsDivide) {
      texts_.destination = EnforceFirstPieceExtension(
          texts_.destination, texts_.source, FirstPieceExtension(settings_, SelfRestoring()));
    }
  }
  ShowTexts();
}

bool JobPlanner::ReadDivideSize(std::string& mediumName) {
  if (IsFitToFreeSpace(texts_.sizeText)) {
    job_.JobDivideSize = kDivideSizeFitsFreeSpace;
    return true;
  }
  // Some headers hold no larger size.
  job_.JobDivideSize = std::min(ReadSizeNumber(texts_.sizeText),
                                PieceFormatOf(settings_.DivideType).largestDivideSize);
  // A self-restoring piece needs room for its stub besides.
  std::int64_t minimum = DivideFormat().smallestDivideSize;
  if (job_.SelfRestoreJob) {
    minimum += stubs_.StubSize(job_.SelfRestoreKind);
  }
  if (job_.JobDivideSize < minimum) {
    ShowTexts();
    prompter_.Ask(MakeMessage(FormatText(pt::kSizeBelowMinimum, FormatGrouped(minimum).c_str()),
                              Buttons::kOk, Icon::kWarning));
    return false;
  }
  ShowDivideSize(mediumName);
  return true;
}

void JobPlanner::ShowDivideSize(std::string& mediumName) {
  texts_.sizeText = FormatText("%sBytes", FormatGrouped(job_.JobDivideSize).c_str());
  mediumName.clear();
  // The last preset of this size names the medium.
  for (const SizePreset& preset : settings_.DivideSizePresets) {
    if (!IsFitToFreeSpace(preset.sizeText) &&
        ReadSizeNumber(preset.sizeText) == job_.JobDivideSize) {
      texts_.sizeText = preset.sizeText;
      mediumName = preset.label;
    }
  }
}

std::string JobPlanner::LowerToFileSystem(const std::string& dest, std::string& mediumName) {
  if (job_.JobDivideSize == kDivideSizeFitsFreeSpace || dest.empty()) {
    return "";
  }
  const FreeSpace asked = volumes_.QueryFreeSpace(FullPath(dest));
  const auto largest = static_cast<std::int64_t>(asked.largestFile);
  if (largest == 0 || job_.JobDivideSize <= largest) {
    return "";
  }
  job_.JobDivideSize = largest;
  ShowDivideSize(mediumName);
  return FormatText(pt::kLoweredToFileSystem, FormatGrouped(largest).c_str());
}

std::nullopt_t JobPlanner::RefuseSource(const std::string& text) {
  texts_.information = text;
  return std::nullopt;
}

std::optional<std::string> JobPlanner::DescribeSource(const std::string& mediumName) {
  job_.IsDivide = false;
  if (texts_.source.empty()) {
    return std::nullopt;
  }
  if (job_.InputDescriptor >= 0) {
    return DescribeStreamDivide(mediumName);
  }
  // Only a regular file is opened: a folder cannot be read, and opening a
  // pipe or a device would block or disturb it.
  std::unique_ptr<BinaryFile> file;
  if (IsRegularFile(texts_.source)) {
    file = BinaryFile::Open(texts_.source, BinaryFile::Mode::kRead).ValueOr(nullptr);
  }
  if (file == nullptr) {
    return RefuseSource(pt::kCannotOpenSource);
  }
  const std::int64_t size = file->Size();
  if (size < 0) {
    return RefuseSource(pt::kNoSourceStatus);
  }
  job_.SourceSize = size;
  texts_.source = FullPath(texts_.source);

  const PieceRecognition recognised = RecognisePieceName(FileNamePart(texts_.source));
  if (recognised.kind == PieceNameKind::kType0First) {
    return DescribeType0Series(recognised.scheme == PieceScheme::kThreeDigit);
  }
  if (recognised.kind == PieceNameKind::kTypedCandidate) {
    // Every block that starts inside the piece is read, the last partial one
    // too: a self-restoring first piece of a tiny source has its header there,
    // just behind the stub.
    std::optional<std::int64_t> marker = FindMarker(
        *file, MarkedFormat().firstPattern,
        MarkerScan{.readLimit = job_.SourceSize + static_cast<std::int64_t>(kMarkerBlockSize),
                   .firstBlockAlways = true});
    if (marker && *marker > 0 && !recognised.executable &&
        BeginsWithUnmarkedHeader(*file, fromCodePage_)) {
      marker.reset();
    }
    job_.MarkerOffset = marker ? static_cast<int>(*marker) : 0;
    file->Seek(marker.value_or(0));
    // A program without a marker is an ordinary file to divide.
    std::optional<std::string> described;
    if (file->Error() == 0 && (marker || !recognised.executable)) {
      described = DescribeTypedSeries(*file, marker);
    }
    // A piece that cannot be read is no broken piece: the cause is told.
    if (file->Error() != 0) {
      return RefuseSource(ReadFailureText(*file));
    }
    if (marker || !recognised.executable) {
      return described;
    }
  }
  return DescribeDivide(mediumName);
}

const PieceFormat& JobPlanner::DivideFormat() const {
  const PieceFormat& chosen = PieceFormatOf(settings_.DivideType);
  // A stub is followed by typed pieces whatever type is chosen.
  return job_.SelfRestoreJob && chosen.RawSlices()
             ? PieceFormatOf(static_cast<int>(stubs_.SeriesSplitType()))
             : chosen;
}

std::optional<std::string> JobPlanner::DescribeType0Series(bool threeDigitNumbering) {
  texts_.executeCaption = pt::kRestoreButton;
  job_.SourceSplitType = static_cast<int>(SplitType::kType0);
  job_.ThreeDigitNumbering = threeDigitNumbering;
  if (job_.SourceChanged) {
    texts_.destination = ProposeType0RestoredName(texts_.source, settings_);
    job_.SourceChanged = false;
  }
  return FormatText(pt::kType0Summary, MaskedPieceName(texts_.source).c_str());
}

std::optional<std::string> JobPlanner::DescribeDivide(std::string mediumName) {
  texts_.executeCaption = pt::kDivideButton;
  const bool fitsFreeSpace = job_.JobDivideSize == kDivideSizeFitsFreeSpace;
  const PieceFormat& format = PieceFormatOf(settings_.DivideType);
  // The pieces go where the destination box will point.
  const std::string dest = job_.SourceChanged
                               ? ProposeFirstPieceName(texts_.source, settings_, SelfRestoring())
                               : texts_.destination;
  // A piece the destination cannot hold would fail there: the size is lowered first.
  const std::string lowered = LowerToFileSystem(dest, mediumName);
  if (!fitsFreeSpace && mediumName.empty()) {
    mediumName = FormatText(pt::kAnyMedium, FormatGrouped(job_.JobDivideSize).c_str());
  }
  // Both refusals leave no destination to propose.
  if (!fitsFreeSpace && job_.SourceSize <= job_.JobDivideSize) {
    texts_.destination.clear();
    return RefuseSource(pt::kNoNeedToDivide);
  }
  if (job_.SourceSize > format.largestSource) {
    texts_.destination.clear();
    return RefuseSource(pt::kType12Over2GB);
  }
  // The series records a name its restore will take back.
  job_.StoredName = RecordedSourceName(texts_.source, format.storedNameWithoutBlankEnds);
  job_.HeaderLength = format.firstHeaderLength(job_.SourceSize, job_.StoredName,
                                               fitsFreeSpace ? 0 : job_.JobDivideSize);
  const std::string size = FormatGrouped(job_.SourceSize);
  std::string summary = FormatText(pt::kCountUnknown, size.c_str());
  std::int64_t count = 0;  // not known when fitted to free space
  if (!fitsFreeSpace) {
    const std::int64_t stub = job_.SelfRestoreJob ? stubs_.StubSize(job_.SelfRestoreKind) : 0;
    const DivideEstimate estimate =
        EstimateDivide(format, job_.SourceSize, job_.JobDivideSize, job_.HeaderLength, stub);
    count = estimate.media;
    // Refused before a piece is written: the last ones could not be numbered.
    if (estimate.tooManyPieces) {
      texts_.destination.clear();
      return RefuseSource(FormatText(pt::kTooManyPieces, FormatGrouped(format.mostPieces).c_str()));
    }
    summary =
        FormatText(pt::kMediaCount, size.c_str(), mediumName.c_str(), FormatGrouped(count).c_str());
  }
  summary += lowered;
  summary += RecoverySummary(settings_, job_.JobDivideSize, count);
  if (job_.SourceChanged) {
    texts_.destination = dest;
    job_.SourceChanged = false;
  }
  job_.IsDivide = true;
  return summary;
}

std::optional<std::string> JobPlanner::DescribeStreamDivide(std::string mediumName) {
  // Only raw pieces need nothing of the source before it is read.
  if (!PieceFormatOf(settings_.DivideType).RawSlices() || SelfRestoring()) {
    return RefuseSource(pt::kCannotOpenSource);
  }
  texts_.executeCaption = pt::kDivideButton;
  job_.SourceSize = 0;
  job_.StoredName.clear();
  job_.HeaderLength = 0;
  job_.IsDivide = true;
  return LowerToFileSystem(texts_.destination, mediumName);
}

}  // namespace kv
