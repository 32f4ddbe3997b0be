#include "tools/validity_sort.h"

#include <string>

#include "core/ascii_text.h"

namespace kv {

namespace {

unsigned char FoldedByte(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(AsciiLower(text[i]));
}

// The name as it sorts: an executable stands just before the .d01 piece of
// the same name.
std::string NameSortText(std::string_view name) {
  std::string text(name);
  if (EndsWithIgnoringAsciiCase(text, "exe")) {
    text.replace(text.size() - 3, 3, "d00");
  }
  return text;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = FoldedByte(a, i);
    const unsigned char y = FoldedByte(b, i);
    if (x != y) {
      return x < y ? -1 : 1;
    }
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int Sign(int value) {
  return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

}  // namespace

int SortKeyState::Click(int column) {
  int key = column;
  if (key == lastKey_) {
    key = column + kDescendingKey;
  }
  lastKey_ = key;
  return key;
}

int VerdictRank(std::string_view mark) {
  if (mark == "○") {
    return 1;
  }
  if (mark == "▲") {
    return 2;
  }
  if (mark == "×") {
    return 3;
  }
  if (mark == "？") {
    return 4;
  }
  return 5;
}

int CompareColumnTexts(int column, std::string_view a, std::string_view b) {
  switch (column) {
    case kNameColumn:
      return CompareIgnoringCase(NameSortText(a), NameSortText(b));
    case kVerdictColumn:
      return Sign(VerdictRank(a) - VerdictRank(b));
    case kRemarkColumn:
      return Sign(a.compare(b));
    default:
      return 0;
  }
}

int CompareForKey(int key, std::string_view a, std::string_view b) {
  const int result = CompareColumnTexts(key % kDescendingKey, a, b);
  return key >= kDescendingKey ? -result : result;
}

}  // namespace kv
