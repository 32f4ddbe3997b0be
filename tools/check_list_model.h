#pragma once
// The rows of the validity check dialog's list: file name, verdict mark and
// remark. Rows keep an identity, so a verdict reaches its file's row however
// the rows were re-sorted meanwhile. Lives on the dialog's thread.

#include <QAbstractTableModel>
#include <QModelIndexList>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/validity_rows.h"

namespace kv {

class CheckListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  void Clear();
  // Appends one row per name, all at once.
  void AppendNames(const std::vector<std::string>& names);
  // The rows' identities and names, in the order of `rows`.
  std::vector<CheckTarget> Targets(const std::vector<int>& rows) const;
  // Every row's identity and name, top to bottom.
  std::vector<CheckTarget> AllTargets() const;
  // Sets a row's mark and remark; returns its present index (invalid when gone).
  QModelIndex SetTexts(CheckRowId id, std::string_view mark, std::string_view remark);
  // Re-orders the rows by a sort key; equal rows keep their order and
  // selections stay with their rows.
  void SortByKey(int key);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  void IndexRows();

  std::vector<CheckRow> rows_;
  std::unordered_map<CheckRowId, int> rowOfId_;
  CheckRowId nextId_ = 1;
};

}  // namespace kv
