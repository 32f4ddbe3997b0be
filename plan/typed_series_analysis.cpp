// The source analysis of a typed first piece: its type byte, then the header
// of its type read into the job record, then the summary.

#include "core/job_state.h"
#include "core/piece_names.h"
#include "core/text_fill.h"
#include "core/typed_header_builder.h"
#include "core/typed_header_reader.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "platform/binary_file.h"

namespace kv {

namespace pt = plan_texts;

namespace {

// Each reader takes its header into `job` and returns the refusal text, empty when it read.

std::string ReadType3Header(BinaryFile& file, std::optional<std::int64_t> marker, JobState& job,
                            CodePageToUtf8 fromCodePage) {
  job.SourceSplitType = static_cast<int>(SplitType::kType3);
  Type3FirstHeader header;
  if (marker && file.Seek(*marker + static_cast<std::int64_t>(kType3FirstPattern.size()))) {
    header = ParseType3FirstHeader(file, fromCodePage);
  }
  if (header.status == HeaderStatus::kOk && header.BodyLength() < 0) {
    header.status = HeaderStatus::kBroken;
  }
  if (header.status != HeaderStatus::kOk) {
    return header.RefusalText();
  }
  job.SourceSize = header.sourceSize;
  job.StoredName = header.storedName;
  job.FirstPieceLength = header.pieceLength;
  job.FirstSeriesId = header.seriesId;
  job.RecordedYear = header.year;
  job.RecordedTime = header.packedTime;
  job.HeaderLength = static_cast<int>(header.headerLength);
  return {};
}

std::string ReadType2Header(BinaryFile& file, JobState& job, CodePageToUtf8 fromCodePage) {
  job.SourceSplitType = static_cast<int>(SplitType::kType2);
  Type2Header header;
  if (!IsType2Header(file, header, fromCodePage)) {
    return kNotAPieceText;
  }
  job.StoredName = header.name;
  job.SourceSize = header.sourceSize;
  job.FirstCheckByte = header.checkByte;
  job.HeaderLength = header.headerLength;
  return {};
}

std::string ReadType1Header(BinaryFile& file, JobState& job, CodePageToUtf8 fromCodePage) {
  job.SourceSplitType = static_cast<int>(SplitType::kType1);
  file.Seek(0);
  Type1Header header;
  if (!IsType1Header(file, header, fromCodePage)) {
    return kNotAPieceText;
  }
  job.StoredName = header.name;
  job.SourceSize = header.sourceSize;
  job.HeaderLength = kType1HeaderLength;
  return {};
}

std::string ReadFirstHeader(BinaryFile& file, std::optional<std::int64_t> marker, JobState& job,
                            CodePageToUtf8 fromCodePage) {
  switch (RecogniseFirstPiece(file.ReadByte(), marker.has_value())) {
    case FirstPieceKind::kUnknownType:
      return kUnknownTypeText;
    case FirstPieceKind::kType3:
      return ReadType3Header(file, marker, job, fromCodePage);
    case FirstPieceKind::kType2:
      return ReadType2Header(file, job, fromCodePage);
    case FirstPieceKind::kType1:
      break;
  }
  return ReadType1Header(file, job, fromCodePage);
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
