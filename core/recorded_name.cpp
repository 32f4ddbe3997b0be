#include "core/recorded_name.h"

#include <cstdint>

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

bool IsReplacedByte(unsigned char b) {
  return b < 0x20 || b == 0x7F ||
         std::string_view("\"*/:<>?\\|").find(static_cast<char>(b)) != std::string_view::npos;
}

// The length of the UTF-8 sequence at `at` when it is a C1 control or a
// bidirectional override, else 0.
std::size_t SpoofingLength(std::string_view name, std::size_t at) {
  const auto byte = [&name](std::size_t i) { return static_cast<unsigned char>(name[i]); };
  const std::size_t left = name.size() - at;
  if (left >= 2 && byte(at) == 0xC2 && byte(at + 1) >= 0x80 && byte(at + 1) <= 0x9F) {
    return 2;
  }
  if (left < 3 || byte(at) != 0xE2) {
    return 0;
  }
  const unsigned second = byte(at + 1);
  const unsigned third = byte(at + 2);
  const bool embedding = second == 0x80 && third >= 0xAA && third <= 0xAE;
  const bool isolate = second == 0x81 && third >= 0xA6 && third <= 0xA9;
  return embedding || isolate ? 3 : 0;
}

}  // namespace

std::string SafeFileName(std::string_view name, bool blankEnds) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    if (const std::size_t spoof = SpoofingLength(name, i); spoof != 0) {
      out.push_back('_');
      i += spoof;
      continue;
    }
    const auto b = static_cast<unsigned char>(name[i++]);
    out.push_back(IsReplacedByte(b) ? '_' : static_cast<char>(b));
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

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (n - i < len) {
      return false;
    }
    for (std::size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) {
        return false;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += len;
  }
  return true;
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
