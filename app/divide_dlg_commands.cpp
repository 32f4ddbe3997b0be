// The main window's menu commands: the job commands, the settings commands,
// help and the about box.

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

#include "app/about_box.h"
#include "app/desktop_prompter.h"
#include "app/divide_dlg.h"
#include "app/help_window.h"
#include "core/stub_data_file.h"
#include "dialogs/divide_type_sheet.h"
#include "dialogs/setup_sheet.h"
#include "tools/validity_check_dlg.h"

namespace kv {

namespace {

// The maker's home page. Until the program has a public page of its own, the
// command opens the first page of the bundled help.
constexpr const char* kHomePageAddress = "";

}  // namespace

void CDivideDlg::OnAnalyse() {
  planner_->AnalyseSource();
}

void CDivideDlg::OnExecute() {
  planner_->Execute();
}

void CDivideDlg::OnSelfRestore() {
  planner_->CreateSelfRestoring();
}

void CDivideDlg::OnSetup() {
  if (JobRunning()) {
    return;
  }
  CSetupSheet sheet(context_.settings, context_.stubs, this);
  if (sheet.exec() == QDialog::Accepted) {
    RefillAfterSetup(context_.settings, *sourceBox_, *destinationBox_, *sizeBox_);
    PullTexts(planner_->Texts());
  }
}

void CDivideDlg::OnDivideType() {
  if (JobRunning()) {
    return;
  }
  if (divideTypeSheet_ == nullptr) {
    divideTypeSheet_ = new CDivideTypeSheet(this);
    divideTypeSheet_->SetApplyStep(
        [this](CDivideTypeSheet& sheet) { return TakeOverDivideType(sheet, context_.settings); });
  }
  divideTypeSheet_->Run(context_.settings);
  // However the sheet closed, the source is analysed under the settings now in force.
  planner_->AnalyseSource();
}

void CDivideDlg::OnValidityCheck() {
  CValidityCheckDlg dialog(this);
  dialog.exec();
}

void CDivideDlg::OnNoCarryOver() {
  noCarryOverAction_->setChecked(context_.store.ToggleNoCarryOver());
}

void CDivideDlg::OnDeleteSettings() {
  if (context_.store.DeleteSettingsAndExit(*prompter_)) {
    CloseWindow();
  }
}

CHelpWindow& CDivideDlg::Help() {
  if (help_ == nullptr) {
    help_ = new CHelpWindow(this);
  }
  return *help_;
}

void CDivideDlg::OnHelpContents() {
  Help().ShowContents();
}

void CDivideDlg::OnHelpSearch() {
  Help().ShowSearch();
}

void CDivideDlg::OnHelpOnHelp() {
  Help().ShowHelpOnHelp();
}

void CDivideDlg::OnHomePage() {
  if (*kHomePageAddress == '\0') {
    Help().ShowContents();
    return;
  }
  QDesktopServices::openUrl(QUrl(QString::fromUtf8(kHomePageAddress)));
}

void CDivideDlg::OnAbout() {
  CAboutDlg(context_.stubs.StatusText(), this).exec();
}

}  // namespace kv
