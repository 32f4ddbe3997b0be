#include "divide/ask_next_medium.h"

#include <cstdio>

#include "divide/divide_steps.h"
#include "divide/media_texts.h"
#include "platform/file_helpers.h"

namespace kv {

namespace {

// A file "exists" here when it can be opened for reading.
bool OpensForReading(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    return false;
  }
  std::fclose(f);
  return FileExists(path);
}

}  // namespace

bool AskNextMedium(Prompter& prompter, const std::string& nextPiece, Answer overwriteDefault) {
  for (;;) {
    const Message next =
        MakeMessage(FillText(texts::kNextPiece, nextPiece), Buttons::kYesNo, Icon::kInformation);
    if (prompter.Ask(next) != Answer::kYes) {
      return false;
    }
    if (!OpensForReading(nextPiece)) {
      return true;
    }
    Message overwrite = MakeMessage(FillText(texts::kOverwriteQuestion, nextPiece), Buttons::kYesNo,
                                    Icon::kQuestion, texts::kOverwriteCaption);
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
