// kolvanto-cli: divide a file into a piece series, restore one, check pieces,
// or describe what the program would do with a file, from a shell.

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/check_command.h"
#include "cli/job_command.h"
#include "cli/job_options.h"
#include "cli/recovery_command.h"
#include "cli/terminal_escape.h"

int main(int argc, char** argv) {
  kv::Options o;
  CLI::App app{"Kolvanto: divide a file into a series of pieces, or restore it from them"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all");
  const kv::JobCommands jobs = kv::AddJobCommands(app, o);

  kv::CheckCommandOptions check;
  CLI::App* checkCommand =
      app.add_subcommand("check", "Check Type3 pieces (folders or files) without restoring");
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
    std::fprintf(stderr, "%s\n", kv::EscapeForTerminal(e.text).c_str());
    return kv::kExitRefused;
  }
}
