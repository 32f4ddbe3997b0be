#include "plan/real_workers.h"

#include "divide/type0_divide.h"
#include "divide/typed_divide.h"
#include "restore/type0_restore.h"
#include "restore/typed_restore.h"

namespace kv {

void RunRealWorker(WorkerKind kind, const WorkerContext& c) {
  switch (kind) {
    case WorkerKind::kType0Divide:
      RunType0Divide(c.settings, c.job, c.prompter, c.volumes, c.recovery);
      return;
    case WorkerKind::kTypedDivide:
      RunTypedDivide(c.settings, c.job, c.prompter, c.volumes, c.stubs, c.recovery);
      return;
    case WorkerKind::kType0Restore:
      RunType0Restore(c.settings, c.job, c.prompter);
      return;
    case WorkerKind::kTypedRestore:
      RunTypedRestore(c.settings, c.job, c.prompter);
      return;
  }
}

}  // namespace kv
