#include "core/recorded_name.h"

#include "core/utf8.h"

namespace kv {
namespace {

// Every byte as the Latin-1 character of the same number.
std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (b >> 6)));
      out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return out;
}

// The characters a Windows file name cannot hold, besides the control characters.
bool IsReservedInName(char c) {
  return std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos;
}

}  // namespace

std::string SafeFileName(std::string_view name, bool blankEnds) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    char32_t code = 0;
    const std::size_t length = DecodeUtf8(name, i, code);
    if (length == 0) {
      out.push_back(name[i++]);  // a byte of no character is kept as it is
    } else if (IsHiddenCharacter(code) || (length == 1 && IsReservedInName(name[i]))) {
      out.push_back('_');
      i += length;
    } else {
      out.append(name.substr(i, length));
      i += length;
    }
  }
  if (blankEnds) {
    for (std::size_t i = 0; i < out.size() && out[i] == ' '; ++i) {
      out[i] = '_';
    }
    for (std::size_t i = out.size(); i > 0 && out[i - 1] == ' '; --i) {
      out[i - 1] = '_';
    }
  }
  return out;
}

std::string RecordedSourceName(std::string_view path, bool blankEnds) {
  const std::size_t slash = path.rfind('/');
  return SafeFileName(slash == std::string_view::npos ? path : path.substr(slash + 1), blankEnds);
}

std::optional<std::string> SanitizeRecordedName(std::string_view recorded,
                                                CodePageToUtf8 fromCodePage) {
  if (recorded.size() > kMaxRecordedNameBytes) {
    return std::nullopt;
  }
  // Convert before cutting: a CP932 double-byte character may end in 0x5C,
  // which is no separator there.
  std::string name;
  if (IsValidUtf8(recorded)) {
    name.assign(recorded);
  } else if (auto converted = fromCodePage ? fromCodePage(recorded) : std::nullopt) {
    name = std::move(*converted);
  } else {
    name = Latin1ToUtf8(recorded);
  }
  const std::size_t cut = name.find_last_of("/\\");
  if (cut != std::string::npos) {
    name.erase(0, cut + 1);
  }
  if (name.empty() || name == "." || name == "..") {
    return std::nullopt;
  }
  return SafeFileName(name);
}

}  // namespace kv
