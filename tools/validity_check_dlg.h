#pragma once
// "正当性チェック": lists the piece files and executables of a folder (browsed
// for or dropped) and checks all or the selected ones on a worker thread,
// showing each verdict as it comes. Closes only while no check runs.

#include <QDialog>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "tools/validity_run.h"
#include "tools/validity_sort.h"

class QLineEdit;
class QPushButton;
class QTreeView;

namespace kv {

class CheckListModel;

class CValidityCheckDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CValidityCheckDlg(QWidget* parent);
  ~CValidityCheckDlg() override;

  // Makes `folder` the current folder and lists its candidate files; ignored
  // while a check runs.
  void SetFolder(const QString& folder);
  bool IsRunning() const;

 public slots:
  void reject() override;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class QueuedObserver;
  void Browse();
  void StartCheck();
  void OnTimer();
  void OnHeaderClicked(int column);
  void OnRowStarted(CheckRowId id);
  void OnRowJudged(CheckRowId id, CheckVerdict verdict);

  QLineEdit* folderEdit_;
  QPushButton* browse_;
  QTreeView* list_;
  QPushButton* check_;
  QPushButton* close_;
  CheckListModel* model_;
  QTimer timer_;
  std::string folder_;
  SortKeyState sortKey_;
  std::unique_ptr<QueuedObserver> observer_;
  CheckRun run_;  // declared last: its worker is joined before the rest goes
};

}  // namespace kv
