#include "dialogs/dialog_helpers.h"

#include <QMessageBox>

namespace kv {

void ShowExclamation(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Kolvanto"), text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace kv
