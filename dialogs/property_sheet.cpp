#include "dialogs/property_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/command_ids.h"

namespace kv {

CPropertyPage::CPropertyPage(const QString& caption) : caption_(caption) {}

void CPropertyPage::MarkShown() {
  if (!shown_) {
    shown_ = true;
    OnFirstShow();
  }
}

CPropertySheet::CPropertySheet(const QString& caption, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget) {
  setWindowTitle(caption);
  // Every page's caption shows whole: the sheet is as wide as its row of tabs.
  tabs_->setUsesScrollButtons(false);
  (new QVBoxLayout(this))->addWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, &CPropertySheet::OnTabChanged);
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  pages_.push_back(page);
  tabs_->addTab(page, page->Caption());
  if (pages_.size() == 1) {
    activeIndex_ = 0;
    page->MarkShown();
  }
}

void CPropertySheet::FinishPages() {
  // Created behind the pages' controls, so that Tab reaches them last.
  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel =
      buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  ok->setObjectName(QString::fromStdString(ids::ObjectName(ids::kIdOk)));
  cancel->setObjectName(QString::fromStdString(ids::ObjectName(ids::kIdCancel)));
  connect(buttons, &QDialogButtonBox::accepted, this, &CPropertySheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CPropertySheet::reject);
  layout()->addWidget(buttons);
  // Enter confirms the sheet from every page: OK is the default once it is
  // inside the sheet, and no page's own button takes Enter when it has the focus.
  for (CPropertyPage* page : pages_) {
    for (QPushButton* button : page->findChildren<QPushButton*>()) {
      button->setAutoDefault(false);
    }
  }
  ok->setDefault(true);
}

int CPropertySheet::ActiveIndex() const {
  return activeIndex_;
}

void CPropertySheet::SetActivePage(int index) {
  tabs_->setCurrentIndex(index);
}

void CPropertySheet::Restart() {
  switching_ = true;
  tabs_->setCurrentIndex(0);
  switching_ = false;
  for (CPropertyPage* page : pages_) {
    page->ResetShown();
  }
  activeIndex_ = pages_.empty() ? -1 : 0;
  if (!pages_.empty()) {
    pages_.front()->MarkShown();
  }
}

void CPropertySheet::OnTabChanged(int index) {
  if (switching_ || index == activeIndex_ || index < 0) {
    return;
  }
  // The page being left validates first; a refusal brings it back.
  if (activeIndex_ >= 0 && !Page(activeIndex_)->OnKillActive()) {
    switching_ = true;
    tabs_->setCurrentIndex(activeIndex_);
    switching_ = false;
    return;
  }
  activeIndex_ = index;
  Page(index)->MarkShown();
}

void CPropertySheet::accept() {
  if (activeIndex_ >= 0 && !Page(activeIndex_)->OnKillActive()) {
    return;
  }
  for (CPropertyPage* page : pages_) {
    if (page->WasShown() && !page->OnApply()) {
      return;
    }
  }
  QDialog::accept();
}

}  // namespace kv
