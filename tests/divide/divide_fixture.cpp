#include "tests/divide/divide_fixture.h"

#include <sys/mount.h>

#include <cstdio>
#include <filesystem>

#include "platform/file_helpers.h"

namespace kv::test {

void PrepareDivideJob(JobState& job, const std::string& source, const std::string& dest,
                      std::int32_t divideSize, int headerLength) {
  job.SourceUsable = 1;
  job.IsDivide = 1;
  job.SourceSize = FileSize(source);
  job.JobDivideSize = divideSize;
  job.StoredName = std::filesystem::path(source).filename().string();
  job.HeaderLength = headerLength;
  job.PiecesOnFixedDrive = 1;
  job.SetJobSource(source);
  job.SetJobDest(dest);
  job.ResetProgress();
  job.RunState.store(kRunRunning);
}

TmpfsMount::TmpfsMount(std::uint64_t bytes) {
  const std::string options = "size=" + std::to_string(bytes);
  mounted_ = ::mount("tmpfs", dir_.Path().c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TmpfsMount::~TmpfsMount() {
  if (mounted_) {
    ::umount2(dir_.Path().c_str(), MNT_DETACH);
  }
}

std::vector<std::string> RunGnuSplit(const std::string& source, std::int64_t size,
                                     const std::string& prefix) {
  const std::string command = "split -b " + std::to_string(size) + " -a 3 --numeric-suffixes=1 '" +
                              source + "' '" + prefix + "'";
  if (std::system(command.c_str()) != 0) {
    return {};
  }
  std::vector<std::string> names;
  for (int i = 1;; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%03d", i);
    const std::string name = prefix + number;
    if (!std::filesystem::exists(name)) {
      break;
    }
    names.push_back(name);
  }
  return names;
}

std::vector<std::uint8_t> Concatenate(const std::vector<std::string>& files) {
  std::vector<std::uint8_t> all;
  for (const auto& f : files) {
    const auto bytes = ReadFileBytes(f);
    all.insert(all.end(), bytes.begin(), bytes.end());
  }
  return all;
}

std::vector<std::string> ExistingPieces(const std::string& first,
                                        const std::function<std::string(int)>& nameOf) {
  std::vector<std::string> names;
  if (!std::filesystem::exists(first)) {
    return names;
  }
  names.push_back(first);
  for (int i = 2;; ++i) {
    const std::string name = nameOf(i);
    if (!std::filesystem::exists(name)) {
      break;
    }
    names.push_back(name);
  }
  return names;
}

}  // namespace kv::test
