// The main window: construction, initialisation, the planner's view and closing.

#include "app/divide_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app_icon.h"
#include "app/desktop_prompter.h"
#include "app/dialog_font.h"
#include "app/recent_files.h"
#include "app/window_texts.h"
#include "core/program_version.h"
#include "core/stub_data_file.h"
#include "core/text_fill.h"
#include "dialogs/command_ids.h"
#include "plan/plan_texts.h"
#include "platform/volumes.h"
#include "tools/percent_progress_ctrl.h"

namespace kv {

namespace wt = window_texts;

namespace {

constexpr int kJobTimerPeriodMs = 50;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

CDivideDlg::CDivideDlg(const WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowIcon(KolvantoIcon());
  setFont(JapaneseDialogFont());
  setAcceptDrops(true);
  prompter_ = std::make_unique<DesktopPrompter>(this, context_.shell);
  planner_ = std::make_unique<JobPlanner>(context_.settings, context_.job, context_.stubs,
                                          *prompter_, context_.volumes, *this, context_.worker);

  // The texts the window starts with, before anything is loaded.
  MainWindowTexts& texts = planner_->Texts();
  texts.source = context_.initialSource;
  context_.job.SourceChanged = texts.source.empty() ? 0 : 1;
  texts.destination.clear();
  texts.sizeText = wt::kInitialSize;
  texts.information =
      FormatText(wt::kInitialInformation, std::to_string(kProgramVersionMajor).c_str(),
                 std::to_string(kProgramVersionMinor).c_str());
  texts.title = plan_texts::kTitleIdle;

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildMenus();
  layout->setMenuBar(menuBar_);
  auto* client = new QWidget(this);
  BuildControls(client);
  layout->addWidget(client);
  ConnectControls();
  jobTimer_ = new QTimer(this);
  jobTimer_->setInterval(kJobTimerPeriodMs);
  connect(jobTimer_, &QTimer::timeout, this, [this] { planner_->OnJobTimer(); });
  ApplyStoredPosition();
  InitDialog();
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

CDivideDlg::~CDivideDlg() {
  // A job still running is stopped, its questions answered No or Cancel, and
  // its end seen before the window goes; nothing is left blocked on the window.
  if (planner_->JobActive()) {
    prompter_->Close();
    planner_->Cancel();
    while (planner_->OnJobTimer()) {
      QCoreApplication::processEvents();
      QThread::msleep(5);
    }
  }
  PullTexts(planner_->Texts());
  const QPoint corner = pos();
  context_.store.SaveOnExit(context_.settings, WindowPosition{corner.x(), corner.y()}, recent_);
}

void CDivideDlg::ApplyStoredPosition() {
  const WindowPosition stored = context_.store.LoadWindowPosition();
  if (stored.left && stored.top) {
    move(*stored.left, *stored.top);
  }
}

void CDivideDlg::InitDialog() {
  progress_->SetRange(0, 1000);
  context_.store.LoadSettings(context_.settings, *prompter_, context_.settingsFileFolders);
  if (context_.settings.DivideSizePresets.empty()) {
    context_.settings.DivideSizePresets = BuiltInPresets();
  }
  LoadStubData();
  if (context_.settings.FDAuto) {
    context_.settings.RemovableDrive = context_.volumes.DetectRemovableMounts();
  }
  recent_ = context_.store.LoadRecentFiles();
  RebuildRecentMenu();
  FillSizeList();
  MainWindowTexts& texts = planner_->Texts();
  ShowTexts(texts);
  sizeBox_->setEditText(Q(context_.settings.DivideSize));
  PullTexts(texts);
  planner_->AnalyseSource();
  FillDefaultPathLists();
  sourceBox_->setFocus();
}

void CDivideDlg::FillSizeList() {
  sizeBox_->clear();
  for (const SizePreset& preset : context_.settings.DivideSizePresets) {
    sizeBox_->addItem(Q(preset.sizeText));
  }
}

void CDivideDlg::FillDefaultPathLists() {
  // Filling a list is no choice of the user's: the source stays unchanged,
  // and the boxes read what they read before.
  const std::pair<QComboBox*, const DefaultPathList*> lists[] = {
      {sourceBox_, &context_.settings.DefaultPaths.Divide},
      {destinationBox_, &context_.settings.DefaultPaths.Restore}};
  for (const auto& [box, list] : lists) {
    const QSignalBlocker blocker(box);
    box->clear();
    for (const std::string& entry : UsedEntries(*list)) {
      box->addItem(Q(entry));
    }
    box->setCurrentIndex(-1);
  }
  ShowTexts(planner_->Texts());
}

bool CDivideDlg::JobRunning() const {
  return planner_->JobActive();
}

void CDivideDlg::PullTexts(MainWindowTexts& texts) {
  texts.source = sourceBox_->currentText().toStdString();
  texts.destination = destinationBox_->currentText().toStdString();
  texts.sizeText = sizeBox_->currentText().toStdString();
  // The size box is the divide size setting.
  context_.settings.DivideSize = texts.sizeText;
}

void CDivideDlg::ShowTexts(const MainWindowTexts& texts) {
  SetBoxText(Box::kSource, texts.source);
  SetBoxText(Box::kDestination, texts.destination);
  if (sizeBox_->currentText() != Q(texts.sizeText)) {
    sizeBox_->setEditText(Q(texts.sizeText));
  }
  const QString information =
      Q(texts.information).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (information_->toPlainText() != information) {
    information_->setPlainText(information);
  }
  if (!texts.executeCaption.empty()) {
    executeButton_->setText(Q(texts.executeCaption));
  }
  setWindowTitle(Q(texts.title));
  status_->setText(Q(texts.statusField));
  progress_->SetShowText(texts.progressText);
  progress_->SetPos(texts.progress);
}

void CDivideDlg::SetBusy(bool busy) {
  setAcceptDrops(!busy);
  for (QWidget* control :
       std::initializer_list<QWidget*>{updateButton_, sourceBrowse_, destinationBrowse_,
                                       executeButton_, sourceBox_, destinationBox_, sizeBox_}) {
    control->setEnabled(!busy);
  }
  for (std::size_t position = 0; position < 3; ++position) {
    menus_[position]->menuAction()->setEnabled(!busy);
  }
  closeButton_->setText(QString::fromUtf8(busy ? wt::kCancelButton : wt::kCloseButton));
  if (busy) {
    closeButton_->setFocus();
  }
}

void CDivideDlg::AddRecentFile(const std::string& source) {
  AddRecent(recent_, source);
  RebuildRecentMenu();
}

void CDivideDlg::PostSelfRestoreCommand() {
  QTimer::singleShot(0, this, &CDivideDlg::OnSelfRestore);
}

void CDivideDlg::StartJobTimer() {
  jobTimer_->start();
}

void CDivideDlg::StopJobTimer() {
  jobTimer_->stop();
}

void CDivideDlg::OnCancel() {
  if (planner_->Cancel() == CancelOutcome::kClose) {
    CloseWindow();
  }
}

void CDivideDlg::CloseWindow() {
  closeAllowed_ = true;
  close();
}

void CDivideDlg::closeEvent(QCloseEvent* event) {
  // The close box is the close command: while a job runs it cancels the job.
  if (closeAllowed_ || planner_->Cancel() == CancelOutcome::kClose) {
    closeAllowed_ = false;
    event->accept();
    done(QDialog::Accepted);
    return;
  }
  event->ignore();
}

void CDivideDlg::reject() {
  // Esc.
  OnCancel();
}

}  // namespace kv
