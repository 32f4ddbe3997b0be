#include "platform/file_helpers.h"

#include <cctype>
#include <filesystem>
#include <string_view>

#include "core/ascii_text.h"

namespace kv {

namespace {

// Characters a short name may hold besides letters and digits.
constexpr std::string_view kShortNameSigns = "$%'-_@~`!(){}^#&";

bool IsShortNameChar(unsigned char c) {
  return (c < 0x80 && std::isalnum(c) != 0) ||
         kShortNameSigns.find(static_cast<char>(c)) != std::string_view::npos;
}

bool FitsShortName(std::string_view part, std::size_t maxLength, bool mayBeEmpty) {
  if (part.size() > maxLength || (part.empty() && !mayBeEmpty)) {
    return false;
  }
  for (const char c : part) {
    if (!IsShortNameChar(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

// Upper case; every character outside the short-name set becomes one "_" (a
// multibyte UTF-8 character counts as one); at most `maxLength` characters.
std::string ShortNamePart(std::string_view part, std::size_t maxLength) {
  std::string out;
  for (std::size_t i = 0; i < part.size() && out.size() < maxLength; ++i) {
    const auto c = static_cast<unsigned char>(part[i]);
    if (c >= 0x80) {
      while (i + 1 < part.size() && (static_cast<unsigned char>(part[i + 1]) & 0xC0) == 0x80) {
        ++i;  // the rest of the same UTF-8 character
      }
      out.push_back('_');
    } else if (IsShortNameChar(c)) {
      out.push_back(AsciiUpper(static_cast<char>(c)));
    } else {
      out.push_back('_');
    }
  }
  return out;
}

}  // namespace

std::string ShortName83(const std::string& path) {
  std::string_view name(path);
  while (name.size() > 1 && name.back() == '/') {
    name.remove_suffix(1);
  }
  const std::size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) {
    name.remove_prefix(slash + 1);
  }
  if (name.empty()) {
    return {};
  }
  // The extension follows the last dot, unless that dot starts the name.
  const std::size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && dot > 0;
  const std::string_view base = hasExtension ? name.substr(0, dot) : name;
  const std::string_view extension = hasExtension ? name.substr(dot + 1) : std::string_view();
  if (FitsShortName(base, 8, false) && FitsShortName(extension, 3, true) &&
      !(hasExtension && extension.empty())) {
    return std::string(name);
  }
  std::string shortName = ShortNamePart(base, 6) + "~1";
  const std::string shortExtension = ShortNamePart(extension, 3);
  if (!shortExtension.empty()) {
    shortName += "." + shortExtension;
  }
  return shortName;
}

std::vector<std::string> NamesInFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  return names;
}

}  // namespace kv
