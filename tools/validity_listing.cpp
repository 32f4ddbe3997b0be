#include "tools/validity_listing.h"

#include <algorithm>
#include <filesystem>

namespace kv {

namespace {

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
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
  constexpr std::string_view kExtension = ".exe";
  if (name.size() < kExtension.size()) {
    return false;
  }
  const std::string_view tail = name.substr(name.size() - kExtension.size());
  return std::equal(tail.begin(), tail.end(), kExtension.begin(),
                    [](char a, char b) { return AsciiLower(a) == b; });
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
