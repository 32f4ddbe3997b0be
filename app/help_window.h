#pragma once
// The help window over the bundled Japanese help pages: a list of pages
// (the contents, or the pages a search found), the page itself, and a search
// over the text of every page.

#include <QDialog>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace kv {

class CHelpWindow final : public QDialog {
 public:
  explicit CHelpWindow(QWidget* parent);

  void ShowContents();
  void ShowSearch();
  void ShowHelpOnHelp();

  // The pages holding every word of `words` (blank-separated), in contents order.
  static QStringList FindPages(const QString& words);

 private:
  void ListPages(const QStringList& pages);
  void OpenPage(const QString& page);
  void Search();

  QLineEdit* searchBox_;
  QListWidget* pageList_;
  QTextBrowser* browser_;
};

}  // namespace kv
