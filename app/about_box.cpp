#include "app/about_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "app/app_icon.h"
#include "app/window_texts.h"
#include "core/program_version.h"
#include "core/text_fill.h"

namespace kv {

namespace wt = window_texts;

CAboutDlg::CAboutDlg(const std::string& stubStatus, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutBox"));
  setWindowTitle(QString::fromUtf8(wt::kAboutTitle));
  auto* icon = new QLabel(this);
  icon->setPixmap(KolvantoIcon().pixmap(32, 32));
  const std::string version =
      FormatText(wt::kAboutVersion, std::to_string(kProgramVersionMajor).c_str(),
                 std::to_string(kProgramVersionMinor).c_str());
  auto* versionLine = new QLabel(QString::fromStdString(version), this);
  versionLine->setObjectName(QStringLiteral("id1112"));
  auto* stubLine = new QLabel(QString::fromStdString(stubStatus), this);
  stubLine->setObjectName(QStringLiteral("id1074"));
  auto* further = new QLabel(QString::fromUtf8(wt::kAboutFurtherLine), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(versionLine, 0, 1);
  layout->addWidget(stubLine, 1, 1);
  layout->addWidget(further, 2, 1);
  layout->addWidget(buttons, 3, 0, 1, 2);
  setFixedSize(sizeHint());
}

}  // namespace kv
