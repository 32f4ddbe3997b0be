#pragma once
// The prompts before each piece after the first on a removable destination:
// the next piece's name, and whether an existing file of that name may go.

#include <string>

#include "core/prompter.h"

namespace kv {

// Asks for the medium of `nextPiece`; an existing file of that name is
// confirmed (with `overwriteDefault` preselected) and deleted. No to the
// overwrite question, or a failed delete, asks for the medium again. True to
// go on, false when the user stops the job.
bool AskNextMedium(Prompter& prompter, const std::string& nextPiece, Answer overwriteDefault);

}  // namespace kv
