#pragma once
// Small helpers shared by the settings dialogs: control names, text
// conversion and the product's exclamation message.

#include <QLabel>
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

#include "dialogs/command_ids.h"

namespace kv {

// Gives `widget` the object name of control `id` and returns it.
template <class Widget>
Widget* NameControl(Widget* widget, int id) {
  widget->setObjectName(QString::fromStdString(ids::ObjectName(id)));
  return widget;
}

// A label naming `field`: its mnemonic focuses the field, and assistive
// technology announces the field by the label's text.
QLabel* LabelFor(const QString& text, QWidget* field);

inline QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToStd(const QString& text) {
  return text.toStdString();
}

// A modal message box owned by `owner`: caption "Kolvanto", exclamation icon, OK.
void ShowExclamation(QWidget* owner, const QString& text);

}  // namespace kv
