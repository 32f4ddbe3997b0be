// kolvanto-cli: divide a file into a piece series, restore one, or describe
// what the program would do with a file, from a shell.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <thread>

#include "cli/check_command.h"
#include "cli/cli_settings.h"
#include "cli/cli_view.h"
#include "cli/interrupt_guard.h"
#include "cli/progress_line.h"
#include "cli/terminal_prompter.h"
#include "core/ascii_text.h"
#include "core/beside_executable.h"
#include "core/job_state.h"
#include "core/stub_data_file.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"
#include "plan/real_workers.h"
#include "platform/file_helpers.h"
#include "platform/volumes.h"

namespace kv {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitRefused = 2;
constexpr int kExitDoneWithError = 3;

struct Options {
  std::string file;
  std::string output;
  std::optional<int> divideType;
  std::string size;
  std::optional<int> selfRestoreKind;
  std::string type0;
  std::optional<std::string> divideString;
  std::string cut;
  std::optional<int> extStart;
  std::string extChar;
  std::string headCut;
  std::optional<std::string> restoreExt;
  std::string stubData;
  bool yes = false;
  bool overwrite = false;
  bool force = false;
  bool progress = false;
  bool defaults = false;
};

// Usage errors found after CLI11 has parsed: the text, then exit status 2.
struct UsageError {
  std::string text;
};

std::string Absolute(const std::string& name) {
  if (name.empty() || name.front() == '/') {
    return name;
  }
  std::error_code error;
  const auto path = std::filesystem::absolute(name, error);
  return error ? name : path.lexically_normal().string();
}

// A size option: a byte count (commas allowed), a count with K, M or G, or "fit".
std::string SizeText(const std::string& option) {
  if (option == "fit") {
    return std::string(kFitToFreeSpace);
  }
  std::size_t i = 0;
  // One past the largest size: a longer count is refused below, never wrapped.
  const std::int64_t value =
      ReadSaturatedDecimal(option, i, std::int64_t{kMaxDivideSize} + 1, true);
  const bool digits = option.find_first_of("0123456789") < i;
  std::int64_t unit = 1;
  if (i + 1 == option.size()) {
    const char s = option[i];
    unit = s == 'K' || s == 'k'   ? 1024
           : s == 'M' || s == 'm' ? 1024 * 1024
           : s == 'G' || s == 'g' ? 1024 * 1024 * 1024
                                  : 0;
    ++i;
  }
  if (!digits || i != option.size() || unit == 0 || value * unit > kMaxDivideSize) {
    throw UsageError{"invalid size: " + option +
                     " (a byte count up to 2,147,483,647, with K, M "
                     "or G, or fit)"};
  }
  return std::to_string(value * unit);
}

void ApplyDivideOptions(const Options& o, DivideSettings& s) {
  if (o.divideType) {
    s.DivideType = *o.divideType;
  }
  if (!o.type0.empty()) {
    s.Type0Type = o.type0 == "size" ? 0 : o.type0 == "line" ? 1 : 2;
  }
  if (o.divideString) {
    s.DivideString = *o.divideString;
  }
  if (!o.cut.empty()) {
    s.TimingString = o.cut == "before" ? 0 : 1;
  }
  if (o.extStart) {
    s.DivideExt = *o.extStart;
  }
  if (!o.extChar.empty()) {
    if (o.extChar.size() != 1) {
      throw UsageError{"--ext-char takes one character"};
    }
    s.DivideExtAddC = true;
    s.DivideExtChar = o.extChar.front();
  }
  if (s.Type0Type == 2 && s.DivideString.empty() && s.DivideType == 0) {
    throw UsageError{"--type0 string needs --string TEXT"};
  }
}

void ApplyRestoreOptions(const Options& o, DivideSettings& s) {
  if (!o.headCut.empty()) {
    const auto comma = o.headCut.find(',');
    try {
      if (comma == std::string::npos) {
        throw std::invalid_argument("no comma");
      }
      std::size_t used = 0;
      const int first = std::stoi(o.headCut.substr(0, comma), &used);
      if (used != comma) {
        throw std::invalid_argument("first");
      }
      const std::string nextText = o.headCut.substr(comma + 1);
      const int next = std::stoi(nextText, &used);
      if (used != nextText.size() || first < 0 || next < 0) {
        throw std::invalid_argument("next");
      }
      s.HeadCut = true;
      s.HeadCutFirst = first;
      s.HeadCutNext = next;
    } catch (const std::exception&) {
      throw UsageError{"--head-cut takes FIRST,NEXT (two byte counts)"};
    }
  }
  if (o.restoreExt) {
    s.RsDefaultExt = *o.restoreExt;
  }
}

enum class Command { kInfo, kDivide, kRestore };

int Run(Command command, const Options& o) {
  const bool terminalErr = ::isatty(STDERR_FILENO) == 1;
  const bool terminalIn = ::isatty(STDIN_FILENO) == 1;
  TerminalPrompter prompter(AnswerRules{.interactive = terminalIn && terminalErr,
                                        .yesToAll = o.yes,
                                        .overwrite = o.overwrite,
                                        .force = o.force});
  SystemVolumes volumes;
  DivideSettings settings = LoadCliSettings(!o.defaults, prompter, volumes);
  settings.SelfRestore = false;  // only --self-restore makes a self-restoring series
  if (command != Command::kRestore) {
    ApplyDivideOptions(o, settings);
  } else {
    ApplyRestoreOptions(o, settings);
  }
  JobState job;
  StubDataFile stubs;
  stubs.LoadStubDataFile(o.stubData.empty()
                             ? FindBesideExecutable(ExecutableFolder(), kStubDataFileName)
                             : Absolute(o.stubData));
  CliView view;
  JobPlanner planner(settings, job, stubs, prompter, volumes, view, RunRealWorker);

  MainWindowTexts& texts = planner.Texts();
  texts.source = Absolute(o.file);
  texts.sizeText = o.size.empty() ? settings.DivideSize : SizeText(o.size);
  texts.destination = Absolute(o.output);
  job.SourceChanged = o.output.empty();
  if (o.selfRestoreKind) {
    if (stubs.KindName(0).empty()) {
      std::fprintf(stderr, "%s\n", plan_texts::kNoStubData);
      return kExitRefused;
    }
    if (stubs.KindName(*o.selfRestoreKind).empty()) {
      std::fprintf(stderr, "%s\n", plan_texts::kChooseKind);
      return kExitRefused;
    }
    settings.SelfRestore = true;  // the first piece is proposed as ".exe"
  }

  planner.AnalyseSource();
  // Empty when the analysis stopped at a message of its own (a divide size below the smallest).
  const bool described = !texts.information.empty();
  if (command == Command::kInfo) {
    if (described) {
      std::printf("%s\n", TerminalText(texts.information).c_str());
    }
    if (!job.SourceUsable) {
      return kExitRefused;
    }
    std::printf("job: %s\ndestination: %s\n", job.IsDivide ? "divide" : "restore",
                texts.destination.c_str());
    return kExitDone;
  }
  if (!job.SourceUsable) {
    if (described) {
      std::fprintf(stderr, "%s\n", TerminalText(texts.information).c_str());
    }
    return kExitRefused;
  }
  if ((command == Command::kDivide) != job.IsDivide) {
    std::fprintf(stderr, "%s\n%s\n", TerminalText(texts.information).c_str(),
                 command == Command::kDivide
                     ? "this file is the first piece of a series: use restore"
                     : "this file is not the first piece of a series: use divide");
    return kExitRefused;
  }

  if (o.selfRestoreKind) {
    settings.SelfRestore = false;
    planner.CreateSelfRestoringKind(*o.selfRestoreKind);
  } else {
    planner.Execute();
    if (view.TakeSelfRestorePosted()) {
      planner.CreateSelfRestoring();
    }
  }
  if (!planner.JobActive()) {
    return job.Outcome() == JobOutcome::kCancelled ? kExitCancelled : kExitRefused;
  }

  // From here a Ctrl+C stops the job instead of the program.
  const InterruptGuard interrupts(job.RunState);
  const bool showProgress = terminalErr || o.progress;
  const auto start = std::chrono::steady_clock::now();
  bool running = true;
  while (running) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    running = planner.OnJobTimer();
    if (showProgress && running) {
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::lock_guard lock(prompter.OutputMutex());
      std::fprintf(
          stderr, "\r%s\033[K",
          ProgressLine(texts.progress, texts.statusField, job.BytesDone.load(), seconds).c_str());
      std::fflush(stderr);
      prompter.SetProgressShown(true);
    }
  }
  const std::string message = job.JobMessage();
  {
    std::lock_guard lock(prompter.OutputMutex());
    if (showProgress) {
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::fprintf(
          stderr, "\r%s\033[K\n",
          ProgressLine(texts.progress, texts.statusField, job.BytesDone.load(), seconds).c_str());
      prompter.SetProgressShown(false);
    }
  }
  // A success goes to standard output; a stop or an error to standard error.
  const JobOutcome outcome = job.Outcome();
  if (outcome == JobOutcome::kDone) {
    std::printf("%s\n", TerminalText(message).c_str());
    return kExitDone;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", TerminalText(message).c_str());
  return outcome == JobOutcome::kDoneWithChecksumError ? kExitDoneWithError : kExitCancelled;
}

}  // namespace
}  // namespace kv

