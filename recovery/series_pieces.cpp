#include "recovery/series_pieces.h"

#include <cstdio>

#include "core/ascii_text.h"
#include "core/piece_format.h"
#include "core/piece_names.h"
#include "platform/safe_create.h"
#include "recovery/gf16.h"

namespace kv {

namespace {

std::string_view WithoutSuffix(std::string_view name, std::string_view suffix) {
  if (name.size() > suffix.size() && EndsWithIgnoringAsciiCase(name, suffix)) {
    name.remove_suffix(suffix.size());
  }
  return name;
}

// Drops ".volF+C" (or ".volF-C") from the end of a recovery file's NAME part.
std::string_view WithoutVolumeRange(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.substr(dot + 1, 3) != "vol") {
    return name;
  }
  const std::string_view range = name.substr(dot + 4);
  const std::size_t sign = range.find_first_of("+-");
  const auto digits = [](std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (sign == std::string_view::npos || !digits(range.substr(0, sign)) ||
      !digits(range.substr(sign + 1))) {
    return name;
  }
  return name.substr(0, dot);
}

}  // namespace

bool IsRecoveryFileName(std::string_view fileName) {
  return fileName.size() > 5 && EndsWithIgnoringAsciiCase(fileName, ".par2");
}

std::string SetNameOf(std::string_view fileName) {
  if (IsRecoveryFileName(fileName)) {
    return std::string(WithoutVolumeRange(WithoutSuffix(fileName, ".par2")));
  }
  const std::size_t dot = fileName.rfind('.');
  return std::string(dot == std::string_view::npos || dot == 0 ? fileName
                                                               : fileName.substr(0, dot));
}

bool FindSeriesPieces(const std::string& firstPiece, SeriesPieces& pieces) {
  const PieceRecognition kind = RecognisePieceName(FileNamePart(firstPiece));
  if (kind.kind == PieceNameKind::kFileToDivide) {
    return false;
  }
  const bool typed = kind.kind == PieceNameKind::kTypedCandidate;
  // Every typed series numbers its pieces as the marked format does.
  const PieceScheme scheme = typed ? MarkedFormat().scheme : kind.scheme;
  int number = typed ? 1 : kind.firstNumber;
  pieces.folder = firstPiece.substr(0, FileNameStart(firstPiece));
  pieces.names = {std::string(FileNamePart(firstPiece))};
  pieces.setName = SetNameOf(pieces.names.front());
  // A series longer than a set can protect is still listed whole, so it is refused whole.
  while (pieces.names.size() <= gf16::kMaxInputSlices) {
    const std::string next = SetPieceNumber(firstPiece, ++number, scheme);
    if (KindOfName(next) != NameKind::kRegular) {
      break;
    }
    pieces.names.emplace_back(FileNamePart(next));
  }
  return true;
}

std::string IndexFileName(std::string_view setName) {
  return std::string(setName) + ".par2";
}

std::string VolumeFileName(std::string_view setName, std::uint32_t firstExponent,
                           std::uint32_t count, int exponentDigits, int countDigits) {
  char range[48];
  std::snprintf(range, sizeof range, ".vol%0*u+%0*u.par2", exponentDigits, firstExponent,
                countDigits, count);
  return std::string(setName) + range;
}

}  // namespace kv
