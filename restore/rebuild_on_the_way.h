#pragma once
// A restore that meets missing or damaged pieces with recovery data beside
// its series: before a byte is read, the pieces are examined against the
// recovery set and, when it can rebuild them and the user agrees, rebuilt
// (created exclusively, a damaged piece kept under another name, each checked
// against the index), so the restore then reads a whole series.

#include <functional>
#include <string>

#include "core/job_end.h"
#include "core/job_state.h"
#include "core/prompter.h"
#include "recovery/repair.h"

namespace kv {

// Whether the missing and damaged files `examined` found are to be rebuilt.
Message RebuildQuestion(const par2::RepairReport& examined, std::string caption);

// Rebuilds what the recovery data beside the series of `job.JobSource()` can;
// returns what the final message gains ("" when nothing was rebuilt). Pieces
// on removable media are left alone: the other media are not in the drive.
std::string RebuildPiecesOnTheWay(const JobState& job, Prompter& prompter);

// Runs the restore `body` after the rebuild, its final message naming the
// pieces rebuilt.
JobEnd RestoreWithRebuild(JobState& job, Prompter& prompter, const std::function<JobEnd()>& body);

}  // namespace kv
