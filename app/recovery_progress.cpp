#include "app/recovery_progress.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>

#include "app/window_texts.h"
#include "dialogs/dialog_helpers.h"
#include "dialogs/integer_field.h"

namespace kv {

namespace wt = window_texts;

std::optional<int> AskRecoveryPieces(QWidget* owner, int initial, int most) {
  QDialog dialog(owner);
  dialog.setWindowTitle(QString::fromUtf8(wt::kProtectTitle));
  auto* field = new CUpDownEdit(ids::kRecoveryCountEdit, 1, most);
  field->SetValue(std::clamp(initial, 1, most));
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QString::fromUtf8(wt::kPlainCancelButton), QDialogButtonBox::RejectRole);
  auto* grid = new QGridLayout(&dialog);
  grid->addWidget(LabelFor(QString::fromUtf8(wt::kRecoveryCountLabel), field->Edit()), 0, 0);
  grid->addWidget(field, 0, 1);
  grid->addWidget(new QLabel(QString::fromUtf8(wt::kPiecesUnit)), 0, 2);
  grid->addWidget(buttons, 1, 0, 1, 3);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    if (const auto error = IntegerFieldError(field->Edit()->text(), 1, most)) {
      ShowExclamation(&dialog, *error);
      return;
    }
    dialog.accept();
  });
  field->Edit()->selectAll();
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return field->Edit()->text().trimmed().toInt();
}

void RunWithProgress(QWidget* owner, const QString& label,
                     const std::function<void(const std::function<bool()>& stopAsked)>& work) {
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
  QProgressDialog progress(label, QString::fromUtf8(wt::kPlainCancelButton), 0, 0, owner);
  progress.setWindowTitle(QStringLiteral("Kolvanto"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setAutoReset(false);
  progress.setAutoClose(false);
  progress.setMinimumDuration(0);
  QObject::connect(&progress, &QProgressDialog::canceled, [&stop] { stop.store(true); });
  std::thread worker([&] {
    work([&stop] { return stop.load(); });
    done.store(true);
  });
  progress.show();
  // Questions the work asks come to this thread and are answered meanwhile.
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done.load()) {
      loop.quit();
    }
  });
  poll.start(20);
  loop.exec();
  worker.join();
}

}  // namespace kv
