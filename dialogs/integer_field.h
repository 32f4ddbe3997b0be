#pragma once
// A right-aligned digits-only edit with an up-down pair, and the check of
// its text as an integer in a range.

#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <optional>

namespace kv {

// The message for a text that is not an integer from `low` to `high`, or
// nothing when it is one.
std::optional<QString> IntegerFieldError(const QString& text, int low, int high);

class CUpDownEdit : public QWidget {
  Q_OBJECT

 public:
  CUpDownEdit(int editId, int low, int high);
  QLineEdit* Edit() const { return edit_; }
  void SetValue(int value);
  // Steps the number by `delta`, kept within the range (an unreadable text counts as low).
  void Step(int delta);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* edit_;
  int low_;
  int high_;
};

}  // namespace kv
