#include "restore/restore_output.h"

#include <cerrno>

#include "core/job_end.h"
#include "core/job_state.h"
#include "platform/binary_file.h"
#include "platform/safe_create.h"

namespace kv {

namespace {

// Tries beyond this many taken names mean something else fills the folder.
constexpr int kBesideNamesTried = 100;

std::string BesideName(const std::string& output, int attempt) {
  std::string name = output + ".kvpart";
  if (attempt > 0) {
    name += "." + std::to_string(attempt);
  }
  return name;
}

}  // namespace

Result<std::unique_ptr<BinaryFile>> CreateRestoreOutput(JobState& job) {
  const std::string output = job.JobDest();
  if (job.OutputDescriptor >= 0) {
    return BinaryFile::WriteTo(FileHandle(job.OutputDescriptor), output);
  }
  if (!job.ReplacesOutput) {
    return BinaryFile::Open(output, BinaryFile::Mode::kCreateWrite);
  }
  for (int attempt = 0;; ++attempt) {
    const std::string tried = BesideName(output, attempt);
    // Another restore to the same name writes beside it under a name of its own.
    auto file = BinaryFile::Open(tried, BinaryFile::Mode::kCreateWrite);
    if (file) {
      job.SetOutputBeside(tried);
    }
    if (file || file.Error().error != std::errc::file_exists || attempt + 1 == kBesideNamesTried) {
      return file;
    }
  }
}

std::string RestoreOutputName(const JobState& job) {
  std::string beside = job.OutputBeside();
  return beside.empty() ? job.JobDest() : beside;
}

bool PutRestoredOutputInPlace(JobState& job, bool complete) {
  const std::string beside = job.OutputBeside();
  const JobOutcome outcome = job.Outcome();
  const bool restored =
      outcome == JobOutcome::kDone || outcome == JobOutcome::kDoneWithChecksumError;
  if (beside.empty() || !restored || !complete) {
    return true;
  }
  const Status put = PutInPlace(beside, job.JobDest());
  if (put) {
    job.SetOutputBeside({});
    return true;
  }
  job.SetOutcome(JobOutcome::kFailed, put.Error().error, put.Error().path);
  job.SetJobMessage(FinalMessage(JobKind::kRestore, JobOutcome::kFailed));
  return false;
}

}  // namespace kv
