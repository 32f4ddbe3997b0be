#include "restore/rebuild_on_the_way.h"

#include <optional>
#include <vector>

#include "core/job_end.h"
#include "core/text_fill.h"
#include "recovery/series_recovery.h"
#include "restore/restore_texts.h"

namespace kv {

namespace {

constexpr const char* kRebuildCaption = "Kolvanto 復元確認";
constexpr const char* kRebuildFailed = "修復データからファイルを作り直せませんでした。\n%s";
// Followed by the pieces rebuilt, one a line.
constexpr const char* kRebuiltRemark = "\n修復データから作り直したファイル：";

std::string JoinNames(const std::vector<std::string>& names, const char* separator) {
  std::string joined;
  for (const std::string& name : names) {
    joined += (joined.empty() ? "" : separator) + name;
  }
  return joined;
}

}  // namespace

Message RebuildQuestion(const par2::RepairReport& examined, std::string caption) {
  const std::string names = JoinNames(par2::UnsoundFiles(examined), "、");
  Message question =
      MakeMessage(MessageKind::kRebuildFromRecovery, FillText(texts::kRebuildQuestion, names),
                  Buttons::kYesNo, Icon::kQuestion, std::move(caption));
  question.subject = names;
  return question;
}

std::string RebuildPiecesOnTheWay(const JobState& job, Prompter& prompter) {
  const std::optional<par2::SetPlace> place = par2::SetPlaceOf(job.JobSource());
  if (!job.PiecesOnFixedDrive || !place) {
    return "";
  }
  // Every piece is read once: a cancel meanwhile ends the reading, and the
  // restore then stops at its first step.
  const auto cancelled = [&job] { return job.RunState.load() == kRunCancelRequested; };
  bool agreed = false;
  const auto ask = [&](const par2::RepairReport& examined) {
    agreed =
        !cancelled() && prompter.Ask(RebuildQuestion(examined, kRebuildCaption)) == Answer::kYes;
    return agreed;
  };
  const par2::RepairReport repaired =
      par2::RepairSeries(*place, true, {.stopAsked = cancelled, .confirm = ask});
  // Nothing wrong, too little recovery, or a No: the restore goes as ever.
  if (!agreed) {
    return "";
  }
  if (repaired.outcome != par2::RepairOutcome::kRepaired) {
    const Failure& failure = repaired.failure;
    const std::string cause =
        failure.error ? FailureText(failure.path, failure.error) : failure.path;
    prompter.Ask(MakeMessage(FillText(kRebuildFailed, cause), Buttons::kOk, Icon::kWarning));
    return "";
  }
  return kRebuiltRemark + ("\n" + JoinNames(repaired.rebuilt, "\n"));
}

JobEnd RestoreWithRebuild(JobState& job, Prompter& prompter, const std::function<JobEnd()>& body) {
  std::string remark = RebuildPiecesOnTheWay(job, prompter);
  JobEnd end = body();
  end.remark = std::move(remark);
  return end;
}

}  // namespace kv
