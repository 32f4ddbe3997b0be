#include "core/piece_names.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>

#include "core/ascii_text.h"
#include "core/piece_format.h"

namespace kv {
namespace {

std::string NumberText(int number, PieceScheme scheme) {
  char text[16];
  std::snprintf(text, sizeof text,
                scheme == PieceScheme::kThreeDigit  ? "%03d"
                : scheme == PieceScheme::kAddedChar ? "%02d"
                                                    : "d%02d",
                number);
  return text;
}

// Position of the "." that starts the extension of the file name, or npos.
// A leading "." (a hidden file such as ".profile") starts no extension.
std::size_t ExtensionDot(std::string_view path) {
  const std::size_t start = FileNameStart(path);
  const std::size_t dot = path.rfind('.');
  return (dot == std::string_view::npos || dot <= start) ? std::string_view::npos : dot;
}

// The name with its extension replaced by `extension`, or with it appended.
std::string WithExtension(std::string_view path, std::string_view extension) {
  const std::size_t dot = ExtensionDot(path);
  std::string result(path.substr(0, dot));
  result += extension;
  return result;
}

// The second "Restore" default folder when DefaultRS asks for it, else empty.
std::string RestoreFolder(const DivideSettings& settings) {
  const std::string& folder = settings.DefaultPaths.Restore[1];
  return settings.DefaultRS && IsFolderEntry(folder) ? StoredPathEntry(folder) : std::string();
}

// Leading decimal digits as a number (0 when there are none).
int LeadingNumber(std::string_view text) {
  std::size_t at = 0;
  return static_cast<int>(ReadSaturatedDecimal(text, at, INT_MAX));
}

// A usable added character: printable ASCII, not a path separator, and none
// that would make the pieces read back as another series: "0" (".000" is the
// three-digit scheme), "d" or "D" (".d01" is a typed first piece) and "."
// ("y..01" is found by no restore).
bool IsUsableAddedChar(char c) {
  return c > ' ' && c < 0x7F && std::string_view("/\\0.dD").find(c) == std::string_view::npos;
}

// Windows drops the dots and blanks that end a file name: a name that ends
// in them becomes the one Windows would make, on every system alike.
void DropTrailingDotsAndBlanks(std::string& name, std::size_t fileNameStart) {
  while (name.size() > fileNameStart && (name.back() == '.' || name.back() == ' ')) {
    name.pop_back();
  }
}

}  // namespace

std::string FormatGrouped(std::int64_t value) {
  // Works on the magnitude as unsigned so that the smallest value cannot overflow.
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const std::string digits = std::to_string(magnitude);
  std::string result = value < 0 ? "-" : "";
  const std::size_t first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i >= first && (i - first) % 3 == 0) {
      result += ',';
    }
    result += digits[i];
  }
  return result;
}

std::size_t FileNameStart(std::string_view path) {
  const std::size_t sep = path.find_last_of("/\\");
  return sep == std::string_view::npos ? 0 : sep + 1;
}

std::string_view FileNamePart(std::string_view path) {
  return path.substr(FileNameStart(path));
}

int PieceNumberAtEnd(std::string_view name, std::size_t digits) {
  const std::size_t from = name.size() >= digits ? name.size() - digits : 0;
  int value = 0;
  std::from_chars(name.data() + from, name.data() + name.size(), value);
  return value;
}

int PieceNumberOf(std::string_view name, PieceScheme scheme) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < FileNameStart(name)) {
    return 0;
  }
  // Past the added character, or the "d" of a typed series.
  const std::size_t from =
      std::min(name.size(), dot + (scheme == PieceScheme::kThreeDigit ? 1 : 2));
  int value = 0;
  std::from_chars(name.data() + from, name.data() + name.size(), value);
  return value;
}

std::string SetPieceNumber(std::string_view name, int number, PieceScheme scheme) {
  const std::string numberText = NumberText(number, scheme);
  const std::size_t start = FileNameStart(name);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < start) {
    return std::string(name) + "." + numberText;
  }
  std::size_t write = dot + 1;
  if (scheme == PieceScheme::kAddedChar && write < name.size()) {
    ++write;  // the added character stays
  }
  return std::string(name.substr(0, write)) + numberText;
}

PieceScheme Type0Scheme(const DivideSettings& settings) {
  return settings.DivideExtAddC && IsUsableAddedChar(settings.DivideExtChar)
             ? PieceScheme::kAddedChar
             : PieceScheme::kThreeDigit;
}

int Type0FirstNumber(const DivideSettings& settings) {
  return settings.DivideExt == 1 ? 1 : 0;
}

