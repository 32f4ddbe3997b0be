#pragma once
// Helpers for widget tests: a QApplication for the whole test program,
// looking controls up by identifier, answering modal dialogs from inside
// their event loop, and saving pictures of widgets for a person to look at.

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <ostream>
#include <string>

#include "dialogs/command_ids.h"

// Lets test failures show texts readably.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace kv::test {

// The control `id` below `root`; null when there is none.
template <class Widget>
Widget* Control(const QWidget* root, int id) {
  return root->findChild<Widget*>(QString::fromStdString(ids::ObjectName(id)));
}

// What a message box showed.
struct SeenMessage {
  QString text;
  QString caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs `handler` once on the next visible modal dialog of class `className` as
// soon as it is shown (from inside its own event loop).
void OnNextModal(const char* className, std::function<void(QWidget*)> handler);

// Records the next message box into `seen` and presses its OK button.
void AnswerNextMessageBox(SeenMessage& seen);

// Closes every modal dialog that opens while it lives and counts them, so
// that a dialog which should not have opened fails a test instead of hanging it.
class ModalCloser {
 public:
  ModalCloser();
  int Closed() const { return closed_; }

 private:
  QTimer timer_;
  int closed_ = 0;
};

// Saves a picture of `widget` as `name`.png in the test's build folder.
void SavePicture(QWidget& widget, const std::string& name);

}  // namespace kv::test
