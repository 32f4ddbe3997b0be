#pragma once
// A small series of files on disk with a recovery set written over them.

#include <string>
#include <vector>

#include "recovery/recovery_writer.h"
#include "tests/support/temp_dir.h"

namespace kv::test {

// Files s.d01... of `lengths` bytes in `dir`, and the request that protects
// them by `recoverySlices` slices of `sliceSize` bytes.
inline par2::RecoveryRequest ProtectionRequest(const TempDir& dir,
                                               const std::vector<std::size_t>& lengths,
                                               std::uint64_t sliceSize,
                                               std::uint32_t recoverySlices,
                                               std::size_t budget = 64 * 1024 * 1024) {
  par2::RecoveryRequest request;
  request.folder = dir.Path().string() + "/";
  request.setName = "s";
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    request.names.push_back("s.d0" + std::to_string(i + 1));
    WriteFileBytes(dir / request.names.back(),
                   RandomBytes(lengths[i], static_cast<std::uint32_t>(i + 1)));
  }
  request.sliceSize = sliceSize;
  request.recoverySlices = recoverySlices;
  request.memoryBudget = budget;
  return request;
}

// The files of ProtectionRequest written and protected; returns what was written.
inline std::vector<std::string> WriteProtectedFiles(const TempDir& dir,
                                                    const std::vector<std::size_t>& lengths,
                                                    std::uint64_t sliceSize,
                                                    std::uint32_t recoverySlices,
                                                    std::size_t budget = 64 * 1024 * 1024) {
  return par2::WriteRecoveryFiles(
             ProtectionRequest(dir, lengths, sliceSize, recoverySlices, budget))
      .written;
}

}  // namespace kv::test
