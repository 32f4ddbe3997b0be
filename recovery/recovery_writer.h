#pragma once
// Writes a recovery set over files already on disk: the index NAME.par2
// (main, file descriptions, slice checksums, creator) and, with recovery
// slices, the volumes NAME.volF+C.par2 in par2cmdline's split (1, 2, 4, ...
// slices, the last taking the rest), each carrying its own copies of the
// critical packets. Every file is created exclusively, never through a link;
// on failure the files this call created are removed again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::par2 {

struct RecoveryRequest {
  std::string folder;              // "" or ending in "/"
  std::vector<std::string> names;  // the protected files, in that folder
  std::string setName;             // NAME
  std::uint64_t sliceSize = 0;     // a multiple of 4
  std::uint32_t recoverySlices = 0;
  std::size_t memoryBudget = 64 * 1024 * 1024;  // for the recovery stripes
};

struct RecoveryOutcome {
  bool done = false;
  std::vector<std::string> written;  // file names, index first
  std::string failedPath;            // what could not be read or written
  int error = 0;                     // its errno
};

RecoveryOutcome WriteRecoveryFiles(const RecoveryRequest& request);

// How many recovery slices go in each volume, as par2cmdline splits them.
std::vector<std::uint32_t> VolumeCounts(std::uint32_t recoverySlices);

// This program's creator packet text.
std::string CreatorText();

}  // namespace kv::par2
