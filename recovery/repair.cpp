#include "recovery/repair.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/safe_create.h"
#include "platform/system_calls.h"
#include "recovery/file_hashes.h"
#include "recovery/file_shelf.h"
#include "recovery/gf16.h"
#include "recovery/gf16_matrix.h"
#include "recovery/rs_stripes.h"
#include "recovery/set_loader.h"
#include "recovery/two_threads.h"

namespace kv::par2 {

namespace {

constexpr std::size_t kMemoryBudget = 64 * 1024 * 1024;
constexpr std::size_t kCopyChunk = 1 << 20;

struct FileWork {
  const SetFile* file = nullptr;
  NameKind kind = NameKind::kNone;
  bool read = false;    // hashed to its end; `size` and `hashes` hold
  bool intact = false;  // its length and digest match the description
  std::uint64_t size = 0;
  FileHashes hashes;                         // slices too when not intact
  const FileShelf::File* current = nullptr;  // null when missing or not a regular file
  std::vector<bool> good;                    // per slice
  std::unique_ptr<PositionedFile> rebuilt;
  NameIdentity rebuiltId;  // only that file is removed again

  std::string Name() const { return file->entry.name; }
  std::uint64_t SliceLength(std::uint64_t sliceSize, std::uint32_t k) const {
    return std::min(sliceSize, file->entry.length - k * sliceSize);
  }
};

// A missing slice: the file it belongs to and its number there.
struct MissingSlice {
  FileWork* work = nullptr;
  std::uint32_t slice = 0;
};

class Repairer {
 public:
  Repairer(std::string folder, LoadedSet& loaded, RepairHooks hooks)
      : folder_(std::move(folder)), set_(loaded.set), hooks_(std::move(hooks)) {}
  RepairReport Run(bool rebuild);

 private:
  bool ReadAll();
  bool Read(FileWork& work, const StopCheck& stop);
  void Examine(FileWork& work);
  bool Solve();
  bool CreateRebuilt();
  bool CopyGoodSlices(FileWork& work);
  bool Reconstruct();
  bool WriteSolved(const std::vector<Bytes>& solved, std::uint64_t at);
  bool VerifyRebuilt();
  bool PutInPlace(FileWork& work);
  bool Fail(Failure failure);
  void RemoveRebuilt();
  std::string RebuildingName(const FileWork& work) const {
    return folder_ + work.Name() + ".rebuilding";
  }

