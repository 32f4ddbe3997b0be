#include "dialogs/setup_path_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_helpers.h"
#include "dialogs/path_drop_list.h"
#include "dialogs/path_input_dlg.h"

namespace kv {

namespace {

constexpr int kMaxLines = static_cast<int>(kDefaultPathEntries);
// Group boxes of the two lists.
constexpr int kDivideGroupId = 1057;
constexpr int kRestoreGroupId = 1058;

void FillFrom(CPathDropList* list, const DefaultPathList& entries) {
  list->clear();
  for (const std::string& entry : entries) {
    if (!entry.empty()) {
      list->addItem(ToQ(entry));
    }
  }
}

void CopyTo(DefaultPathList& entries, const CPathDropList* list) {
  entries.fill(std::string());
  for (int row = 0; row < list->count() && row < kMaxLines; ++row) {
    entries[static_cast<std::size_t>(row)] = ToStd(list->item(row)->text());
  }
}

}  // namespace

CSetupPathPage::CSetupPathPage(DivideSettings& settings)
    : CPropertyPage(QStringLiteral("デフォルトパス")), settings_(settings) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildGroup(
      QStringLiteral("元のファイル"), kDivideGroupId, divide_,
      {ids::kDividePathList, ids::kDividePathAdd, ids::kDividePathEdit, ids::kDividePathDelete}));
  layout->addWidget(BuildGroup(QStringLiteral("作成ファイル"), kRestoreGroupId, restore_,
                               {ids::kRestorePathList, ids::kRestorePathAdd, ids::kRestorePathEdit,
                                ids::kRestorePathDelete}));
}

QWidget* CSetupPathPage::BuildGroup(const QString& caption, int groupId, PathList& group,
                                    const std::array<int, 4>& controlIds) {
  auto* box = NameControl(new QGroupBox(caption), groupId);
  group.list = new CPathDropList(controlIds[0], kMaxLines);
  group.add = NameControl(new QPushButton(QStringLiteral("追加...")), controlIds[1]);
  group.edit = NameControl(new QPushButton(QStringLiteral("編集...")), controlIds[2]);
  group.remove = NameControl(new QPushButton(QStringLiteral("削除")), controlIds[3]);
  auto* grid = new QGridLayout(box);
  grid->addWidget(group.list, 0, 0, 4, 1);
  grid->addWidget(group.add, 0, 1);
  grid->addWidget(group.edit, 1, 1);
  grid->addWidget(group.remove, 2, 1);
  grid->setRowStretch(3, 1);
  const PathList* self = &group;
  connect(group.list, &QListWidget::itemSelectionChanged, this,
          [this, self] { UpdateButtons(*self); });
  connect(group.add, &QPushButton::clicked, this, [this, self] { OnAdd(*self); });
  connect(group.edit, &QPushButton::clicked, this, [this, self] { OnEdit(*self); });
  connect(group.remove, &QPushButton::clicked, this, [this, self] { OnDelete(*self); });
  return box;
}

void CSetupPathPage::OnFirstShow() {
  FillFrom(divide_.list, settings_.DefaultPaths.Divide);
  FillFrom(restore_.list, settings_.DefaultPaths.Restore);
  UpdateButtons(divide_);
  UpdateButtons(restore_);
}

void CSetupPathPage::UpdateButtons(const PathList& group) {
  const bool selected = !group.list->selectedItems().isEmpty();
  group.edit->setEnabled(selected);
  group.remove->setEnabled(selected);
}

void CSetupPathPage::OnAdd(const PathList& group) {
  if (group.list->count() >= kMaxLines) {
    ShowExclamation(this, QStringLiteral("これ以上は追加できません"));
    return;
  }
  QString path;
  if (CPathInputDlg::Run(this, path)) {
    group.list->addItem(path);
  }
}

void CSetupPathPage::OnEdit(const PathList& group) {
  const QList<QListWidgetItem*> selected = group.list->selectedItems();
  if (selected.isEmpty()) {
    return;
  }
  QListWidgetItem* item = selected.front();
  QString path = item->text();
  if (CPathInputDlg::Run(this, path)) {
    item->setText(path);
  }
}

void CSetupPathPage::OnDelete(const PathList& group) {
  const QList<QListWidgetItem*> selected = group.list->selectedItems();
  if (selected.isEmpty()) {
    return;
  }
  const int row = group.list->row(selected.front());
  delete group.list->takeItem(row);
  if (row < group.list->count()) {
    group.list->setCurrentRow(row);
  } else {
    group.list->clearSelection();
  }
  UpdateButtons(group);
}

bool CSetupPathPage::OnApply() {
  CopyTo(settings_.DefaultPaths.Divide, divide_.list);
  CopyTo(settings_.DefaultPaths.Restore, restore_.list);
  return true;
}

}  // namespace kv
