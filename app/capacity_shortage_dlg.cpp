#include "app/capacity_shortage_dlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/window_texts.h"
#include "dialogs/dialog_helpers.h"
#include "platform/shell_actions.h"

namespace kv {

namespace wt = window_texts;

namespace {

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

CCapacityShortageDlg::CCapacityShortageDlg(const CapacityShortage& request, ShellActions& shell,
                                           QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(wt::kShortageTitle));
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QString::fromUtf8(wt::kShortageText), this), 0, 0, 1, 2);
  auto* required = new QLabel(QString::fromStdString(request.requiredLine), this);
  required->setObjectName(QStringLiteral("id1072"));
  auto* free = new QLabel(QString::fromStdString(request.freeLine), this);
  free->setObjectName(QStringLiteral("id1073"));
  layout->addWidget(required, 1, 0, 1, 2);
  layout->addWidget(free, 2, 0, 1, 2);

  QPushButton* retry = Button(wt::kRetryButton, "id1071", this);
  QPushButton* explorer = Button(wt::kExplorerButton, "id1070", this);
  QPushButton* format = Button(wt::kFormatButton, "id1069", this);
  QPushButton* cancel = Button(wt::kPlainCancelButton, "id2", this);
  retry->setDefault(true);
  layout->addWidget(retry, 3, 0);
  layout->addWidget(explorer, 3, 1);
  layout->addWidget(format, 4, 0);
  layout->addWidget(cancel, 4, 1);

  // A button whose program cannot be started says what to install.
  const std::string destination = request.destination;
  connect(retry, &QPushButton::clicked, this, [this] { done(kRetry); });
  connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });
  connect(explorer, &QPushButton::clicked, this, [this, &shell, destination] {
    if (!shell.OpenFolder(destination)) {
      ShowExclamation(this, QString::fromUtf8(wt::kNoFileManager));
    }
  });
  connect(format, &QPushButton::clicked, this, [this, &shell, destination] {
    if (!shell.OpenDiskUtility(destination)) {
      ShowExclamation(this, QString::fromUtf8(wt::kNoDiskUtility));
    }
  });
  setFixedSize(sizeHint());
}

}  // namespace kv
