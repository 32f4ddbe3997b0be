#include "dialogs/setup_self_restore_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "dialogs/dialog_helpers.h"
#include "dialogs/sized_list.h"

namespace kv {

CSetupSelfRestorePage::CSetupSelfRestorePage(DivideSettings& settings, const StubDataFile& stubs)
    : CPropertyPage(QStringLiteral("自己復元")), settings_(settings) {
  QStringList names;
  for (const std::string& name : stubs.KindNames()) {
    names << ToQ(name);
  }
  // A stub data file holds at most six kinds: all show at once.
  kinds_ = NameControl(new CSizedList(6, names), ids::kRestoreKindList);
  kinds_->setSelectionMode(QAbstractItemView::SingleSelection);
  kinds_->addItems(names);
  if (settings.RestoreNo >= 0 && settings.RestoreNo < kinds_->count()) {
    kinds_->setCurrentRow(settings.RestoreNo);
  }
  shortName_ = NameControl(
      new QCheckBox(QStringLiteral("WIN32以外は、分割元ファイル名をMS-DOS名で記録する")),
      ids::kShortFileNameCheck);
  shortName_->setChecked(settings.ShortFileName);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LabelFor(QStringLiteral("種類"), kinds_));
  layout->addWidget(kinds_);
  layout->addWidget(shortName_);
}

bool CSetupSelfRestorePage::OnApply() {
  settings_.ShortFileName = shortName_->isChecked();
  const QList<QListWidgetItem*> selected = kinds_->selectedItems();
  settings_.RestoreNo = selected.isEmpty() ? -1 : kinds_->row(selected.front());
  return true;
}

}  // namespace kv
