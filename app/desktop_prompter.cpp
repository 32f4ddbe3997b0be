#include "app/desktop_prompter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QThread>

#include "app/capacity_shortage_dlg.h"

namespace kv {

namespace {

QMessageBox::Icon BoxIcon(Icon icon) {
  switch (icon) {
    case Icon::kStop:
      return QMessageBox::Critical;
    case Icon::kWarning:
      return QMessageBox::Warning;
    case Icon::kInformation:
      return QMessageBox::Information;
    case Icon::kQuestion:
      return QMessageBox::Question;
    case Icon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

struct BoxButton {
  Answer answer;
  QMessageBox::StandardButton standard;
  const char* text;
};

// The buttons of a set, with the texts of the Japanese system boxes.
std::vector<BoxButton> ButtonsOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::kYesNo:
      return {{Answer::kYes, QMessageBox::Yes, "はい(&Y)"},
              {Answer::kNo, QMessageBox::No, "いいえ(&N)"}};
    case Buttons::kRetryCancel:
      return {{Answer::kRetry, QMessageBox::Retry, "再試行(&R)"},
              {Answer::kCancel, QMessageBox::Cancel, "キャンセル"}};
    case Buttons::kOk:
      break;
  }
  return {{Answer::kOk, QMessageBox::Ok, "OK"}};
}

// Box texts are written with Windows line ends; a box shows one break for each.
QString BoxText(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// A message box as wide as its longest line, where the screen has room for
// it: the toolkit breaks lines past a fixed width, and a Japanese line then
// breaks inside a phrase.
class UnwrappedMessageBox final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  // The toolkit sizes the box anew when it is shown and on every layout request.
  bool event(QEvent* event) override {
    const bool handled = QMessageBox::event(event);
    if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest) {
      KeepLinesWhole();
    }
    return handled;
  }

 private:
  void KeepLinesWhole() {
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr || !label->wordWrap()) {
      return;
    }
    label->setWordWrap(false);
    layout()->activate();
    const QSize whole = layout()->totalMinimumSize();
    if (whole.width() > screen()->availableGeometry().width() * 9 / 10) {
      label->setWordWrap(true);  // wider than the screen: the toolkit's breaks stay
      return;
    }
    setFixedSize(whole);
    // The unwrapping asked for a layout of its own, which would wrap again.
    QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
  }
};

}  // namespace

DesktopPrompter::DesktopPrompter(QWidget* owner, ShellActions& shell)
    : owner_(owner), shell_(shell) {}

Answer DesktopPrompter::OnUiThread(const std::function<Answer()>& ask) {
  if (QThread::currentThread() == thread()) {
    return ask();
  }
  Answer answer = Answer::kCancel;
  QMetaObject::invokeMethod(
      this, [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
  return answer;
}

Answer DesktopPrompter::Ask(const Message& message) {
  return OnUiThread([&] { return ShowMessage(message); });
}

Answer DesktopPrompter::AskCapacityShortage(const CapacityShortage& request) {
  return OnUiThread([&] {
    if (closed_.load()) {
      return Answer::kCancel;
    }
    CCapacityShortageDlg dialog(request, shell_, owner_);
    return dialog.exec() == CCapacityShortageDlg::kRetry ? Answer::kRetry : Answer::kCancel;
  });
}

Answer DesktopPrompter::ShowMessage(const Message& message) {
  if (closed_.load()) {
    return ButtonsOf(message.buttons).back().answer;
  }
  UnwrappedMessageBox box(BoxIcon(message.icon), QString::fromStdString(message.caption),
                          BoxText(message.text), QMessageBox::NoButton, owner_);
  box.setTextFormat(Qt::PlainText);
  const std::vector<BoxButton> buttons = ButtonsOf(message.buttons);
  for (const BoxButton& b : buttons) {
    QPushButton* button = box.addButton(b.standard);
    button->setText(QString::fromUtf8(b.text));
    if (b.answer == message.defaultButton) {
      box.setDefaultButton(button);
    }
  }
  const int clicked = box.exec();
  for (const BoxButton& b : buttons) {
    if (clicked == b.standard) {
      return b.answer;
    }
  }
  // Closed without a button (Esc where the set has no way out): the last button, No or Cancel.
  return buttons.back().answer;
}

}  // namespace kv
