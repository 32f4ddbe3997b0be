// How the user names files in the main window: the two file dialogs, the
// default folders of the name boxes, dropped files and the recent files.

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include "app/desktop_prompter.h"
#include "app/divide_dlg.h"
#include "app/file_filters.h"
#include "app/window_texts.h"
#include "platform/shell_actions.h"

namespace kv {

namespace wt = window_texts;

namespace {

std::size_t Index(bool source) {
  return source ? 0 : 1;
}

// The name a file dialog starts with. A name the dialog cannot start from (its
// folder is gone) is replaced by no name; when the text is itself a folder,
// the dialog opens there.
QString InitialName(const std::string& text) {
  const QFileInfo info(QString::fromStdString(text));
  if (text.empty() || info.dir().exists()) {
    return QString::fromStdString(text);
  }
  if (info.isDir()) {
    QDir::setCurrent(info.absoluteFilePath());
  }
  return {};
}

}  // namespace

QComboBox* CDivideDlg::BoxWidget(Box box) const {
  return box == Box::kSource ? sourceBox_ : destinationBox_;
}

void CDivideDlg::SetBoxText(Box box, const std::string& text) {
  QComboBox* widget = BoxWidget(box);
  const QString shown = QString::fromStdString(text);
  if (widget->currentText() != shown) {
    widget->setEditText(shown);
  }
  boxText_[Index(box == Box::kSource)] = text;
}

void CDivideDlg::ChooseSource() {
  if (JobRunning()) {
    return;
  }
  PullTexts(planner_->Texts());
  const QString chosen = QFileDialog::getOpenFileName(this, QString::fromUtf8(wt::kOpenTitle),
                                                      InitialName(planner_->Texts().source),
                                                      QtNameFilters(wt::kSourceFilters));
  if (chosen.isEmpty()) {
    return;
  }
  SetBoxText(Box::kSource, chosen.toStdString());
  context_.job.SourceChanged = 1;
  planner_->AnalyseSource();
}

void CDivideDlg::ChooseDestination() {
  if (JobRunning()) {
    return;
  }
  planner_->AnalyseSource();
  const bool dividing = context_.job.IsDivide == 1;
  // Execute asks about an existing destination itself.
  const QString chosen = QFileDialog::getSaveFileName(
      this, QString::fromUtf8(wt::kSaveTitle), InitialName(planner_->Texts().destination),
      QtNameFilters(DestinationFilters(dividing, context_.settings)), nullptr,
      QFileDialog::DontConfirmOverwrite);
  if (!chosen.isEmpty()) {
    SetBoxText(Box::kDestination, chosen.toStdString());
  }
}

void CDivideDlg::MergeDefaultFolder(Box box) {
  QComboBox* widget = BoxWidget(box);
  const std::size_t i = Index(box == Box::kSource);
  if (widget->currentIndex() < 0) {
    return;
  }
  // The list has already put the item in the box: the file name comes from the text before it.
  const std::string before = boxText_[i];
  const std::size_t slash = before.rfind('/');
  const std::string fileName = slash == std::string::npos ? before : before.substr(slash + 1);
  const std::string item = widget->itemText(widget->currentIndex()).toStdString();
  if (!IsFolderEntry(item)) {
    boxText_[i] = item;
    return;
  }
  // However the folder's end was typed, the name goes inside the folder.
  pendingText_[i] = StoredPathEntry(item) + fileName;
  mergeTimer_[i]->start();
}

void CDivideDlg::MergeTick(Box box) {
  const std::size_t i = Index(box == Box::kSource);
  SetBoxText(box, pendingText_[i]);
  MainWindowTexts& texts = planner_->Texts();
  PullTexts(texts);
  const std::string& now = box == Box::kSource ? texts.source : texts.destination;
  if (now == pendingText_[i]) {
    mergeTimer_[i]->stop();
  }
}

void CDivideDlg::DropFiles(const std::vector<std::string>& files) {
  if (files.empty()) {
    return;
  }
  if (files.size() > 1 && prompter_->Ask(MakeMessage(wt::kManyFilesQuestion, Buttons::kYesNo,
                                                     Icon::kQuestion)) == Answer::kYes) {
    for (std::size_t i = 1; i < files.size(); ++i) {
      context_.shell.StartCopy(context_.program, files[i]);
    }
  }
  PullTexts(planner_->Texts());
  SetBoxText(Box::kSource, files.front());
  context_.job.SourceChanged = 1;
  planner_->AnalyseSource();
}

void CDivideDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (acceptDrops() && event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void CDivideDlg::dropEvent(QDropEvent* event) {
  if (!acceptDrops()) {
    return;
  }
  std::vector<std::string> files;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      files.push_back(url.toLocalFile().toStdString());
    }
  }
  event->acceptProposedAction();
  DropFiles(files);
}

void CDivideDlg::OpenRecent(int n) {
  if (JobRunning() || recent_[static_cast<std::size_t>(n)].empty()) {
    return;
  }
  SetBoxText(Box::kSource, recent_[static_cast<std::size_t>(n)]);
  context_.job.SourceChanged = 1;
  planner_->AnalyseSource();
}

}  // namespace kv
