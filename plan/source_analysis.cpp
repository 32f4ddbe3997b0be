// The source analysis: what the job will be, its summary and the proposed destination.

#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "core/marker_scan.h"
#include "core/piece_names.h"
#include "core/prompter.h"
#include "core/stub_data_file.h"
#include "core/text_fill.h"
#include "core/typed_header_builder.h"
#include "core/typed_header_reader.h"
#include "plan/job_planner.h"
#include "plan/job_summary.h"
#include "plan/plan_texts.h"
#include "plan/plan_view.h"
#include "platform/binary_file.h"
#include "platform/file_helpers.h"

namespace kv {

namespace pt = plan_texts;

namespace {

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

}  // namespace

bool JobPlanner::SelfRestoring() const {
  return job_.SelfRestoreJob || settings_.SelfRestore;
}

void JobPlanner::AnalyseSource() {
  if (JobActive()) {
    return;
  }
  texts_.title = pt::kTitleIdle;
  job_.SourceUsable = false;
  view_.PullTexts(texts_);
  texts_.statusField.clear();
  texts_.progress = 0;
  job_.RecordedYear = 0;

  // The divide size.
  std::string mediumName;
  if (IsFitToFreeSpace(texts_.sizeText)) {
    job_.JobDivideSize = kDivideSizeFitsFreeSpace;
  } else {
    job_.JobDivideSize = ReadSizeNumber(texts_.sizeText);
    const bool typed =
        settings_.DivideType != static_cast<int>(SplitType::kType0) || job_.SelfRestoreJob;
    std::int64_t minimum = typed ? 1024 : 1;
    if (typed && job_.SelfRestoreJob) {
      minimum += stubs_.StubSize(job_.SelfRestoreKind);
    }
    if (job_.JobDivideSize < minimum) {
      const std::string shown = typed ? FormatGrouped(minimum) : std::string("1");
      ShowTexts();
      prompter_.Ask(MakeMessage(FormatText(pt::kSizeBelowMinimum, shown.c_str()), Buttons::kOk,
                                Icon::kWarning));
      return;
    }
    texts_.sizeText = FormatText("%sBytes", FormatGrouped(job_.JobDivideSize).c_str());
    for (const SizePreset& preset : settings_.DivideSizePresets) {
      if (!IsFitToFreeSpace(preset.sizeText) &&
          ReadSizeNumber(preset.sizeText) == job_.JobDivideSize) {
        texts_.sizeText = preset.sizeText;
        mediumName = preset.label;
      }
    }
  }

  bool success = false;
  std::string summary;
  // Ends a refusal of the source: the text in the information field, nothing usable.
  auto refuse = [&](const std::string& text) {
    texts_.information = text;
    job_.IsDivide = false;
  };

  if (texts_.source.empty()) {
    job_.IsDivide = false;
  } else {
    // Only a regular file is opened: a folder cannot be read, and opening a
    // pipe or a device would block or disturb it.
    std::unique_ptr<BinaryFile> file;
    struct stat status {};
    if (IsRegularFile(texts_.source)) {
      file = BinaryFile::Open(texts_.source, BinaryFile::Mode::kRead);
    }
    if (file == nullptr) {
      refuse(pt::kCannotOpenSource);
    } else if (::stat(texts_.source.c_str(), &status) != 0) {
      refuse(pt::kNoSourceStatus);
    } else {
      job_.SourceSize = static_cast<std::int64_t>(status.st_size);
      texts_.source = FullPath(texts_.source);
      const PieceRecognition recognised = RecognisePieceName(FileNamePart(texts_.source));
      bool divide = recognised.kind == PieceNameKind::kFileToDivide;

      if (recognised.kind == PieceNameKind::kType0First) {
        texts_.executeCaption = pt::kRestoreButton;
        job_.SourceSplitType = static_cast<int>(SplitType::kType0);
        job_.ThreeDigitNumbering = recognised.scheme == PieceScheme::kThreeDigit;
        summary = FormatText(pt::kType0Summary, MaskedPieceName(texts_.source).c_str());
        if (job_.SourceChanged) {
          texts_.destination = ProposeType0RestoredName(texts_.source, settings_);
          job_.SourceChanged = false;
        }
        job_.IsDivide = false;
        success = true;
      } else if (recognised.kind == PieceNameKind::kTypedCandidate) {
        // The first block is always read: a first piece of at most 1,024 bytes
        // (the smallest typed divide size) must still be found.
        const std::optional<std::int64_t> marker =
            FindMarker(*file, kType3FirstPattern,
                       MarkerScan{.readLimit = job_.SourceSize, .firstBlockAlways = true});
        job_.MarkerOffset = marker ? static_cast<int>(*marker) : 0;
        if (!marker) {
          file->Seek(0);
        }
        if (!marker && recognised.executable) {
          divide = true;
        } else {
          texts_.executeCaption = pt::kRestoreButton;
          job_.SelfRestoreJob = false;
          const int typeByte = file->ReadByte();
          const FirstPieceKind kind = RecogniseFirstPiece(typeByte, marker.has_value());
          std::string failure;
          if (kind == FirstPieceKind::kUnknownType) {
            failure = kUnknownTypeText;
          } else if (kind == FirstPieceKind::kType3) {
            job_.SourceSplitType = static_cast<int>(SplitType::kType3);
            Type3FirstHeader header;
            if (marker &&
                file->Seek(*marker + static_cast<std::int64_t>(kType3FirstPattern.size()))) {
              header = ParseType3FirstHeader(*file);
            }
            if (header.status == HeaderStatus::kOk && header.BodyLength() < 0) {
              header.status = HeaderStatus::kBroken;
            }
            if (header.status != HeaderStatus::kOk) {
              failure = header.RefusalText();
            } else {
              job_.SourceSize = header.sourceSize;
              job_.StoredName = header.storedName;
              job_.FirstPieceLength = header.pieceLength;
              job_.FirstSeriesId = header.seriesId;
              job_.RecordedYear = header.year;
              job_.RecordedTime = header.packedTime;
              job_.HeaderLength = static_cast<int>(header.headerLength);
            }
          } else if (kind == FirstPieceKind::kType2) {
            job_.SourceSplitType = static_cast<int>(SplitType::kType2);
            Type2Header header;
            if (!IsType2Header(*file, header)) {
              failure = kNotAPieceText;
            } else {
              job_.StoredName = header.name;
              job_.SourceSize = header.sourceSize;
              job_.FirstCheckByte = header.checkByte;
              job_.HeaderLength = header.headerLength;
            }
          } else {
            job_.SourceSplitType = static_cast<int>(SplitType::kType1);
            file->Seek(0);
            Type1Header header;
            if (!IsType1Header(*file, header)) {
              failure = kNotAPieceText;
            } else {
              job_.StoredName = header.name;
              job_.SourceSize = header.sourceSize;
              job_.HeaderLength = kType1HeaderLength;
            }
          }
          if (!failure.empty()) {
            refuse(failure);
          } else {
            summary = FormatText(pt::kTypedSummary, job_.StoredName.c_str(),
                                 FormatGrouped(job_.SourceSize).c_str(), job_.SourceSplitType);
            if (job_.SourceChanged) {
              texts_.destination =
                  ProposeTypedRestoredName(texts_.source, job_.StoredName, settings_);
              job_.SourceChanged = false;
            }
            job_.IsDivide = false;
            success = true;
          }
        }
      }

      if (divide) {
        texts_.executeCaption = pt::kDivideButton;
        if (job_.JobDivideSize != kDivideSizeFitsFreeSpace && mediumName.empty()) {
          mediumName = FormatText(pt::kAnyMedium, FormatGrouped(job_.JobDivideSize).c_str());
        }
        const int type = settings_.DivideType;
        if (job_.JobDivideSize != kDivideSizeFitsFreeSpace &&
            job_.SourceSize <= job_.JobDivideSize) {
          refuse(pt::kNoNeedToDivide);
          texts_.destination.clear();
        } else if ((type == static_cast<int>(SplitType::kType1) ||
                    type == static_cast<int>(SplitType::kType2)) &&
                   job_.SourceSize > kMaxDivideSize) {
          refuse(pt::kType12Over2GB);
          texts_.destination.clear();
        } else {
          job_.StoredName = std::string(FileNamePart(texts_.source));
          job_.HeaderLength = DivideHeaderLength(type, job_.SourceSize, job_.StoredName);
          const std::string size = FormatGrouped(job_.SourceSize);
          if (job_.JobDivideSize == kDivideSizeFitsFreeSpace) {
            summary = FormatText(pt::kCountUnknown, size.c_str());
          } else {
            const std::int64_t count =
                MediaCount(type, job_.SourceSize, job_.JobDivideSize, job_.HeaderLength);
            summary = FormatText(pt::kMediaCount, size.c_str(), mediumName.c_str(),
                                 FormatGrouped(count).c_str());
          }
          if (job_.SourceChanged) {
            texts_.destination = ProposeFirstPieceName(texts_.source, settings_, SelfRestoring());
            job_.SourceChanged = false;
          }
          job_.IsDivide = true;
          success = true;
        }
      }
    }
  }

  if (success) {
    texts_.information = summary;
    job_.SourceUsable = true;
    if (job_.IsDivide) {
      texts_.destination = EnforceFirstPieceExtension(
          texts_.destination, texts_.source, FirstPieceExtension(settings_, SelfRestoring()));
    }
  }
  ShowTexts();
}

}  // namespace kv
