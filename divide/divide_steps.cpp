#include "divide/divide_steps.h"

#include <algorithm>

#include "core/job_texts.h"
#include "core/prompter.h"
#include "divide/media_texts.h"
#include "platform/file_helpers.h"

namespace kv {

bool FillSteps(BinaryFile* source, std::span<std::byte> block, std::int64_t& filled,
               std::int64_t needed) {
  if (filled >= needed) {
    return true;
  }
  if (source == nullptr) {
    return false;
  }
  const std::int64_t got = source->ReadAtLeast(block.subspan(static_cast<std::size_t>(filled)),
                                               static_cast<std::size_t>(needed - filled));
  filled += std::max<std::int64_t>(got, 0);
  return filled >= needed;
}

void ShowIoError(Prompter& prompter) {
  prompter.Ask(MakeMessage(texts::kIoError, Buttons::kOk, Icon::kStop));
}

void ShowUnexpectedError(Prompter& prompter) {
  prompter.Ask(MakeMessage(texts::kUnexpectedError, Buttons::kOk, Icon::kStop));
}

bool RefuseWritingOverSource(Prompter& prompter, const std::string& piece,
                             const std::string& source) {
  if (!SameFile(piece, source)) {
    return false;
  }
  prompter.Ask(MakeMessage(texts::kSameAsSource, Buttons::kOk, Icon::kWarning));
  return true;
}

std::unique_ptr<BinaryFile> CreatePiece(Prompter& prompter, const std::string& piece,
                                        bool offerRetry) {
  for (;;) {
    auto file = BinaryFile::Open(piece, BinaryFile::Mode::kCreateWrite);
    if (file) {
      return file;
    }
    if (!offerRetry) {
      prompter.Ask(MakeMessage(texts::kCannotCreate, Buttons::kOk, Icon::kWarning));
      return nullptr;
    }
    if (prompter.Ask(MakeMessage(texts::kCannotCreate, Buttons::kRetryCancel, Icon::kWarning)) !=
        Answer::kRetry) {
      return nullptr;
    }
  }
}

}  // namespace kv
