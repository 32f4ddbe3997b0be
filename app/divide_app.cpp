#include "app/divide_app.h"

#include <QCoreApplication>

#include "app/divide_dlg.h"
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
