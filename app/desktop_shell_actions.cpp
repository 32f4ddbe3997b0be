#include "app/desktop_shell_actions.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include "platform/disk_utility.h"
#include "platform/volumes.h"

namespace kv {

bool DesktopShellActions::OpenFolder(const std::string& path) {
  const QString mountPoint = QString::fromStdString(volumes_.MountPointOf(path));
  return QDesktopServices::openUrl(QUrl::fromLocalFile(mountPoint));
}

bool DesktopShellActions::CanOpenDiskUtility() {
  return !FindDiskUtility().empty();
}

bool DesktopShellActions::OpenDiskUtility(const std::string& path) {
  const std::string utility = FindDiskUtility();
  const std::string device = BlockDeviceOf(volumes_, path);
  if (utility.empty()) {
    return false;
  }
  QStringList arguments;
  if (!device.empty()) {
    arguments << QStringLiteral("--block-device") << QString::fromStdString(device);
  }
  return QProcess::startDetached(QString::fromStdString(utility), arguments);
}

bool DesktopShellActions::StartCopy(const std::string& program, const std::string& file) {
  return QProcess::startDetached(QString::fromStdString(program), {QString::fromStdString(file)});
}

}  // namespace kv
