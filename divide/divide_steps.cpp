#include "divide/divide_steps.h"

#include "core/job_texts.h"
#include "core/prompter.h"
#include "divide/media_texts.h"
#include "platform/file_helpers.h"

namespace kv {

std::string FillText(const char* format, const std::string& value) {
  std::string text(format);
  const auto at = text.find("%s");
  return at == std::string::npos ? text : text.replace(at, 2, value);
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
