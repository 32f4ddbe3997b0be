// The source analysis of a typed first piece: its type byte, then the header
// of its type read into the job record, then the summary.

#include "core/job_state.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "core/text_fill.h"
#include "core/typed_header_reader.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "platform/binary_file.h"

namespace kv {

namespace pt = plan_texts;

namespace {

// Takes the first header into `job`; returns the refusal text, empty when it read.
std::string ReadFirstHeader(BinaryFile& file, std::optional<std::int64_t> marker, JobState& job,
                            CodePageToUtf8 fromCodePage) {
  const PieceFormat* format = FirstPieceFormat(file.ReadByte(), marker.has_value());
  if (format == nullptr) {
    return kUnknownTypeText;
  }
  job.SourceSplitType = format->number;
  const FirstHeaderRead header = format->readFirstHeader(file, marker, fromCodePage);
  if (!header.refusal.empty()) {
    return header.refusal;
  }
  job.SourceSize = header.sourceSize;
  job.StoredName = header.storedName;
  job.HeaderLength = header.headerLength;
  job.FirstPieceLength = header.pieceLength;
  job.FirstSeriesId = header.identity;
  job.FirstCheckByte = static_cast<std::uint8_t>(header.identity);
  job.RecordedYear = header.year;
  job.RecordedTime = header.packedTime;
  return {};
}

}  // namespace

std::optional<std::string> JobPlanner::DescribeTypedSeries(BinaryFile& file,
                                                           std::optional<std::int64_t> marker) {
  texts_.executeCaption = pt::kRestoreButton;
  job_.SelfRestoreJob = false;
  const std::string refusal = ReadFirstHeader(file, marker, job_, fromCodePage_);
  if (!refusal.empty()) {
    return RefuseSource(refusal);
  }
  if (job_.SourceChanged) {
    texts_.destination = ProposeTypedRestoredName(texts_.source, job_.StoredName, settings_);
    job_.SourceChanged = false;
  }
  return FormatText(pt::kTypedSummary, job_.StoredName.c_str(),
                    FormatGrouped(job_.SourceSize).c_str(), job_.SourceSplitType);
}

}  // namespace kv