  std::string folder_;
  const RecoverySet& set_;
  RepairHooks hooks_;
  FileShelf shelf_;  // the files as they stand, read in turn
  RepairReport report_;
  std::vector<FileWork> works_;
  std::vector<MissingSlice> missing_;
  std::vector<std::uint32_t> exponents_;
  std::vector<std::uint16_t> inverse_;  // missing × recovery used
};

bool Repairer::Fail(Failure failure) {
  report_.failure = std::move(failure);
  report_.outcome = RepairOutcome::kFailed;
  return false;
}

// Reads every file on two threads; false when a stop ended the reading.
bool Repairer::ReadAll() {
  return ForEachOnTwoThreads(
      works_.size(),
      [this](std::size_t i, unsigned, const StopCheck& stop) { return Read(works_[i], stop); },
      hooks_.stopAsked);
}

// A file of the right length is first read for its digest alone: a file of
// one slice that does not match is that slice damaged, a longer one has its
// slices hashed to find the damaged ones.
bool Repairer::Read(FileWork& work, const StopCheck& stop) {
  const FileEntry& entry = work.file->entry;
  const std::string path = folder_ + entry.name;
  work.kind = KindOfName(path);
  if (work.kind != NameKind::kRegular) {
    return true;  // missing: every slice is to be rebuilt
  }
  const Result<std::unique_ptr<PositionedFile>> opened = PositionedFile::OpenForReading(path);
  if (!opened) {
    return true;  // unreadable: every slice is to be rebuilt
  }
  const std::unique_ptr<PositionedFile>& file = *opened;
  work.size = file->Size();
  if (work.size == entry.length) {
    Md5Digest digest{};
    if (!HashWholeFile(*file, digest, stop)) {
      return !stop();
    }
    work.intact = digest == entry.md5;
    work.read = work.intact || entry.length <= set_.sliceSize;
    if (work.read) {
      return true;
    }
  }
  // Not intact: its length or its digest (taken above) differs. Its slices are judged one by one.
  work.read = HashFile(*file, set_.sliceSize, work.hashes, stop);
  return work.read || !stop();
}

void Repairer::Examine(FileWork& work) {
  const FileEntry& entry = work.file->entry;
  work.good.assign(work.file->sliceCount, work.intact);
  if (work.read) {
    work.current = &shelf_.Add(folder_ + entry.name, work.size);
    const std::vector<SliceCheck>& slices = work.hashes.slices;
    for (std::uint32_t k = 0; !work.intact && k < work.file->sliceCount; ++k) {
      const bool held = work.size >= k * set_.sliceSize + work.SliceLength(set_.sliceSize, k);
      work.good[k] = held && work.file->hasChecksums && k < slices.size() &&
                     slices[k].md5 == entry.slices[k].md5;
    }
  }
  ExaminedFile examined{entry.name, FileCondition::kIntact, 0};
  if (!work.intact) {
    examined.condition =
        work.kind == NameKind::kNone ? FileCondition::kMissing : FileCondition::kDamaged;
    for (std::uint32_t k = 0; k < work.file->sliceCount; ++k) {
      if (!work.good[k]) {
        missing_.push_back({&work, k});
        ++examined.badSlices;
      }
    }
  }
  report_.badSlices += examined.badSlices;
  report_.files.push_back(examined);
}

// The inverse of the system the lowest recovery exponents give.
bool Repairer::Solve() {
  const std::size_t m = missing_.size();
  std::vector<std::uint16_t> matrix(m * m);
  for (std::size_t r = 0; r < m; ++r) {
    exponents_.push_back(set_.recovery[r].exponent);
    for (std::size_t s = 0; s < m; ++s) {
      const std::uint32_t index = missing_[s].work->file->firstSlice + missing_[s].slice;
      matrix[r * m + s] = gf16::Power(gf16::InputConstant(index), exponents_[r]);
    }
  }
  inverse_ = std::move(matrix);
  return gf16::Invert(inverse_, m);
}

bool Repairer::CreateRebuilt() {
  for (FileWork& work : works_) {
    if (work.intact) {
      continue;
    }
    Result<std::unique_ptr<PositionedFile>> created = PositionedFile::Create(RebuildingName(work));
    if (!created) {
      return Fail(created.Error());
    }
    work.rebuilt = std::move(*created);
    work.rebuiltId = IdentityOfName(RebuildingName(work));
    if (!CopyGoodSlices(work)) {
      return false;
    }
  }
  return true;
}

bool Repairer::CopyGoodSlices(FileWork& work) {
  Bytes buffer;
  for (std::uint32_t k = 0; k < work.good.size(); ++k) {
    const std::uint64_t begin = k * set_.sliceSize;
    const std::uint64_t end = begin + work.SliceLength(set_.sliceSize, k);
    for (std::uint64_t at = begin; work.good[k] && at < end; at += buffer.size()) {
      buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, end - at)));
      if (!work.current->ReadAt(at, buffer)) {
        return Fail({shelf_.Fault().error, work.current->Path()});
      }
      if (!work.rebuilt->WriteAt(at, buffer)) {
        return Fail(work.rebuilt->Fault());
      }
    }
  }
  return true;
}

bool Repairer::WriteSolved(const std::vector<Bytes>& solved, std::uint64_t at) {
  for (std::size_t s = 0; s < missing_.size(); ++s) {
    FileWork& work = *missing_[s].work;
    const std::uint64_t length = work.SliceLength(set_.sliceSize, missing_[s].slice);
    if (at >= length) {
      continue;
    }
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(solved[s].size(), length - at));
    if (!work.rebuilt->WriteAt(missing_[s].slice * set_.sliceSize + at,
                               std::span(solved[s]).first(count))) {
      return Fail(work.rebuilt->Fault());
    }
  }
  return true;
}

// A stripe at a time: the recovery slices less the good slices' share, then
// the inverse applied to what is left.
bool Repairer::Reconstruct() {
  std::vector<SliceSource> good;
  for (FileWork& work : works_) {
    for (std::uint32_t k = 0; k < work.good.size(); ++k) {
      if (work.good[k]) {
        good.push_back({work.current, k * set_.sliceSize, work.SliceLength(set_.sliceSize, k),
                        gf16::InputConstant(work.file->firstSlice + k)});
      }
    }
  }
  const std::size_t m = missing_.size();
  const std::size_t width = StripeWidth(set_.sliceSize, 2 * m, kMemoryBudget);
  std::vector<Bytes> sums(m);
  std::vector<Bytes> solved(m);
  StripeAdder adder(good, exponents_);
  for (std::uint64_t at = 0; m > 0 && at < set_.sliceSize; at += width) {
    const std::size_t step =
        static_cast<std::size_t>(std::min<std::uint64_t>(width, set_.sliceSize - at));
    for (std::size_t r = 0; r < m; ++r) {
      sums[r].resize(step);
      solved[r].assign(step, 0);
      const RecoveryRef& ref = set_.recovery[r];
      if (!ref.source->ReadAt(ref.dataOffset + at, sums[r])) {
        return Fail({SystemError(EIO), folder_});
      }
    }
    if (!adder.Add(at, sums)) {
      return Fail({shelf_.Fault().error, folder_});
    }
    for (std::size_t s = 0; s < m; ++s) {
      for (std::size_t r = 0; r < m; ++r) {
        gf16::MultiplyAdd(inverse_[s * m + r], sums[r].data(), solved[s].data(), step);
      }
    }
    if (!WriteSolved(solved, at)) {
      return false;
    }
  }
  return true;
}

