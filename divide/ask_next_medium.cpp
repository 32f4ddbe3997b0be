#include "divide/ask_next_medium.h"

#include "core/job_texts.h"
#include "divide/divide_steps.h"
#include "divide/media_texts.h"
#include "platform/binary_file.h"
#include "platform/file_helpers.h"

namespace kv {

namespace {

// A file "exists" here when it can be opened for reading; only a regular
// file is opened, so a pipe of that name cannot hold the job up.
bool OpensForReading(const std::string& path) {
  return BinaryFile::Open(path, BinaryFile::Mode::kRead) != nullptr;
}

}  // namespace

bool AskNextMedium(Prompter& prompter, const std::string& nextPiece, Answer overwriteDefault) {
  for (;;) {
    const Message next =
        MakeMessage(MessageKind::kNextMedium, FillText(texts::kNextPiece, nextPiece),
                    Buttons::kYesNo, Icon::kInformation);
    if (prompter.Ask(next) != Answer::kYes) {
      return false;
    }
    if (!OpensForReading(nextPiece)) {
      return true;
    }
    Message overwrite =
        MakeMessage(MessageKind::kOverwrite, FillText(texts::kOverwriteQuestion, nextPiece),
                    Buttons::kYesNo, Icon::kQuestion, texts::kOverwriteCaption);
    overwrite.defaultButton = overwriteDefault;
    if (prompter.Ask(overwrite) != Answer::kYes) {
      continue;
    }
    if (std::remove(nextPiece.c_str()) == 0) {
      return true;
    }
    prompter.Ask(MakeMessage(texts::kCannotOverwrite, Buttons::kOk, Icon::kStop));
  }
}

}  // namespace kv
