#include "dialogs/setup_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/dialog_helpers.h"

namespace kv {

namespace {

QCheckBox* AddCheck(QVBoxLayout* layout, const char* caption, int id, bool checked) {
  auto* box = NameControl(new QCheckBox(QString::fromUtf8(caption)), id);
  box->setChecked(checked);
  layout->addWidget(box);
  return box;
}

}  // namespace

CSetupPage::CSetupPage(DivideSettings& settings)
    : CPropertyPage(QStringLiteral("一般設定")), settings_(settings) {
  auto* layout = new QVBoxLayout(this);
  endMessage_ = AddCheck(layout, "実行完了時に、メッセージボックスを表示する",
                         ids::kEndMessageCheck, settings.EndMessage);
  fdAuto_ = AddCheck(layout, "リムーバブルディスクドライブを自動認識する", ids::kFdAutoCheck,
                     settings.FDAuto);
  defaultDv_ = AddCheck(layout, "分割ファイルのパスをデフォルトパスに準じさせる",
                        ids::kDefaultDvCheck, settings.DefaultDV);
  defaultRs_ = AddCheck(layout, "復元ファイルのパスをデフォルトパスに準じさせる",
                        ids::kDefaultRsCheck, settings.DefaultRS);
  // Mount points are case-sensitive paths here, so the text is kept as typed.
  removableDrive_ =
      NameControl(new QLineEdit(ToQ(settings.RemovableDrive)), ids::kRemovableDriveEdit);
  layout->addWidget(LabelFor(QStringLiteral("リムーバブルディスクドライブ(&V)"), removableDrive_));
  layout->addWidget(removableDrive_);
  layout->addStretch();
}

bool CSetupPage::OnApply() {
  settings_.EndMessage = endMessage_->isChecked();
  settings_.FDAuto = fdAuto_->isChecked();
  settings_.DefaultDV = defaultDv_->isChecked();
  settings_.DefaultRS = defaultRs_->isChecked();
  settings_.RemovableDrive = ToStd(removableDrive_->text());
  return true;
}

}  // namespace kv
