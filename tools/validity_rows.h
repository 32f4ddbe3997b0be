#pragma once
// The rows of a check list held for threads: the worker writes verdicts by
// row id while another thread re-sorts, selects or reads the rows.

#include <mutex>
#include <string>
#include <vector>

#include "tools/validity_run.h"
#include "tools/validity_sort.h"

namespace kv {

struct CheckRow {
  CheckRowId id = 0;
  std::string name;  // file name without folder
  std::string mark;
  std::string remark;
  bool selected = false;
};

class CheckRowTable final : public CheckObserver {
 public:
  // Empties the table (ids are never reused).
  void Clear();
  // Appends a row with the name and empty texts; returns its id.
  CheckRowId Append(const std::string& name);
  void SetSelected(CheckRowId id, bool selected);
  // The rows in their present order.
  std::vector<CheckRow> Rows() const;
  // The rows a run visits, top to bottom: the selected ones, or all when
  // none is selected.
  std::vector<CheckTarget> TargetsToVisit() const;
  // Re-orders the rows by a sort key (see SortKeyState); rows that compare
  // equal keep their order.
  void Sort(int key);

  void RowStarted(CheckRowId id) override;
  void RowJudged(CheckRowId id, CheckVerdict verdict) override;

 private:
  void SetTexts(CheckRowId id, std::string_view mark, std::string_view remark);
  mutable std::mutex mutex_;
  std::vector<CheckRow> rows_;
  CheckRowId nextId_ = 1;
};

// The text a row shows in a column.
std::string_view ColumnText(const CheckRow& row, int column);

}  // namespace kv
