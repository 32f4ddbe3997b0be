// kolvanto-cli: divide a file into a piece series, restore one, check pieces,
// or describe what the program would do with a file, from a shell.

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/check_command.h"
#include "cli/job_command.h"
#include "cli/job_options.h"
#include "cli/recovery_command.h"
#include "cli/terminal_escape.h"
#include "cli/version_text.h"
#include "core/beside_executable.h"
#include "core/stub_data_file.h"
#include "platform/file_helpers.h"

namespace {

// Usage errors in the usual form: the program's name, the problem, where to look.
std::string UsageFailure(const CLI::App*, const CLI::Error& e) {
  return std::string("kolvanto-cli: ") + e.what() +
         "\nTry 'kolvanto-cli --help' for more information.\n";
}

}  // namespace

int main(int argc, char** argv) {
  kv::Options o;
  CLI::App app{"Kolvanto: divide a file into a series of pieces, or restore it from them",
               "kolvanto-cli"};
  // Every help text fits 80 columns: descriptions stay within 52 characters
  // (--help-all indents a command's options by two more).
  app.get_formatter()->column_width(26);
  app.failure_message(UsageFailure);
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Print the help of every command and exit");
  app.set_version_flag(
      "--version",
      [] {
        return kv::CliVersionText(
            kv::FindBesideExecutable(kv::ExecutableFolder(), kv::kStubDataFileName));
      },
      "Show the version, Kolvanto.dat and its kinds");
  const kv::JobCommands jobs = kv::AddJobCommands(app, o);

  kv::CheckCommandOptions check;
  CLI::App* checkCommand = app.add_subcommand("check", "Check Type3 pieces in folders or files");
  checkCommand->add_option("PATH", check.paths, "Folders (their piece files) or files")->required();
  checkCommand->add_option("--sort", check.sort, "Sort the lines by a column")
      ->check(CLI::IsMember({"name", "verdict", "remark"}));
  checkCommand->add_flag("--reverse", check.reverse, "Reverse the order");
  kv::RecoveryCommands recovery(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : kv::kExitRefused;
  }
  if (checkCommand->parsed()) {
    return kv::RunCheckCommand(check);
  }
  if (const std::optional<int> status = recovery.RunParsed()) {
    return *status;
  }
  try {
    return kv::RunJobCommand(jobs.Parsed(), o);
  } catch (const kv::UsageError& e) {
    std::fprintf(stderr, "kolvanto-cli: %s\n", kv::EscapeForTerminal(e.text).c_str());
    return kv::kExitRefused;
  }
}
