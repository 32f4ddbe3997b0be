#pragma once
// How the check list sorts by a column: the key of a header click, and the
// comparison of two rows' texts under a key.

#include <string_view>

namespace kv {

// Columns of the check list.
inline constexpr int kNameColumn = 0;
inline constexpr int kVerdictColumn = 1;
inline constexpr int kRemarkColumn = 2;
// A key of column + this sorts that column descending.
inline constexpr int kDescendingKey = 100;

// The last sort key of one list: a click on the column just sorted sorts it
// descending, any other click ascending.
class SortKeyState {
 public:
  // The key for a click on `column` (0-2); it becomes the last key.
  int Click(int column);
  // -1 while nothing has been sorted.
  int LastKey() const { return lastKey_; }
  void Reset() { lastKey_ = -1; }

 private:
  int lastKey_ = -1;
};

// The rank of a verdict mark: "○" 1, "▲" 2, "×" 3, "？" 4, anything else 5.
int VerdictRank(std::string_view mark);

// <0, 0 or >0 as `a` sorts before, with or after `b` in `column`, ascending:
// names ignoring ASCII case with a final "exe" read as "d00", verdicts by
// rank, remarks byte by byte.
int CompareColumnTexts(int column, std::string_view a, std::string_view b);

// The same under a sort key (column, or column + kDescendingKey reversed).
int CompareForKey(int key, std::string_view a, std::string_view b);

}  // namespace kv
