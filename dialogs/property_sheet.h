#pragma once
// A modal multi-page settings dialog: tabs of pages, OK and キャンセル. A page
// is initialised when first shown, may refuse to be left, and on OK writes
// its fields only if it was shown at least once.

#include <QDialog>
#include <QString>
#include <QWidget>
#include <vector>

class QTabWidget;

namespace kv {

class CPropertyPage : public QWidget {
  Q_OBJECT

 public:
  explicit CPropertyPage(const QString& caption);
  const QString& Caption() const { return caption_; }
  bool WasShown() const { return shown_; }
  // Forgets that the page was shown (a sheet that is shown again).
  void ResetShown() { shown_ = false; }
  void MarkShown();

 protected:
  friend class CPropertySheet;
  // Runs the first time the page is shown.
  virtual void OnFirstShow() {}
  // False keeps the page active (the page has told the user why).
  virtual bool OnKillActive() { return true; }
  // Writes the page's fields; false keeps the sheet open.
  virtual bool OnApply() { return true; }

 private:
  QString caption_;
  bool shown_ = false;
};

class CPropertySheet : public QDialog {
  Q_OBJECT

 public:
  CPropertySheet(const QString& caption, QWidget* parent);
  void AddPage(CPropertyPage* page);
  // Adds OK and キャンセル behind the pages; called once, after the last AddPage.
  void FinishPages();
  int PageCount() const { return static_cast<int>(pages_.size()); }
  CPropertyPage* Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
  int ActiveIndex() const;
  void SetActivePage(int index);
  // Makes page 0 active and forgets which pages were shown.
  void Restart();

 public slots:
  void accept() override;

 private:
  void OnTabChanged(int index);

  QTabWidget* tabs_;
  std::vector<CPropertyPage*> pages_;
  int activeIndex_ = -1;
  bool switching_ = false;
};

}  // namespace kv
