#pragma once
// Qt's own Japanese texts: the buttons and labels of the standard file and
// folder choosers and the context menus of edit fields.

#include <QCoreApplication>

class QTranslator;

namespace kv {

// Installs Qt's Japanese translation from the system's translation folder and
// returns it (owned by `app`); null when it is not installed there, and the
// standard dialogs stay in English.
QTranslator* InstallQtTranslation(QCoreApplication& app);

}  // namespace kv
