#include "dialogs/setup_restore_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/dialog_helpers.h"
#include "dialogs/integer_field.h"

namespace kv {

namespace {

constexpr int kMaxHeadCut = 32767;

}  // namespace

CSetupRestorePage::CSetupRestorePage(DivideSettings& settings)
    : CPropertyPage(QStringLiteral("復元設定")), settings_(settings) {
  ext_ = NameControl(new QLineEdit(ToQ(settings.RsDefaultExt)), ids::kRsDefaultExtEdit);
  QLabel* extLabel = LabelFor(QStringLiteral("復元ファイルのデフォルト拡張子(&E)"), ext_);
  headCut_ =
      NameControl(new QCheckBox(QStringLiteral("先頭？バイトを切り捨てる")), ids::kHeadCutCheck);
  headCut_->setChecked(settings.HeadCut);
  first_ = new CUpDownEdit(ids::kHeadCutFirstEdit, 0, kMaxHeadCut);
  next_ = new CUpDownEdit(ids::kHeadCutNextEdit, 0, kMaxHeadCut);
  first_->SetValue(settings.HeadCutFirst);
  next_->SetValue(settings.HeadCutNext);

  auto* group = new QGroupBox(QStringLiteral("Type0の復元"));
  auto* grid = new QGridLayout(group);
  grid->addWidget(extLabel, 0, 0, 1, 2);
  grid->addWidget(ext_, 0, 2);
  grid->addWidget(headCut_, 1, 0, 1, 3);
  grid->addWidget(LabelFor(QStringLiteral("最初のファイル"), first_->Edit()), 2, 0);
  grid->addWidget(first_, 2, 1);
  grid->addWidget(new QLabel(QStringLiteral("バイト")), 2, 2);
  grid->addWidget(LabelFor(QStringLiteral("以降のファイル"), next_->Edit()), 3, 0);
  grid->addWidget(next_, 3, 1);
  grid->addWidget(new QLabel(QStringLiteral("バイト")), 3, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addStretch();
  connect(headCut_, &QCheckBox::clicked, this, &CSetupRestorePage::UpdateCountsEnabled);
  UpdateCountsEnabled();
}

void CSetupRestorePage::UpdateCountsEnabled() {
  first_->setEnabled(headCut_->isChecked());
  next_->setEnabled(headCut_->isChecked());
}

bool CSetupRestorePage::OnKillActive() {
  for (CUpDownEdit* field : {first_, next_}) {
    if (const auto error = IntegerFieldError(field->Edit()->text(), 0, kMaxHeadCut)) {
      ShowExclamation(this, *error);
      field->Edit()->setFocus();
      field->Edit()->selectAll();
      return false;
    }
  }
  return true;
}

bool CSetupRestorePage::OnApply() {
  settings_.RsDefaultExt = ToStd(ext_->text());
  settings_.HeadCutFirst = first_->Edit()->text().toInt();
  settings_.HeadCutNext = next_->Edit()->text().toInt();
  // Cutting nothing from either kind of piece is the same as not cutting.
  settings_.HeadCut =
      headCut_->isChecked() && (settings_.HeadCutFirst != 0 || settings_.HeadCutNext != 0);
  return true;
}

}  // namespace kv
