#include "tools/check_list_model.h"

#include <algorithm>

namespace kv {

namespace {

constexpr int kColumnCount = 3;

QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The verdict column is centred, the others left-aligned, headers as their columns.
QVariant ColumnAlignment(int column) {
  const Qt::Alignment alignment =
      column == kVerdictColumn ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
  return QVariant::fromValue(alignment.toInt());
}

}  // namespace

void CheckListModel::Clear() {
  beginResetModel();
  rows_.clear();
  rowOfId_.clear();
  endResetModel();
}

void CheckListModel::AppendNames(const std::vector<std::string>& names) {
  if (names.empty()) {
    return;
  }
  const int first = static_cast<int>(rows_.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(names.size()) - 1);
  for (const std::string& name : names) {
    rowOfId_[nextId_] = static_cast<int>(rows_.size());
    rows_.push_back({nextId_++, name, {}, {}, false});
  }
  endInsertRows();
}

std::vector<CheckTarget> CheckListModel::Targets(const std::vector<int>& rows) const {
  std::vector<CheckTarget> targets;
  for (int row : rows) {
    const CheckRow& r = rows_.at(static_cast<std::size_t>(row));
    targets.push_back({r.id, r.name});
  }
  return targets;
}

std::vector<CheckTarget> CheckListModel::AllTargets() const {
  std::vector<int> rows(rows_.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = static_cast<int>(i);
  }
  return Targets(rows);
}

QModelIndex CheckListModel::SetTexts(CheckRowId id, std::string_view mark,
                                     std::string_view remark) {
  const auto found = rowOfId_.find(id);
  if (found == rowOfId_.end()) {
    return {};
  }
  CheckRow& row = rows_[static_cast<std::size_t>(found->second)];
  row.mark = mark;
  row.remark = remark;
  emit dataChanged(index(found->second, 1), index(found->second, 2));
  return index(found->second, 0);
}

void CheckListModel::SortByKey(int key) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<CheckRowId> oldOrder;
  oldOrder.reserve(rows_.size());
  for (const CheckRow& row : rows_) {
    oldOrder.push_back(row.id);
  }
  const int column = key % kDescendingKey;
  std::stable_sort(rows_.begin(), rows_.end(), [&](const CheckRow& a, const CheckRow& b) {
    return CompareForKey(key, ColumnText(a, column), ColumnText(b, column)) < 0;
  });
  IndexRows();
  // Persistent indexes (selection, current row) follow their rows by identity.
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  for (const QModelIndex& old : from) {
    const CheckRowId id = oldOrder.at(static_cast<std::size_t>(old.row()));
    to.push_back(index(rowOfId_.at(id), old.column()));
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CheckListModel::IndexRows() {
  rowOfId_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    rowOfId_[rows_[i].id] = static_cast<int>(i);
  }
}

int CheckListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CheckListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    return ToQ(ColumnText(rows_[static_cast<std::size_t>(index.row())], index.column()));
  }
  if (role == Qt::TextAlignmentRole) {
    return ColumnAlignment(index.column());
  }
  return {};
}

QVariant CheckListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    static const char* const kHeaders[kColumnCount] = {"ファイル名", "判定", "備考"};
    return section >= 0 && section < kColumnCount ? QString::fromUtf8(kHeaders[section])
                                                  : QString();
  }
  if (role == Qt::TextAlignmentRole) {
    return ColumnAlignment(section);
  }
  return {};
}

}  // namespace kv
