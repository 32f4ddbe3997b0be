#include "dialogs/integer_field.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/dialog_helpers.h"

namespace kv {

std::optional<QString> IntegerFieldError(const QString& text, int low, int high) {
  const QString trimmed = text.trimmed();
  bool ok = false;
  const qlonglong value = trimmed.toLongLong(&ok);
  // A run of digits too long for any integer type is still a number out of range.
  const bool digitsOnly = !trimmed.isEmpty() && std::all_of(trimmed.begin(), trimmed.end(),
                                                            [](QChar c) { return c.isDigit(); });
  if (!ok && !digitsOnly) {
    return QStringLiteral("整数を入力してください。");
  }
  if (!ok || value < low || value > high) {
    return QStringLiteral("%1 から %2 までの整数を入力してください。").arg(low).arg(high);
  }
  return std::nullopt;
}

CUpDownEdit::CUpDownEdit(int editId, int low, int high)
    : edit_(NameControl(new QLineEdit, editId)), low_(low), high_(high) {
  edit_->setAlignment(Qt::AlignRight);
  edit_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
  edit_->installEventFilter(this);
  auto* up = new QToolButton;
  auto* down = new QToolButton;
  up->setArrowType(Qt::UpArrow);
  down->setArrowType(Qt::DownArrow);
  for (QToolButton* button : {up, down}) {
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setFixedSize(16, 11);
  }
  connect(up, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
  auto* arrows = new QVBoxLayout;
  arrows->setSpacing(0);
  arrows->addWidget(up);
  arrows->addWidget(down);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit_);
  layout->addLayout(arrows);
  setFocusProxy(edit_);
}

void CUpDownEdit::SetValue(int value) {
  edit_->setText(QString::number(value));
}

void CUpDownEdit::Step(int delta) {
  bool ok = false;
  const qlonglong value = edit_->text().toLongLong(&ok);
  const qlonglong base = ok ? std::clamp<qlonglong>(value, low_, high_) : low_;
  SetValue(static_cast<int>(std::clamp<qlonglong>(base + delta, low_, high_)));
}

bool CUpDownEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kv
