#include "tools/validity_rows.h"

#include <algorithm>

namespace kv {

std::string_view ColumnText(const CheckRow& row, int column) {
  switch (column) {
    case kVerdictColumn:
      return row.mark;
    case kRemarkColumn:
      return row.remark;
    default:
      return row.name;
  }
}

void CheckRowTable::Clear() {
  std::lock_guard lock(mutex_);
  rows_.clear();
}

CheckRowId CheckRowTable::Append(const std::string& name) {
  std::lock_guard lock(mutex_);
  const CheckRowId id = nextId_++;
  CheckRow row;
  row.id = id;
  row.name = name;
  rows_.push_back(std::move(row));
  return id;
}

void CheckRowTable::SetSelected(CheckRowId id, bool selected) {
  std::lock_guard lock(mutex_);
  for (CheckRow& row : rows_) {
    if (row.id == id) {
      row.selected = selected;
    }
  }
}

std::vector<CheckRow> CheckRowTable::Rows() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

std::vector<CheckTarget> CheckRowTable::TargetsToVisit() const {
  std::lock_guard lock(mutex_);
  const bool anySelected =
      std::any_of(rows_.begin(), rows_.end(), [](const CheckRow& r) { return r.selected; });
  std::vector<CheckTarget> targets;
  for (const CheckRow& row : rows_) {
    if (!anySelected || row.selected) {
      targets.push_back(CheckTarget{.id = row.id, .name = row.name});
    }
  }
  return targets;
}

void CheckRowTable::Sort(int key) {
  std::lock_guard lock(mutex_);
  const int column = key % kDescendingKey;
  std::stable_sort(rows_.begin(), rows_.end(), [&](const CheckRow& a, const CheckRow& b) {
    return CompareForKey(key, ColumnText(a, column), ColumnText(b, column)) < 0;
  });
}

void CheckRowTable::RowStarted(CheckRowId id) {
  SetTexts(id, kCheckingMark, "");
}

void CheckRowTable::RowJudged(CheckRowId id, CheckVerdict verdict) {
  SetTexts(id, VerdictMark(verdict), VerdictRemark(verdict));
}

void CheckRowTable::SetTexts(CheckRowId id, std::string_view mark, std::string_view remark) {
  std::lock_guard lock(mutex_);
  for (CheckRow& row : rows_) {
    if (row.id == id) {
      row.mark = mark;
      row.remark = remark;
    }
  }
}

}  // namespace kv