bool Repairer::VerifyRebuilt() {
  for (FileWork& work : works_) {
    if (work.rebuilt == nullptr) {
      continue;
    }
    if (const Status finished = work.rebuilt->Finish(); !finished) {
      return Fail(finished.Error());
    }
    const Result<std::unique_ptr<PositionedFile>> back =
        PositionedFile::OpenForReading(RebuildingName(work));
    if (!back) {
      return Fail(back.Error());
    }
    Md5Digest md5{};
    if (!HashWholeFile(**back, md5)) {
      return Fail((*back)->Fault());
    }
    if ((*back)->Size() != work.file->entry.length || md5 != work.file->entry.md5) {
      return Fail({{}, RebuildingName(work)});  // the set's data does not give the file back
    }
  }
  return true;
}

// Moves the damaged file aside (never over anything) and the rebuilt one in.
bool Repairer::PutInPlace(FileWork& work) {
  const std::string path = folder_ + work.Name();
  if (KindOfName(path) != NameKind::kNone) {
    SystemCalls& calls = ActiveSystemCalls();
    int n = 1;
    while (calls.RenameNoReplace(path.c_str(), (path + "." + std::to_string(n)).c_str()) != 0) {
      if (errno != EEXIST || ++n > 1000) {
        return Fail(LastFailure(path));
      }
    }
    report_.keptAs.push_back(work.Name() + "." + std::to_string(n));
  }
  if (ActiveSystemCalls().RenameNoReplace(RebuildingName(work).c_str(), path.c_str()) != 0) {
    return Fail(LastFailure(path));
  }
  report_.rebuilt.push_back(work.Name());
  return true;
}

void Repairer::RemoveRebuilt() {
  for (FileWork& work : works_) {
    if (work.rebuilt != nullptr) {
      // Best effort: the repair has failed already, and the user is told so.
      static_cast<void>(work.rebuilt->Finish());
      static_cast<void>(RemoveAskedFile(RebuildingName(work), work.rebuiltId));
    }
  }
}

RepairReport Repairer::Run(bool rebuild) {
  report_.recoverySlices = static_cast<std::uint32_t>(set_.recovery.size());
  report_.setFound = set_.usable && std::all_of(set_.files.begin(), set_.files.end(),
                                                [](const SetFile& f) { return f.described; });
  if (!report_.setFound) {
    return report_;
  }
  works_.resize(set_.files.size());
  for (std::size_t i = 0; i < works_.size(); ++i) {
    works_[i].file = &set_.files[i];
  }
  const bool stopped = !ReadAll();
  for (FileWork& work : works_) {
    Examine(work);
  }
  const bool allIntact =
      std::all_of(works_.begin(), works_.end(), [](const FileWork& w) { return w.intact; });
  std::sort(report_.files.begin(), report_.files.end(),
            [](const ExaminedFile& a, const ExaminedFile& b) { return a.name < b.name; });
  if (allIntact) {
    report_.outcome = RepairOutcome::kNothingToDo;
    return report_;
  }
  if (stopped || missing_.size() > set_.recovery.size() || !Solve()) {
    report_.outcome = RepairOutcome::kNotRepairable;
    return report_;
  }
  report_.outcome = RepairOutcome::kRepaired;
  if (!rebuild || (hooks_.confirm && !hooks_.confirm(report_))) {
    return report_;
  }
  if (!CreateRebuilt() || !Reconstruct() || !VerifyRebuilt()) {
    RemoveRebuilt();
    return report_;
  }
  std::vector<FileWork*> byName;
  for (FileWork& work : works_) {
    byName.push_back(&work);
  }
  std::sort(byName.begin(), byName.end(),
            [](const FileWork* a, const FileWork* b) { return a->Name() < b->Name(); });
  for (FileWork* work : byName) {
    if (work->rebuilt != nullptr && !PutInPlace(*work)) {
      return report_;
    }
  }
  return report_;
}

}  // namespace

RepairReport RepairSet(const std::string& folder, const std::string& setName, bool rebuild,
                       RepairHooks hooks) {
  LoadedSet loaded = LoadRecoveryFiles(folder, setName);
  return Repairer(folder, loaded, std::move(hooks)).Run(rebuild);
}

}  // namespace kv::par2
