#include "app/divide_app.h"

#include <QCoreApplication>

#include "app/dialog_font.h"
#include "app/divide_dlg.h"
#include "app/qt_translation.h"
#include "core/beside_executable.h"
#include "plan/real_workers.h"
#include "platform/file_helpers.h"

namespace kv {

CDivideApp::CDivideApp(int& argc, char** argv)
    : QApplication(argc, argv),
      switches_(ParseCommandLine(argc, argv)),
      tail_(CommandLineTail(argc, argv)),
      settings_(DivideSettings::StoredDefaults()) {
  setOrganizationName(QStringLiteral("Orvik Software"));
  setApplicationName(QStringLiteral("Kolvanto"));
  setDesktopFileName(QStringLiteral("kolvanto"));
  // Every window, the settings sheets and message boxes too, in the Japanese
  // dialog font; the standard dialogs in Japanese.
  setFont(JapaneseDialogFont());
  InstallQtTranslation(*this);
}

int CDivideApp::InitInstance() {
  const std::string folder = ExecutableFolder();
  const WindowContext context{
      .settings = settings_,
      .job = job_,
      .stubs = stubs_,
      .store = store_,
      .volumes = volumes_,
      .shell = shell_,
      .worker = RunRealWorker,
      .stubDataFile = FindBesideExecutable(folder, kStubDataFileName),
      .settingsFileFolders = BesideExecutableFolders(folder),
      .program = QCoreApplication::applicationFilePath().toStdString(),
      .initialSource = InitialSource(tail_),
  };
  CDivideDlg window(context);
  window.show();
  return window.exec() == QDialog::Accepted ? 0 : 1;
}

}  // namespace kv
