#include "tools/validity_check_dlg.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>
#include <algorithm>

#include "core/job_state.h"
#include "dialogs/command_ids.h"
#include "tools/check_list_model.h"
#include "tools/validity_listing.h"

namespace kv {

namespace {

constexpr int kTimerPeriodMs = 100;
constexpr int kColumnWidths[] = {151, 40, 139};

template <class Widget>
Widget* Named(Widget* widget, int id) {
  widget->setObjectName(QString::fromStdString(ids::ObjectName(id)));
  return widget;
}

}  // namespace

// Carries the worker's row changes to the dialog's thread; a change still
// queued when the dialog is gone is dropped with it.
class CValidityCheckDlg::QueuedObserver final : public CheckObserver {
 public:
  explicit QueuedObserver(CValidityCheckDlg* dialog) : dialog_(dialog) {}
  void RowStarted(CheckRowId id) override {
    QMetaObject::invokeMethod(
        dialog_, [dialog = dialog_, id] { dialog->OnRowStarted(id); }, Qt::QueuedConnection);
  }
  void RowJudged(CheckRowId id, CheckVerdict verdict) override {
    QMetaObject::invokeMethod(
        dialog_, [dialog = dialog_, id, verdict] { dialog->OnRowJudged(id, verdict); },
        Qt::QueuedConnection);
  }

 private:
  CValidityCheckDlg* dialog_;
};

CValidityCheckDlg::CValidityCheckDlg(QWidget* parent)
    : QDialog(parent),
      folderEdit_(Named(new QLineEdit, ids::kCheckFolderEdit)),
      browse_(Named(new QPushButton(QStringLiteral("参照(&B)...")), ids::kCheckBrowseButton)),
      list_(Named(new QTreeView, ids::kCheckList)),
      check_(Named(new QPushButton(QStringLiteral("チェック(&E)")), ids::kIdOk)),
      close_(Named(new QPushButton(QStringLiteral("閉じる(&C)")), ids::kIdCancel)),
      model_(new CheckListModel(this)),
      observer_(std::make_unique<QueuedObserver>(this)) {
  setWindowTitle(QStringLiteral("正当性チェック"));
  setAcceptDrops(true);
  folderEdit_->setReadOnly(true);
  list_->setModel(model_);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setItemsExpandable(false);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->header()->setSectionsMovable(true);
  list_->header()->setSectionsClickable(true);
  list_->header()->setStretchLastSection(false);
  for (int column = 0; column < 3; ++column) {
    list_->header()->resizeSection(column, kColumnWidths[column]);
  }
  check_->setDefault(true);
  auto* grid = new QGridLayout(this);
  auto* folderLabel = new QLabel(QStringLiteral("フォルダ"));
  folderLabel->setBuddy(folderEdit_);
  grid->addWidget(folderLabel, 0, 0);
  grid->addWidget(folderEdit_, 0, 1);
  grid->addWidget(browse_, 0, 2);
  grid->addWidget(list_, 1, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(check_);
  buttons->addWidget(close_);
  grid->addLayout(buttons, 2, 0, 1, 3);
  resize(400, 320);
  connect(browse_, &QPushButton::clicked, this, &CValidityCheckDlg::Browse);
  connect(check_, &QPushButton::clicked, this, &CValidityCheckDlg::StartCheck);
  connect(close_, &QPushButton::clicked, this, &CValidityCheckDlg::reject);
  connect(list_->header(), &QHeaderView::sectionClicked, this, &CValidityCheckDlg::OnHeaderClicked);
  timer_.setInterval(kTimerPeriodMs);
  connect(&timer_, &QTimer::timeout, this, &CValidityCheckDlg::OnTimer);
}

CValidityCheckDlg::~CValidityCheckDlg() {
  run_.RequestCancel();
  run_.Join();
}

bool CValidityCheckDlg::IsRunning() const {
  return run_.State() != kRunIdle;
}

void CValidityCheckDlg::SetFolder(const QString& folder) {
  if (IsRunning()) {
    return;  // the worker reads the folder and the rows
  }
  model_->Clear();
  folder_ = folder.toStdString();
  folderEdit_->setText(folder);
  model_->AppendNames(ListCandidateFiles(folder_));
}

void CValidityCheckDlg::Browse() {
  QFileDialog picker(this, QStringLiteral("フォルダ指定"), folderEdit_->text());
  picker.setFileMode(QFileDialog::Directory);
  picker.setOption(QFileDialog::ShowDirsOnly);
  // The prompt has a line of its own: as the label of the folder box it would
  // squeeze the box to a few characters.
  picker.setOption(QFileDialog::DontUseNativeDialog);
  if (auto* grid = qobject_cast<QGridLayout*>(picker.layout())) {
    auto* prompt =
        new QLabel(QStringLiteral("チェックしたいファイルがあるフォルダを指定してください"));
    prompt->setObjectName(QStringLiteral("folderPrompt"));
    grid->addWidget(prompt, grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (picker.exec() == QDialog::Accepted && !picker.selectedFiles().isEmpty()) {
    SetFolder(picker.selectedFiles().front());
  }
}

void CValidityCheckDlg::StartCheck() {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  auto targets = rows.empty() ? model_->AllTargets() : model_->Targets(rows);
  if (!run_.Start(folder_, std::move(targets), *observer_)) {
    return;
  }
  timer_.start();
  close_->setText(QStringLiteral("キャンセル(&C)"));
  check_->setEnabled(false);
  browse_->setEnabled(false);
}

void CValidityCheckDlg::OnTimer() {
  if (IsRunning()) {
    return;
  }
  run_.Join();
  timer_.stop();
  close_->setText(QStringLiteral("閉じる(&C)"));
  check_->setEnabled(true);
  browse_->setEnabled(true);
}

void CValidityCheckDlg::reject() {
  if (IsRunning()) {
    run_.RequestCancel();
    return;
  }
  QDialog::reject();
}

void CValidityCheckDlg::OnHeaderClicked(int column) {
  model_->SortByKey(sortKey_.Click(column));
}

void CValidityCheckDlg::OnRowStarted(CheckRowId id) {
  model_->SetTexts(id, kCheckingMark, "");
}

void CValidityCheckDlg::OnRowJudged(CheckRowId id, CheckVerdict verdict) {
  const QModelIndex index = model_->SetTexts(id, VerdictMark(verdict), VerdictRemark(verdict));
  if (index.isValid()) {
    list_->scrollTo(index);
  }
}

void CValidityCheckDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void CValidityCheckDlg::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (IsRunning() || urls.isEmpty() || !urls.front().isLocalFile()) {
    return;
  }
  // Only the first item counts, and only when it is a folder.
  const QString path = urls.front().toLocalFile();
  if (QFileInfo(path).isDir()) {
    SetFolder(path);
    event->acceptProposedAction();
  }
}

}  // namespace kv
