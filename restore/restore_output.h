#pragma once
// The file a restore writes its output to. A restore that replaces a file
// standing under the output name writes beside it, so a restore that fails
// or is cancelled never costs the user the file it was allowed to replace.

#include <memory>
#include <string>

#include "core/result.h"

namespace kv {

class BinaryFile;
class JobState;

// Creates the restore's output file, exclusively and never through a link:
// the output name itself, or, when the job replaces a file, the first free
// name of "NAME.kvpart", "NAME.kvpart.1", ... beside it, kept as the job's
// OutputBeside. The failure, on the file whose creation failed, when none can
// be created.
Result<std::unique_ptr<BinaryFile>> CreateRestoreOutput(JobState& job);

// The name the restore's output stands under while it is written.
std::string RestoreOutputName(const JobState& job);

// After a restore's end: an output written beside the file it replaces goes
// in that file's place when the job ended restored and `complete` (the front
// end's own judgement) agrees; otherwise the file stays and so does the
// output beside it. False when the rename failed: the job then ends as
// failed with its errno, the output still beside.
bool PutRestoredOutputInPlace(JobState& job, bool complete);

}  // namespace kv
