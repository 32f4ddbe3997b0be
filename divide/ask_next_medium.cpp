#include "divide/ask_next_medium.h"

#include <cstdio>

#include "core/job_texts.h"
#include "divide/divide_steps.h"
#include "divide/media_texts.h"
#include "platform/safe_create.h"

namespace kv {

namespace {

// A file or a link (dangling or not) of that name is asked about, whether
// or not it can be read; a folder or a pipe is left for the creation to refuse.
bool StandsInTheWay(const std::string& path) {
  const NameKind kind = KindOfName(path);
  return kind == NameKind::kRegular || kind == NameKind::kLink;
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
    if (!StandsInTheWay(nextPiece)) {
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
