#include "cli/version_text.h"

#include <filesystem>

#include "cli/terminal_escape.h"
#include "core/program_version.h"
#include "core/stub_data_file.h"

namespace kv {

std::string CliVersionText(const std::string& stubDataFile) {
  StubDataFile stubs;
  stubs.LoadStubDataFile(stubDataFile);
  const std::string shownPath = std::filesystem::path(stubDataFile).lexically_normal().string();
  // One "--self-restore K: NAME" line per kind: the bash completion reads them.
  std::string text = "kolvanto-cli " + ProgramVersionText() + "\n" +
                     EscapeForTerminal(shownPath + ": " + stubs.StatusText());
  for (int kind = 0; kind < stubs.KindCount(); ++kind) {
    text +=
        "\n--self-restore " + std::to_string(kind) + ": " + EscapeForTerminal(stubs.KindName(kind));
  }
  return text;
}

}  // namespace kv
