#include "tools/validity_listing.h"

#include <algorithm>
#include <filesystem>

#include "core/ascii_text.h"
#include "core/piece_names.h"

namespace kv {

namespace {

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

bool IsPieceFileName(std::string_view name) {
  std::size_t digits = 0;
  while (digits < name.size() && IsAsciiDigit(name[name.size() - 1 - digits])) {
    ++digits;
  }
  if (digits < 2 || name.size() < digits + 2) {
    return false;
  }
  const std::size_t letter = name.size() - digits - 1;
  return AsciiLower(name[letter]) == 'd' && name[letter - 1] == '.';
}

bool IsExecutableName(std::string_view name) {
  return HasExeExtension(name);
}

std::vector<std::string> ListCandidateFiles(const std::string& folder) {
  std::vector<std::string> pieces;
  std::vector<std::string> executables;
  if (folder.empty()) {
    return pieces;
  }
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IsPieceFileName(name)) {
      std::error_code typeError;
      if (!it->is_directory(typeError)) {
        pieces.push_back(name);
      }
    }
    if (IsExecutableName(name)) {
      executables.push_back(name);
    }
  }
  std::sort(pieces.begin(), pieces.end());
  std::sort(executables.begin(), executables.end());
  pieces.insert(pieces.end(), executables.begin(), executables.end());
  return pieces;
}

}  // namespace kv
