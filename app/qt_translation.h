#pragma once
// Qt's own Japanese texts: the buttons and labels of the standard file and
// folder choosers and the context menus of edit fields.

#include <QCoreApplication>

namespace kv {

// Installs Qt's Japanese translation from the system's translation folder;
// false when it is not installed there (the standard dialogs then stay in English).
bool InstallQtTranslation(QCoreApplication& app);

}  // namespace kv
