#pragma once
// The WorkerEntry of the programs: the four real job workers.

#include "plan/worker_launch.h"

namespace kv {

void RunRealWorker(WorkerKind kind, const WorkerContext& context);

}  // namespace kv
