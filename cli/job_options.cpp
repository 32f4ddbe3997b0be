#include "cli/job_options.h"

#include <filesystem>

#include "core/ascii_text.h"
#include "core/piece_format.h"

namespace kv {

namespace {

void AddQuestionFlags(CLI::App* sub, Options& o) {
  sub->add_flag("-y,--yes", o.yes, "Answer every yes/no question yes");
  sub->add_flag("--overwrite", o.overwrite, "Without a terminal: overwrite an existing file");
  sub->add_flag("--force", o.force, "Without a terminal: pass damaged or foreign pieces");
  sub->add_flag("--progress", o.progress, "Show progress on stderr even without a terminal");
}
void AddDivideOptions(CLI::App* sub, Options& o) {
  sub->add_option("-t,--type", o.divideType, "Divide type")->check(CLI::Range(0, kDivideTypes - 1));
  sub->add_option("-s,--size", o.size, "Bytes, K/M/G/T, fit, fat32, dvd, dvd-dl, bd, mail");
  sub->add_option("--type0", o.type0, "How Type0 cuts")
      ->check(CLI::IsMember({"size", "line", "string"}));
  sub->add_option("--string", o.divideString, "The string Type0 cuts at");
  sub->add_option("--cut", o.cut, "Cut before or after the string")
      ->check(CLI::IsMember({"before", "after"}));
  sub->add_option("--ext-start", o.extStart, "First Type0 extension: 0 (.000) or 1 (.001)")
      ->check(CLI::Range(0, 1));
  sub->add_option("--ext-char", o.extChar, "A character added to the Type0 extensions");
}

void AddSettingsFlag(CLI::App* sub, Options& o) {
  sub->add_flag("--defaults", o.defaults, "Ignore the stored settings, start from the defaults");
}

}  // namespace

JobCommands AddJobCommands(CLI::App& app, Options& o) {
  CLI::App* info = app.add_subcommand("info", "Describe what would be done with FILE");
  info->add_option("FILE", o.file, "The file to look at")->required();
  AddDivideOptions(info, o);
  AddSettingsFlag(info, o);

  CLI::App* divide = app.add_subcommand("divide", "Divide SOURCE into a series of pieces");
  divide->add_option("SOURCE", o.file, "The file to divide (-: standard input, Type0 only)")
      ->required();
  divide->add_option("-o,--output", o.output, "The first piece (default: beside the source)");
  AddDivideOptions(divide, o);
  divide
      ->add_option("--self-restore", o.selfRestoreKind,
                   "Self-restoring series of this kind (see --version)")
      ->check(CLI::Range(0, 5));
  divide->add_option("--stub-data", o.stubData, "Use this stub data file instead of Kolvanto.dat");
  divide->add_flag("--resume", o.resume, "Go on from the pieces an earlier run left");
  divide->add_option("--recovery", o.recovery, "PAR2 recovery data that rebuilds N lost pieces")
      ->check(CLI::Range(0, 32768));
  AddQuestionFlags(divide, o);
  AddSettingsFlag(divide, o);

  CLI::App* restore = app.add_subcommand("restore", "Restore a file from its first piece");
  restore->add_option("FIRST_PIECE", o.file, "The first piece of the series")->required();
  restore->add_option("-o,--output", o.output, "The restored file (default: the recorded name)");
  restore->add_option("--head-cut", o.headCut,
                      "Type0: drop FIRST bytes of piece 1, NEXT of others");
  restore->add_option("--ext", o.restoreExt, "Type0: the extension of the restored file");
  AddQuestionFlags(restore, o);
  AddSettingsFlag(restore, o);

  return {info, divide, restore};
}

Command JobCommands::Parsed() const {
  return info->parsed() ? Command::kInfo : divide->parsed() ? Command::kDivide : Command::kRestore;
}

std::string Absolute(const std::string& name) {
  if (name.empty() || name.front() == '/') {
    return name;
  }
  std::error_code error;
  const auto path = std::filesystem::absolute(name, error);
  return error ? name : path.lexically_normal().string();
}

namespace {

// The media the command line names, with the sizes of the built-in presets for them.
struct NamedSize {
  std::string_view name;
  std::int64_t bytes;
};
constexpr NamedSize kNamedSizes[] = {
    {"fat32", 4294967295}, {"dvd", 4700372992}, {"dvd-dl", 8543666176},
    {"bd", 25025314816},   {"mail", 26214400},
};

// The multiplier a size suffix stands for (powers of 1024); 0 for no suffix known.
std::int64_t SuffixUnit(char s) {
  switch (s) {
    case 'K':
    case 'k':
      return std::int64_t{1} << 10;
    case 'M':
    case 'm':
      return std::int64_t{1} << 20;
    case 'G':
    case 'g':
      return std::int64_t{1} << 30;
    case 'T':
    case 't':
      return std::int64_t{1} << 40;
    default:
      return 0;
  }
}

}  // namespace

// A size option: a byte count (commas allowed), a count with K, M, G or T, a
// medium's name, or "fit".
std::string SizeText(const std::string& option) {
  if (option == "fit") {
    return std::string(kFitToFreeSpace);
  }
  for (const NamedSize& named : kNamedSizes) {
    if (option == named.name) {
      return std::to_string(named.bytes);
    }
  }
  std::size_t i = 0;
  // One past the largest size: a longer count is refused below, never wrapped.
  const std::int64_t value = ReadSaturatedDecimal(option, i, kLargestDivideSize + 1, true);
  const bool digits = option.find_first_of("0123456789") < i;
  std::int64_t unit = 1;
  if (i + 1 == option.size()) {
    unit = SuffixUnit(option[i]);
    ++i;
  }
  if (!digits || i != option.size() || unit == 0 || value > kLargestDivideSize / unit) {
    throw UsageError{"invalid size: " + option +
                     " (a byte count up to 1,099,511,627,776, with K, M, G or T, "
                     "fat32, dvd, dvd-dl, bd, mail, or fit)"};
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
  if (s.Type0Type == 2 && s.DivideString.empty() && PieceFormatOf(s.DivideType).RawSlices()) {
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

}  // namespace kv
