// The self-restore commands: a self-restoring divide with the default kind
// (command 32780) or a chosen one (commands 101..106), run as Execute with
// the divide type of the stub data file's pieces for the job's duration.

#include "core/job_state.h"
#include "core/prompter.h"
#include "core/stub_data_file.h"
#include "plan/job_planner.h"
#include "plan/plan_texts.h"

namespace kv {

namespace pt = plan_texts;

bool JobPlanner::SelfRestoring() const {
  return job_.SelfRestoreJob || settings_.SelfRestore || selfRestoreIntended_;
}

void JobPlanner::SetSelfRestoreIntent(bool intended) {
  selfRestoreIntended_ = intended;
}

void JobPlanner::CreateSelfRestoring() {
  if (JobActive()) {
    return;
  }
  if (stubs_.KindName(0).empty()) {
    prompter_.Ask(MakeMessage(pt::kNoStubData, Buttons::kOk, Icon::kWarning));
    return;
  }
  const int kind = settings_.RestoreNo;
  if (kind >= 0 && kind < kMaxStubKinds && !stubs_.KindName(kind).empty()) {
    SelfRestoreStart(kind);
  } else {
    prompter_.Ask(MakeMessage(pt::kChooseKind, Buttons::kOk, Icon::kWarning));
  }
}

void JobPlanner::CreateSelfRestoringKind(int kind) {
  SelfRestoreStart(kind);
}

void JobPlanner::SelfRestoreStart(int kind) {
  if (JobActive()) {
    return;
  }
  job_.SelfRestoreKind = kind;
  job_.SavedDivideType = settings_.DivideType;
  job_.SelfRestoreJob = true;
  selfRestoreAsked_ = true;
  // Version 1 stubs carry Type2 pieces, version 2 stubs Type3; other versions leave the type.
  if (stubs_.Major() == 1 || stubs_.Major() == 2) {
    settings_.DivideType = static_cast<int>(stubs_.SeriesSplitType());
  }
  executeArmed_ = 1;
  ExecuteFromAnalysis();
}

void JobPlanner::EndSelfRestore() {
  // The analysis clears SelfRestoreJob for a piece series, so the planner's own
  // flag decides whether the divide type was swapped.
  if (selfRestoreAsked_) {
    selfRestoreAsked_ = false;
    settings_.DivideType = job_.SavedDivideType;
  }
  job_.SelfRestoreJob = false;
}

}  // namespace kv
