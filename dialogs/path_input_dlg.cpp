#include "dialogs/path_input_dlg.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/divide_settings.h"
#include "dialogs/dialog_helpers.h"

namespace kv {

namespace {

// The longest path the browsers start from.
constexpr qsizetype kMaxPathText = 4096;

}  // namespace

void ShowPromptLine(QFileDialog& picker, const QString& prompt) {
  // As the label of the folder box the prompt would squeeze the box to a few
  // characters: it gets a line of its own below the dialog's controls.
  picker.setOption(QFileDialog::DontUseNativeDialog);
  if (auto* grid = qobject_cast<QGridLayout*>(picker.layout())) {
    auto* line = new QLabel(prompt);
    line->setObjectName(QStringLiteral("folderPrompt"));
    grid->addWidget(line, grid->rowCount(), 0, 1, grid->columnCount());
  }
}

QString FolderBrowseStart(const QString& text) {
  QString start = text.left(kMaxPathText);
  if (start != QStringLiteral("/") && start.endsWith(QLatin1Char('/'))) {
    start.chop(1);
  }
  return start;
}

QString PickedFolderText(const QString& folder) {
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

CPathInputDlg::CPathInputDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("パス（ファイル）を指定"));
  auto* prompt =
      new QLabel(QStringLiteral("  フォルダ名、又はファイル名を入力してください。\n"
                                "  フォルダ名を入力する際は、最後を￥にしてください。"));
  edit_ = NameControl(new QLineEdit, ids::kPathInputEdit);
  edit_->setMinimumWidth(360);
  auto* ok = NameControl(new QPushButton(QStringLiteral("OK")), ids::kIdOk);
  auto* cancel = NameControl(new QPushButton(QStringLiteral("キャンセル")), ids::kIdCancel);
  auto* file =
      NameControl(new QPushButton(QStringLiteral("ファイル参照(&F)...")), ids::kPathFileBrowse);
  auto* folder =
      NameControl(new QPushButton(QStringLiteral("パス参照...(&P)")), ids::kPathFolderBrowse);
  ok->setDefault(true);
  auto* grid = new QGridLayout(this);
  grid->addWidget(prompt, 0, 0, 1, 3);
  grid->addWidget(edit_, 1, 0, 1, 3);
  grid->addWidget(ok, 3, 1);  // added in Tab order
  grid->addWidget(cancel, 3, 2);
  grid->addWidget(file, 2, 0);
  grid->addWidget(folder, 2, 1);
  connect(ok, &QPushButton::clicked, this, &CPathInputDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CPathInputDlg::reject);
  connect(folder, &QPushButton::clicked, this, &CPathInputDlg::BrowseFolder);
  connect(file, &QPushButton::clicked, this, &CPathInputDlg::BrowseFile);
}

bool CPathInputDlg::Run(QWidget* parent, QString& path) {
  CPathInputDlg dialog(parent);
  dialog.edit_->setText(path);
  if (dialog.exec() != QDialog::Accepted) {
    return false;
  }
  // A folder typed with "\\", "￥" or "¥" at its end is stored ending in "/".
  path = ToQ(StoredPathEntry(ToStd(dialog.edit_->text())));
  return true;
}

void CPathInputDlg::accept() {
  // An empty path is no entry: the dialog stays open.
  if (!edit_->text().isEmpty()) {
    QDialog::accept();
  }
}

void CPathInputDlg::BrowseFolder() {
  QFileDialog picker(this, QStringLiteral("デフォルトパス指定"), FolderBrowseStart(edit_->text()));
  picker.setFileMode(QFileDialog::Directory);
  picker.setOption(QFileDialog::ShowDirsOnly);
  ShowPromptLine(picker, QStringLiteral("デフォルトパスを指定してください"));
  if (picker.exec() == QDialog::Accepted && !picker.selectedFiles().isEmpty()) {
    edit_->setText(PickedFolderText(picker.selectedFiles().front()));
  }
}

void CPathInputDlg::BrowseFile() {
  QFileDialog picker(this, QStringLiteral("デフォルトファイルを指定"));
  picker.setFileMode(QFileDialog::ExistingFile);
  picker.setNameFilter(QStringLiteral("すべてのファイル (*)"));
  picker.selectFile(edit_->text().left(kMaxPathText));
  if (picker.exec() == QDialog::Accepted && !picker.selectedFiles().isEmpty()) {
    edit_->setText(picker.selectedFiles().front());
  }
}

}  // namespace kv
