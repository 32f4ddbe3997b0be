#pragma once
// The recovery data of a series computed from the bytes of its pieces as a
// divide writes them, so that no piece is ever read back. Every piece is one
// slice; a slice's Reed-Solomon constant follows from the sorted file IDs,
// so each piece's length and first-16-KiB digest are given before its first
// byte, and what the piece turns out to hold is checked against them: a set
// whose promise was broken is never handed out. The recovery slices stay in
// memory up to a budget, beyond it in a temporary file (removed at once,
// kept open) that they are added to a window at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/positioned_file.h"
#include "recovery/par2_packets.h"

namespace kv::par2 {

// A piece as known before it is written.
struct ExpectedFile {
  std::string name;
  std::uint64_t length = 0;
  Md5Digest md5First16k{};
};

enum class AccumulatorFault {
  kNone,
  kMismatch,  // a piece's length or first bytes were not those expected
  kStorage,   // the temporary file could not be created, read or written
};

// The recovery slices a divide keeps in memory: with its blocks and the
// program itself the process stays below 256 MiB resident.
inline constexpr std::size_t kAccumulatorBudget = 224 * 1024 * 1024;

class SeriesAccumulator {
 public:
  // `files` in the series' order; every length above 0.
  SeriesAccumulator(std::vector<ExpectedFile> files, std::uint32_t recoverySlices,
                    std::size_t memoryBudget = kAccumulatorBudget);
  ~SeriesAccumulator();
  SeriesAccumulator(const SeriesAccumulator&) = delete;
  SeriesAccumulator& operator=(const SeriesAccumulator&) = delete;

  // Makes room for the recovery slices: in memory within the budget (taken
  // when the first file begins), else in a temporary file in `spillFolder`.
  // False (Fault, StorageFailure) when it cannot.
  bool Start(const std::string& spillFolder);
  // The bytes of file `index` (series order) follow, from its first.
  void BeginFile(std::size_t index);
  void Add(std::span<const std::uint8_t> bytes);
  // The same for bytes that stay as they are until the next AddLasting or
  // Settle: their MD5 is taken on a thread of its own meanwhile, so both
  // processors work.
  void AddLasting(std::span<const std::uint8_t> bytes);
  // The file is whole: its length and first bytes are compared with those
  // expected (its digest is completed once its last bytes are hashed).
  void EndFile();
  // Waits until no bytes handed over are read any more: before they go.
  void Settle();
  // Closes the temporary file, if any, before the first file: the series'
  // data is computed another way.
  void DropSpill();

  // Every file was seen whole, as expected, and the slices are complete.
  bool Complete();
  AccumulatorFault Fault() const { return fault_; }
  // What failed, of a storage fault (no error for a mismatch).
  const Failure& StorageFailure() const { return failure_; }
  // The name of the file whose bytes broke the promise.
  const std::string& MismatchedFile() const { return mismatched_; }

  std::uint64_t SliceSize() const { return sliceSize_; }
  std::uint32_t RecoverySlices() const { return recoverySlices_; }
  // The files, series order, with their digests and slice checksums once complete.
  const std::vector<FileEntry>& Entries() const { return entries_; }
  // recoverySlices × sliceSize bytes, the slice of exponent e at e · sliceSize.
  const ByteRange& Slices() const;
  bool InMemory() const { return spill_ == nullptr; }

 private:
  struct OpenFile;
  class Md5Lane;
  void Take(std::span<const std::uint8_t> bytes, bool lasting);
  // Completes the digests of the file ended last; the lane must be idle.
  void CompleteClosing();
  void AddToSlices(std::span<const std::uint8_t> bytes, std::uint64_t at);
  bool TakeMemory();
  bool FlushWindow();
  bool Fail(AccumulatorFault fault, Failure failure = {});

  std::vector<ExpectedFile> expected_;
  std::vector<FileEntry> entries_;
  std::vector<std::uint16_t> constants_;  // of each file, series order
  std::uint32_t recoverySlices_;
  std::size_t budget_;
  std::uint64_t sliceSize_ = 0;
  std::vector<std::uint16_t> factors_;  // constant^e of the open file
  std::unique_ptr<OpenFile> open_;
  std::unique_ptr<OpenFile> closing_;  // ended, its last bytes perhaps still hashed
  // Declared after the files whose hashes it may hold: it ends first.
  std::unique_ptr<Md5Lane> lane_;
  const OpenFile* laneFile_ = nullptr;  // whose bytes the lane was given last
  std::vector<bool> seen_;
  // In memory: all slices. Spilled: the file and a window of the open file's bytes.
  Bytes memory_;
  std::unique_ptr<PositionedFile> spill_;
  Bytes window_;
  Bytes scratch_;
  std::uint64_t windowStart_ = 0;
  std::size_t windowFilled_ = 0;
  std::uint64_t covered_ = 0;  // slice bytes the file holds so far (the rest is zeros)
  std::unique_ptr<MemoryRange> memoryView_;
  bool finished_ = false;
  bool memoryTaken_ = false;
  AccumulatorFault fault_ = AccumulatorFault::kNone;
  Failure failure_;
  std::string mismatched_;
};

}  // namespace kv::par2
