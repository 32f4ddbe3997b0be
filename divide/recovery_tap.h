#pragma once
// The recovery data a divide computes from the bytes it writes: the engines
// show it every byte of every piece as it goes to the piece (gathered into
// large runs, so the hashing and the Reed-Solomon sums run over whole
// blocks), and once the last piece is closed it writes NAME.par2 and its
// volumes beside it. On removable media they go onto the medium then in the
// drive, and a file that does not fit there asks for the next medium.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "recovery/recovery_writer.h"
#include "recovery/series_accumulator.h"

namespace kv {

class JobState;
class Prompter;
class Volumes;

class RecoveryTap {
 public:
  // `pieces` as predicted, first piece first.
  RecoveryTap(std::vector<par2::ExpectedFile> pieces, std::uint32_t recoverySlices,
              std::size_t memoryBudget = par2::kAccumulatorBudget);
  // Sets the recovery slices up (a temporary file in `spillFolder` when they
  // pass the memory budget); false when that cannot be done.
  bool Start(const std::string& spillFolder) { return accumulator_.Start(spillFolder); }

  // The pieces stay readable once written (a fixed drive): when the series
  // fits in half the machine's memory (so its pieces are still in the page
  // cache at the end), the recovery data is computed after the last piece
  // from the pieces themselves, read back side by side on both processors as
  // protect reads a series, and the divide moves its bytes as it does
  // without recovery (the tap takes none). Before the first piece.
  void PiecesStayReadable();
  bool ReadsBack() const { return readBack_; }
  // The next piece of the series is begun.
  void PieceBegun();
  // Bytes of a step in the engine's block; a step that follows the one before
  // in memory joins its run. Taken at the latest by Flush.
  void Step(const std::byte* data, std::size_t length);
  // Takes the gathered run, before its block is filled again.
  void Flush();
  // Bytes written to the piece from elsewhere (a stub, a header, a trailer).
  void WrittenDirectly(std::span<const std::byte> bytes);
  // The piece is whole.
  void PieceEnded();
  // At the end of the job, before the engine's blocks go: no byte of them is read any more.
  void Settle() { accumulator_.Settle(); }
  // Settles a tap (if any) when it goes: an engine declares it after its blocks.
  class Settler {
   public:
    explicit Settler(RecoveryTap* tap) : tap_(tap) {}
    ~Settler() {
      if (tap_ != nullptr) {
        tap_->Settle();
      }
    }
    Settler(const Settler&) = delete;
    Settler& operator=(const Settler&) = delete;

   private:
    RecoveryTap* tap_;
  };

  // The status field's text while the recovery files are written ("" keeps it as it is).
  void SetWritingStatus(std::string text) { writingStatus_ = std::move(text); }

  // After the last piece, written beside `lastPiece`: writes the recovery
  // files. On removable media (`onRemovable`) each is put on the medium, and
  // one that does not fit on the medium in the drive asks for the next one.
  void WriteSet(Prompter& prompter, Volumes& volumes, JobState& job, const std::string& lastPiece,
                bool onRemovable);

  // True once the recovery files are written.
  bool Written() const { return outcome_.done; }
  // The folder ("" or ending in "/") the files were written to, and their outcome.
  const std::string& Folder() const { return folder_; }
  const par2::RecoveryOutcome& Outcome() const { return outcome_; }
  // Why nothing was written when the divide was not at fault: the pieces
  // broke their prediction, or the recovery slices had no room.
  par2::AccumulatorFault Fault() const {
    return readBackFault_ != par2::AccumulatorFault::kNone ? readBackFault_ : accumulator_.Fault();
  }
  std::uint64_t SliceSize() const { return accumulator_.SliceSize(); }
  std::size_t PieceCount() const { return accumulator_.Entries().size(); }

 private:
  void WriteSetShowingStatus(JobState& job, par2::RecoveryRequest request,
                             const par2::PrecomputedSet& set);
  // Whether the written pieces are those predicted; sets the fault when not.
  bool WrittenAsPredicted();

  par2::SeriesAccumulator accumulator_;
  std::size_t memoryBudget_;
  bool readBack_ = false;
  par2::AccumulatorFault readBackFault_ = par2::AccumulatorFault::kNone;
  std::string setName_;
  std::size_t nextPiece_ = 0;
  const std::byte* run_ = nullptr;
  std::size_t runLength_ = 0;
  std::string folder_;
  std::string writingStatus_;
  par2::RecoveryOutcome outcome_;
};

// Whether an engine may move its bytes without a look at them: no recovery
// data, or data computed from the pieces read back.
inline bool NeedsNoBytes(const RecoveryTap* tap) {
  return tap == nullptr || tap->ReadsBack();
}

}  // namespace kv