int main(int argc, char** argv) {
  using kv::Options;
  Options o;
  CLI::App app{"Kolvanto: divide a file into a series of pieces, or restore it from them"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all");

  auto questionFlags = [&o](CLI::App* sub) {
    sub->add_flag("-y,--yes", o.yes, "Answer every yes/no question yes");
    sub->add_flag("--overwrite", o.overwrite,
                  "Without a terminal, overwrite an existing file instead of stopping");
    sub->add_flag("--force", o.force,
                  "Without a terminal, go on past a damaged piece or one of another series");
    sub->add_flag("--progress", o.progress,
                  "Show progress on standard error even without a terminal");
  };
  auto divideOptions = [&o](CLI::App* sub) {
    sub->add_option("-t,--type", o.divideType, "Divide type")->check(CLI::Range(0, 3));
    sub->add_option("-s,--size", o.size,
                    "Piece size: bytes (commas allowed), with K, M or G, or fit (free space)");
    sub->add_option("--type0", o.type0, "How Type0 cuts")
        ->check(CLI::IsMember({"size", "line", "string"}));
    sub->add_option("--string", o.divideString, "The string Type0 cuts at");
    sub->add_option("--cut", o.cut, "Cut before or after the string")
        ->check(CLI::IsMember({"before", "after"}));
    sub->add_option("--ext-start", o.extStart, "First Type0 extension: 0 (.000) or 1 (.001)")
        ->check(CLI::Range(0, 1));
    sub->add_option("--ext-char", o.extChar, "A character added to the Type0 extensions");
  };

  auto settingsFlag = [&o](CLI::App* sub) {
    sub->add_flag("--defaults", o.defaults,
                  "Start from the default settings instead of the user's stored settings");
  };

  CLI::App* info = app.add_subcommand("info", "Describe what would be done with FILE");
  info->add_option("FILE", o.file, "The file to look at")->required();
  divideOptions(info);
  settingsFlag(info);

  CLI::App* divide = app.add_subcommand("divide", "Divide SOURCE into a series of pieces");
  divide->add_option("SOURCE", o.file, "The file to divide")->required();
  divide->add_option("-o,--output", o.output, "The first piece (default: beside the source)");
  divideOptions(divide);
  divide
      ->add_option("--self-restore", o.selfRestoreKind,
                   "Make a self-restoring series with this kind of the stub data file (0-5)")
      ->check(CLI::Range(0, 5));
  divide->add_option("--stub-data", o.stubData,
                     "The stub data file to use instead of Kolvanto.dat beside the program");
  questionFlags(divide);
  settingsFlag(divide);

  CLI::App* restore = app.add_subcommand("restore", "Restore a file from its first piece");
  restore->add_option("FIRST_PIECE", o.file, "The first piece of the series")->required();
  restore->add_option("-o,--output", o.output, "The restored file (default: the recorded name)");
  restore->add_option("--head-cut", o.headCut,
                      "Type0: drop FIRST bytes from the first piece and NEXT from the others");
  restore->add_option("--ext", o.restoreExt, "Type0: the extension of the restored file");
  questionFlags(restore);
  settingsFlag(restore);

  kv::CheckCommandOptions check;
  CLI::App* checkCommand =
      app.add_subcommand("check", "Check Type3 pieces (folders or files) without restoring");
  checkCommand->add_option("PATH", check.paths, "Folders (their piece files) or files")->required();
  checkCommand->add_option("--sort", check.sort, "Sort the lines by a column")
      ->check(CLI::IsMember({"name", "verdict", "remark"}));
  checkCommand->add_flag("--reverse", check.reverse, "Reverse the order");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : kv::kExitRefused;
  }
  if (checkCommand->parsed()) {
    return kv::RunCheckCommand(check);
  }
  try {
    const kv::Command command = info->parsed()     ? kv::Command::kInfo
                                : divide->parsed() ? kv::Command::kDivide
                                                   : kv::Command::kRestore;
    return kv::Run(command, o);
  } catch (const kv::UsageError& e) {
    std::fprintf(stderr, "%s\n", e.text.c_str());
    return kv::kExitRefused;
  }
}
