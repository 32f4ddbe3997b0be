#include "divide/ask_next_medium.h"

#include "core/job_texts.h"
#include "divide/divide_steps.h"
#include "divide/media_texts.h"
#include "platform/safe_create.h"

namespace kv {

namespace {

// A file or a link (dangling or not) of that name is asked about, whether
// or not it can be read; a folder or a pipe is left for the creation to refuse.
bool StandsInTheWay(const NameIdentity& there) {
  return there.kind == NameKind::kRegular || there.kind == NameKind::kLink;
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
    const NameIdentity there = IdentityOfName(nextPiece);
    if (!StandsInTheWay(there)) {
      return true;
    }
    Message overwrite =
        MakeMessage(MessageKind::kOverwrite, FillText(texts::kOverwriteQuestion, nextPiece),
                    Buttons::kYesNo, Icon::kQuestion, texts::kOverwriteCaption);
    overwrite.defaultButton = overwriteDefault;
    if (prompter.Ask(overwrite) != Answer::kYes) {
      continue;
    }
    if (RemoveAskedFile(nextPiece, there)) {
      return true;
    }
    prompter.Ask(MakeMessage(texts::kCannotOverwrite, Buttons::kOk, Icon::kStop));
  }
}

}  // namespace kv
