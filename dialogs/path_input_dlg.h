#pragma once
// "パス（ファイル）を指定": enters one default path, typed or picked with the
// folder or file browser. A folder is entered with a trailing "/".

#include <QDialog>
#include <QString>

class QFileDialog;
class QLineEdit;

namespace kv {

// Shows `prompt` on a line of its own in the folder browser `picker`.
void ShowPromptLine(QFileDialog& picker, const QString& prompt);
// The folder the folder browser starts in for the edit's text: one trailing
// "/" is dropped unless the text is the root "/".
QString FolderBrowseStart(const QString& text);
// A picked folder as entered: with a trailing "/".
QString PickedFolderText(const QString& folder);

class CPathInputDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CPathInputDlg(QWidget* parent);
  // Shows `path`, and on OK puts the entered text back into it.
  static bool Run(QWidget* parent, QString& path);

 public slots:
  void accept() override;

 private:
  void BrowseFolder();
  void BrowseFile();

  QLineEdit* edit_;
};

}  // namespace kv
