#include "core/recorded_name.h"

#include <cstdint>

#ifndef _WIN32
#include <iconv.h>
#endif

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

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) {
#ifdef _WIN32
  // On Windows the recorded bytes already are in the system code page.
  return std::string(bytes);
#else
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    return std::nullopt;
  }
  std::string in(bytes);
  std::string out(bytes.size() * 4 + 4, '\0');
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1) || inLeft != 0) {
    return std::nullopt;
  }
  out.resize(out.size() - outLeft);
  return out;
#endif
}

}  // namespace

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

std::optional<std::string> SanitizeRecordedName(std::string_view recorded) {
  if (recorded.size() > kMaxRecordedNameBytes) {
    return std::nullopt;
  }
  // Convert before cutting: a CP932 double-byte character may end in 0x5C,
  // which is no separator there.
  std::string name;
  if (IsValidUtf8(recorded)) {
    name.assign(recorded);
  } else if (auto converted = Cp932ToUtf8(recorded)) {
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
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) {
      return std::nullopt;
    }
  }
  return name;
}

}  // namespace kv
