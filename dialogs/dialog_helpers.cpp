#include "dialogs/dialog_helpers.h"

#include <QMessageBox>

namespace kv {

QLabel* LabelFor(const QString& text, QWidget* field) {
  auto* label = new QLabel(text);
  label->setBuddy(field);
  // Set as well: the toolkit finds a buddy label only beside its field, not
  // for a field inside a compound control or for a list.
  field->setAccessibleName(QString(text).remove(u'&'));
  return label;
}

void ShowExclamation(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Kolvanto"), text, QMessageBox::Ok, owner);
  box.exec();
}

}  // namespace kv
