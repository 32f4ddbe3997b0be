#include "settings/settings_file_import.h"

#include <array>
#include <climits>
#include <fstream>
#include <string_view>
#include <system_error>

namespace kv {
namespace {

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view WithoutLineEnd(std::string_view value) {
  if (!value.empty() && value.back() == '\n') {
    value.remove_suffix(1);
  }
  return value;
}

// "One digit": the single character after "="; anything but a digit leaves the field as it was.
void SetDigit(std::string_view value, int& field) {
  if (!value.empty() && IsDigit(value.front())) {
    field = value.front() - '0';
  }
}
void SetDigit(std::string_view value, bool& field) {
  int digit = field ? 1 : 0;
  SetDigit(value, digit);
  field = digit != 0;
}

// The first word of the value: leading blanks skipped, then up to the next blank.
std::string FirstWord(std::string_view value) {
  std::size_t begin = 0;
  while (begin < value.size() && IsBlank(value[begin])) {
    ++begin;
  }
  std::size_t end = begin;
  while (end < value.size() && !IsBlank(value[end])) {
    ++end;
  }
  return std::string(value.substr(begin, end - begin));
}

// A decimal number as a standard conversion reads it: blanks, a sign, digits;
// no digits read as 0, and values beyond an int saturate.
int DecimalNumber(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && IsBlank(value[i])) {
    ++i;
  }
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  long long number = 0;
  for (; i < value.size() && IsDigit(value[i]); ++i) {
    number = number * 10 + (value[i] - '0');
    if (number > static_cast<long long>(INT_MAX) + 1) {
      number = static_cast<long long>(INT_MAX) + 1;
    }
  }
  if (negative) {
    return static_cast<int>(-number);
  }
  return number > INT_MAX ? INT_MAX : static_cast<int>(number);
}

// "DefaultPath" L "-" N "=": list 1 ("Divide") or 2 ("Restore"), entry 1..50.
void SetDefaultPath(std::string_view rest, DefaultPathLists& paths) {
  if (rest.size() < 2 || (rest[0] != '1' && rest[0] != '2') || rest[1] != '-') {
    return;
  }
  // More digits than this name no entry either, and the number cannot overflow.
  constexpr std::size_t kMostEntryDigits = 4;
  std::size_t i = 2;
  std::size_t entry = 0;
  const std::size_t digitsBegin = i;
  for (; i < rest.size() && IsDigit(rest[i]) && i - digitsBegin < kMostEntryDigits; ++i) {
    entry = entry * 10 + static_cast<std::size_t>(rest[i] - '0');
  }
  if (i == digitsBegin || i >= rest.size() || rest[i] != '=') {
    return;
  }
  if (entry < 1 || entry > kDefaultPathEntries) {
    return;
  }
  DefaultPathList& list = rest[0] == '1' ? paths.Divide : paths.Restore;
  list[entry - 1] = std::string(WithoutLineEnd(rest.substr(i + 1)));
}

using Apply = void (*)(std::string_view value, DivideSettings& s);

struct KeyRule {
  std::string_view key;
  Apply apply;
};

constexpr std::array<KeyRule, 20> kRules{{
    {"DivideType=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.DivideType); }},
    {"DivideSize=",
     [](std::string_view v, DivideSettings& s) {
       s.DivideSize = FirstWord(v);
       if (s.DivideSize.empty()) {
         s.DivideSize = DivideSettings::StoredDefaults().DivideSize;
       }
     }},
    {"RemovableDrive=",
     [](std::string_view v, DivideSettings& s) { s.RemovableDrive = FirstWord(v); }},
    {"Type0Type=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.Type0Type); }},
    {"EndMessage=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.EndMessage); }},
    {"DefaultDV=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.DefaultDV); }},
    {"DefaultRS=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.DefaultRS); }},
    {"DivideExt=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.DivideExt); }},
    {"TimingString=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.TimingString); }},
    {"TimingSize=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.TimingSize); }},
    {"DivideString=",
     [](std::string_view v, DivideSettings& s) { s.DivideString = WithoutLineEnd(v); }},
    {"RsDefaultExt=",
     [](std::string_view v, DivideSettings& s) { s.RsDefaultExt = WithoutLineEnd(v); }},
    {"DivideExtAddC=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.DivideExtAddC); }},
    // The character itself; an empty value leaves the line end character.
    {"DivideExtChar=",
     [](std::string_view v, DivideSettings& s) { s.DivideExtChar = v.empty() ? '\0' : v[0]; }},
    {"HeadCut=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.HeadCut); }},
    {"HeadCut1=", [](std::string_view v, DivideSettings& s) { s.HeadCutFirst = DecimalNumber(v); }},
    {"HeadCut2=", [](std::string_view v, DivideSettings& s) { s.HeadCutNext = DecimalNumber(v); }},
    {"RestoreNo=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.RestoreNo); }},
    {"RSShortFileName=",
     [](std::string_view v, DivideSettings& s) { SetDigit(v, s.ShortFileName); }},
    {"FDAuto=", [](std::string_view v, DivideSettings& s) { SetDigit(v, s.FDAuto); }},
}};

}  // namespace

bool ReadLinePiece(std::istream& in, std::size_t limit, std::string& piece) {
  piece.clear();
  while (piece.size() < limit) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) {
      break;
    }
    if (c == '\r' && in.peek() == '\n') {
      continue;  // "\r\n" is one line end
    }
    piece.push_back(static_cast<char>(c));
    if (c == '\n') {
      break;
    }
  }
  return !piece.empty();
}

void ApplySettingsLine(std::string_view line, DivideSettings& settings) {
  constexpr std::string_view kDefaultPath = "DefaultPath";
  for (const KeyRule& rule : kRules) {
    if (line.starts_with(rule.key)) {
      rule.apply(line.substr(rule.key.size()), settings);
      return;
    }
  }
  if (line.starts_with(kDefaultPath)) {
    SetDefaultPath(line.substr(kDefaultPath.size()), settings.DefaultPaths);
  }
}

bool ApplySettingsFile(std::istream& in, DivideSettings& settings) {
  std::string line;
  if (!ReadLinePiece(in, kFirstLineLimit, line) ||
      !std::string_view(line).starts_with(kSettingsFileHeader)) {
    return false;
  }
  while (ReadLinePiece(in, kOtherLineLimit, line)) {
    ApplySettingsLine(line, settings);
  }
  return true;
}

std::optional<std::filesystem::path> FindSettingsFile(
    std::span<const std::filesystem::path> folders) {
  for (const auto& folder : folders) {
    const auto file = folder / kSettingsFileName;
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
      continue;
    }
    if (std::ifstream(file, std::ios::binary).is_open()) {
      return file;
    }
  }
  return std::nullopt;
}

bool ImportSettingsFile(const std::filesystem::path& file, DivideSettings& settings) {
  {
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open()) {
      return false;
    }
    ApplySettingsFile(in, settings);
  }
  std::error_code ignored;  // a file that cannot be deleted stays, reported nowhere
  std::filesystem::remove(file, ignored);
  return true;
}

}  // namespace kv
