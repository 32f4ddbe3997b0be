#pragma once
// Writes a recovery set over files already on disk: the index NAME.par2
// (main, file descriptions, slice checksums, creator) and, with recovery
// slices, the volumes NAME.volF+C.par2 in par2cmdline's split (1, 2, 4, ...
// slices, the last taking the rest), each carrying its own copies of the
// critical packets. Every file is created exclusively, never through a link;
// on failure the files this call created are removed again.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/result.h"
#include "platform/positioned_file.h"
#include "recovery/par2_packets.h"

namespace kv::par2 {

struct RecoveryRequest {
  std::string folder;              // "" or ending in "/"
  std::vector<std::string> names;  // the protected files, in that folder
  std::string setName;             // NAME
  std::uint64_t sliceSize = 0;     // a multiple of 4
  std::uint32_t recoverySlices = 0;
  std::size_t memoryBudget = 64 * 1024 * 1024;  // for the recovery stripes
  // Asked between the chunks read, summed and written, on the calling
  // thread: true ends the set (ECANCELED on NAME.par2), none of its files left.
  std::function<bool()> stopAsked = {};
};

struct RecoveryOutcome {
  bool done = false;
  std::vector<std::string> written;  // file names, index first
  // What could not be read or written and why; no error when the bytes read
  // were not those expected.
  Failure failure;
};

RecoveryOutcome WriteRecoveryFiles(const RecoveryRequest& request);

// What a set needs when its files were hashed and its recovery slices
// computed beforehand (while a divide wrote them): nothing is read but the slices.
struct PrecomputedSet {
  std::vector<FileEntry> entries;     // with digests and slice checksums
  const ByteRange* slices = nullptr;  // the recovery slices, exponent e at e · sliceSize
  // Asked before each file is created, the one before it closed and on its
  // medium: a failure gives the set up with it (ECANCELED when the user
  // declined another medium). May change the medium in the drive.
  std::function<Status(const std::string& name, std::uint64_t bytes)> makeRoom;
};

// Writes the set of `request` (its names unused) from `set`. Each file is
// whole and closed before the next is begun.
RecoveryOutcome WriteRecoveryFiles(const RecoveryRequest& request, const PrecomputedSet& set);

// How many recovery slices go in each volume, as par2cmdline splits them.
std::vector<std::uint32_t> VolumeCounts(std::uint32_t recoverySlices);

// This program's creator packet text.
std::string CreatorText();

}  // namespace kv::par2