std::string FirstPieceExtension(const DivideSettings& settings, bool selfRestoring) {
  if (selfRestoring) {
    return ".exe";
  }
  if (const std::string_view typed = PieceFormatOf(settings.DivideType).firstExtension;
      !typed.empty()) {
    return std::string(typed);
  }
  const bool firstIsOne = Type0FirstNumber(settings) == 1;
  if (Type0Scheme(settings) == PieceScheme::kAddedChar) {
    // Always lower case, as the divide type sheet types it, so that a stored upper-case
    // character still matches the extension check.
    return std::string(".") + AsciiLower(settings.DivideExtChar) + (firstIsOne ? "01" : "00");
  }
  return firstIsOne ? ".001" : ".000";
}

std::string ProposeFirstPieceName(std::string_view source, const DivideSettings& settings,
                                  bool selfRestoring) {
  std::string name = WithExtension(source, FirstPieceExtension(settings, selfRestoring));
  const std::string& folder = settings.DefaultPaths.Restore[0];
  if (settings.DefaultDV && IsFolderEntry(folder)) {
    name = StoredPathEntry(folder) + std::string(FileNamePart(name));
  }
  return name;
}

std::string EnforceFirstPieceExtension(std::string_view dest, std::string_view source,
                                       std::string_view firstExtension) {
  if (dest.size() >= firstExtension.size() && firstExtension.size() >= 3) {
    std::string tail(dest.substr(dest.size() - firstExtension.size()));
    tail[tail.size() - 3] = AsciiLower(tail[tail.size() - 3]);
    if (tail == firstExtension) {
      return std::string(dest);
    }
  }
  const std::string_view base = dest.empty() ? source : dest;
  if (base.empty()) {
    return {};
  }
  return WithExtension(base, firstExtension);
}

std::string ProposeType0RestoredName(std::string_view firstPiece, const DivideSettings& settings) {
  const std::size_t keep = firstPiece.size() >= 3 ? firstPiece.size() - 3 : 0;
  std::string name = std::string(firstPiece.substr(0, keep)) + settings.RsDefaultExt;
  // Without an extension the name Windows makes drops the trailing ".": so does ours.
  DropTrailingDotsAndBlanks(name, FileNameStart(name));
  if (name.size() == FileNameStart(name)) {
    name += '_';
  }
  const std::string folder = RestoreFolder(settings);
  if (!folder.empty()) {
    name = folder + std::string(FileNamePart(name));
  }
  return name;
}

std::string ProposeTypedRestoredName(std::string_view firstPiece, std::string_view storedName,
                                     const DivideSettings& settings) {
  // A recorded name is data from a file: it never chooses the folder.
  std::string file(FileNamePart(storedName));
  DropTrailingDotsAndBlanks(file, 0);
  if (file.empty()) {
    const std::string_view piece = FileNamePart(firstPiece);
    const std::size_t dot = ExtensionDot(piece);
    file = std::string(piece.substr(0, dot));
    if (file.empty()) {
      file = "_";
    }
  }
  std::string folder = RestoreFolder(settings);
  if (folder.empty()) {
    folder = firstPiece.substr(0, FileNameStart(firstPiece));
  }
  return folder + file;
}

PieceRecognition RecognisePieceName(std::string_view name) {
  PieceRecognition result;
  const std::size_t start = FileNameStart(name);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < start) {
    return result;
  }
  const std::string_view ext = name.substr(dot + 1, 3);
  if (ext.size() < 3) {
    return result;
  }
  result.executable = EqualsIgnoringAsciiCase(ext, "exe");
  if (result.executable || EqualsIgnoringAsciiCase(ext, "d01")) {
    result.kind = PieceNameKind::kTypedCandidate;
    return result;
  }
  const std::string_view lastTwo = ext.substr(1);
  if (lastTwo != "00" && lastTwo != "01") {
    return result;
  }
  result.kind = PieceNameKind::kType0First;
  const bool threeDigit = name[name.size() - 3] == '0';
  result.scheme = threeDigit ? PieceScheme::kThreeDigit : PieceScheme::kAddedChar;
  result.firstNumber = LeadingNumber(name.substr(name.size() - (threeDigit ? 3 : 2)));
  return result;
}

bool EndsLikeTypedFirstPiece(std::string_view name) {
  return EndsWithIgnoringAsciiCase(name, "d01") || EndsWithIgnoringAsciiCase(name, "exe");
}

bool HasExeExtension(std::string_view name) {
  return EndsWithIgnoringAsciiCase(name, ".exe");
}

}  // namespace kv
