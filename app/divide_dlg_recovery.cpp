// The tools menu's recovery commands: recovery data written for a series
// already on disk, and a series repaired from its recovery data without a
// restore. The work runs off the user interface thread; the window answers
// its questions and stays responsive meanwhile.

#include <QFileDialog>
#include <QLabel>

#include "app/desktop_prompter.h"
#include "app/divide_dlg.h"
#include "app/file_filters.h"
#include "app/recovery_progress.h"
#include "app/window_texts.h"
#include "plan/recovery_texts.h"
#include "plan/series_recovery_commands.h"
#include "tools/series_walk.h"

namespace kv {

namespace wt = window_texts;
namespace rt = recovery_texts;

std::string CDivideDlg::ChooseSeriesFile(const char* title, const char* filters) {
  if (JobRunning() || recoveryRunning_) {
    return "";
  }
  PullTexts(planner_->Texts());
  return QFileDialog::getOpenFileName(this, QString::fromUtf8(title),
                                      QString::fromStdString(planner_->Texts().source),
                                      QtNameFilters(filters))
      .toStdString();
}

void CDivideDlg::RunRecoveryCommand(const char* status, const RecoveryCommand& command) {
  RecoveryCommandEnd end;
  recoveryRunning_ = true;
  const QString statusBefore = status_->text();
  status_->setText(QString::fromUtf8(status));
  RunWithProgress(this, QString::fromUtf8(status),
                  [&](const std::function<bool()>& stopAsked) { end = command(stopAsked); });
  status_->setText(statusBefore);
  recoveryRunning_ = false;
  if (!end.text.empty()) {
    prompter_->Ask(
        MakeMessage(end.text, Buttons::kOk, end.done ? Icon::kInformation : Icon::kWarning));
  }
}

void CDivideDlg::OnProtectSeries() {
  const std::string firstPiece = ChooseSeriesFile(wt::kProtectOpenTitle, wt::kFirstPieceFilters);
  if (firstPiece.empty()) {
    return;
  }
  SeriesToProtect series = ExamineSeriesToProtect(firstPiece);
  if (!series.refusal && IncompleteSeries(firstPiece)) {
    series.refusal = rt::kSeriesIncomplete;
  }
  if (series.refusal) {
    prompter_->Ask(MakeMessage(*series.refusal, Buttons::kOk, Icon::kWarning));
    return;
  }
  const std::optional<int> pieces =
      AskRecoveryPieces(this, static_cast<int>(context_.settings.RecoveryPieces),
                        static_cast<int>(series.pieceCount));
  if (!pieces) {
    return;
  }
  RunRecoveryCommand(rt::kWriting, [&](const std::function<bool()>& stopAsked) {
    return ProtectSeriesCommand(firstPiece, static_cast<std::uint32_t>(*pieces), stopAsked);
  });
}

void CDivideDlg::OnRepairSeries() {
  const std::string path = ChooseSeriesFile(wt::kRepairOpenTitle, wt::kRepairFilters);
  if (path.empty()) {
    return;
  }
  RunRecoveryCommand(rt::kRepairing, [&](const std::function<bool()>& stopAsked) {
    return RepairSeriesCommand(path, *prompter_, stopAsked);
  });
}

}  // namespace kv
