#include "recovery/recovery_writer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <memory>

#include "core/program_version.h"
#include "platform/safe_create.h"
#include "recovery/file_hashes.h"
#include "recovery/file_shelf.h"
#include "recovery/gf16.h"
#include "recovery/one_pass.h"
#include "recovery/par2_packets.h"
#include "recovery/rs_stripes.h"
#include "recovery/series_pieces.h"
#include "recovery/two_threads.h"

namespace kv::par2 {

namespace {

// The most recovery slices summed while the files are hashed.
constexpr std::uint32_t kSummedWhileRead = 4;

struct Input {
  const FileShelf::File* file = nullptr;
  FileEntry entry;
};

// Where a recovery slice's packet goes.
struct RecoveryPlace {
  PositionedFile* file = nullptr;
  std::uint64_t offset = 0;  // of its header
};

class Writer {
 public:
  explicit Writer(const RecoveryRequest& request) : request_(request) {}
  Writer(const RecoveryRequest& request, const PrecomputedSet& set)
      : request_(request), precomputed_(&set) {}
  RecoveryOutcome Run();

 private:
  bool OpenAndHash();
  bool Identify();
  bool Hash();
  std::vector<std::uint32_t> RecoveryExponents() const;
  bool BuildPackets();
  bool TakePrecomputed();
  bool WriteRecoveryPacket(PositionedFile& volume, std::uint64_t at, std::uint32_t exponent);
  // Settles the file just written and, for the next one of `bytes`, the room it needs.
  bool MakeRoom(const std::string& name, std::uint64_t bytes);
  bool CreateFile(const std::string& name, PositionedFile*& file);
  bool WriteIndex();
  bool WriteVolumes();
  bool WriteVolume(std::uint32_t firstExponent, std::uint32_t count, const std::string& name);
  bool EncodeRecovery();
  bool Fail(Failure failure);
  // True once the request's stop check said so.
  bool StopAsked();
  bool FailStopped();
  // What the work shared by both threads asks.
  StopCheck StopCheckOfRequest() {
    return [this] { return StopAsked(); };
  }
  void RemoveCreated();

  const RecoveryRequest& request_;
  const PrecomputedSet* precomputed_ = nullptr;  // hashes and slices computed beforehand
  RecoveryOutcome outcome_;
  FileShelf shelf_;            // the protected files, read in turn
  std::vector<Input> inputs_;  // in the main packet's order
  Md5Digest setId_{};
  std::vector<Bytes> critical_;  // main, descriptions, checksums
  Bytes creator_;
  std::vector<std::unique_ptr<PositionedFile>> created_;
  // Of each file created: only that file goes again, never one a medium
  // put in the drive since holds under its name.
  std::vector<NameIdentity> createdIds_;
  std::vector<RecoveryPlace> places_;  // by exponent
  bool summed_ = false;                // the recovery slices were summed while hashing
  bool stopped_ = false;
  std::vector<Bytes> sums_;  // then they are these
};

bool Writer::Fail(Failure failure) {
  outcome_.failure = std::move(failure);
  return false;
}

bool Writer::StopAsked() {
  stopped_ = stopped_ || (request_.stopAsked && request_.stopAsked());
  return stopped_;
}

bool Writer::FailStopped() {
  return Fail({SystemError(ECANCELED), request_.folder + IndexFileName(request_.setName)});
}

// Opens the files on two threads for what names them in the set: their
// lengths and the digests of their first bytes. The first file in order that
// cannot be read is the one reported.
bool Writer::Identify() {
  const std::size_t count = request_.names.size();
  std::vector<Input> found(count);
  std::vector<Failure> failures(count);
  std::vector<char> read(count, 0);  // the rest were not reached after a failure
  ForEachOnTwoThreads(
      count,
      [&](std::size_t i, unsigned, const StopCheck&) {
        Result<std::unique_ptr<PositionedFile>> file =
            PositionedFile::OpenForReading(request_.folder + request_.names[i]);
        if (!file) {
          failures[i] = file.Error();
          return false;
        }
        Bytes first(
            static_cast<std::size_t>(std::min<std::uint64_t>((*file)->Size(), kFirstBytes)));
        if (!(*file)->ReadAt(0, first)) {
          failures[i] = (*file)->Fault();
          return false;
        }
        found[i].entry.length = (*file)->Size();
        found[i].entry.md5First16k = Md5Of(first);
        read[i] = 1;
        return true;
      },
      StopCheckOfRequest());
  if (stopped_) {
    return FailStopped();
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (read[i] == 0) {
      return Fail({failures[i].error, request_.folder + request_.names[i]});
    }
    FileEntry& e = found[i].entry;
    e.name = request_.names[i];
    e.id = FileId(e.md5First16k, e.length, e.name);
    found[i].file = &shelf_.Add(request_.folder + e.name, e.length);
  }
  // The slices are numbered in the main packet's order: the inputs follow it.
  std::sort(found.begin(), found.end(),
            [](const Input& a, const Input& b) { return IdBefore(a.entry.id, b.entry.id); });
  inputs_ = std::move(found);
  return true;
}

// Hashes the files on two threads. When each is one slice and the few
// recovery slices fit the memory allowed twice over, they are summed in the
// same read; more of them are summed after, in stripes that stay in cache
// (every input byte multiplied into many sums outside the cache costs more
// than a second read from the page cache).
bool Writer::Hash() {
  const std::uint64_t size = request_.sliceSize;
  const bool oneSliceEach = std::all_of(inputs_.begin(), inputs_.end(), [size](const Input& input) {
    return input.entry.length <= size;
  });
  summed_ = oneSliceEach && request_.recoverySlices <= kSummedWhileRead &&
            2 * request_.recoverySlices * size <= request_.memoryBudget;
  std::vector<FileHashes> hashes(inputs_.size());
  std::size_t failed = 0;
  bool done = false;
  if (oneSliceEach) {  // the files hashed side by side, summed at once or after
    std::vector<OnePassInput> ones;
    for (const Input& input : inputs_) {
      ones.push_back({input.file, gf16::InputConstant(static_cast<std::uint32_t>(ones.size()))});
    }
    const std::vector<std::uint32_t> exponents =
        summed_ ? RecoveryExponents() : std::vector<std::uint32_t>{};
    done = HashAndSum(ones, exponents, size, hashes, sums_, failed, StopCheckOfRequest());
  } else {
    std::vector<char> read(inputs_.size(), 0);
    done = ForEachOnTwoThreads(
        inputs_.size(),
        [&](std::size_t i, unsigned, const StopCheck& stop) {
          read[i] = HashFile(*inputs_[i].file, size, hashes[i], stop) ? 1 : 0;
          return read[i] != 0;
        },
        StopCheckOfRequest());
    failed = static_cast<std::size_t>(std::find(read.begin(), read.end(), 0) - read.begin());
  }
  if (stopped_) {
    return FailStopped();
  }
  if (!done) {
    return Fail({shelf_.Fault().error,
                 failed < inputs_.size() ? inputs_[failed].file->Path() : request_.folder});
  }
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    inputs_[i].entry.md5 = hashes[i].md5;
    inputs_[i].entry.slices = std::move(hashes[i].slices);
  }
  return true;
}

std::vector<std::uint32_t> Writer::RecoveryExponents() const {
  std::vector<std::uint32_t> exponents(request_.recoverySlices);
  for (std::uint32_t e = 0; e < exponents.size(); ++e) {
    exponents[e] = e;
  }
  return exponents;
}

bool Writer::OpenAndHash() {
  return Identify() && Hash() && BuildPackets();
}

bool Writer::TakePrecomputed() {
  for (const FileEntry& entry : precomputed_->entries) {
    inputs_.push_back({nullptr, entry});
  }
  // The slices are numbered in the main packet's order: the inputs follow it.
  std::sort(inputs_.begin(), inputs_.end(),
            [](const Input& a, const Input& b) { return IdBefore(a.entry.id, b.entry.id); });
  return BuildPackets();
}

bool Writer::BuildPackets() {
  std::vector<Md5Digest> ids;
  for (const Input& input : inputs_) {
    ids.push_back(input.entry.id);
  }
  const Bytes main = MainBody(request_.sliceSize, ids);
  setId_ = Md5Of(main);
  critical_.push_back(MakePacket(setId_, PacketType::kMain, main));
  for (const Input& input : inputs_) {
    critical_.push_back(
        MakePacket(setId_, PacketType::kFileDescription, FileDescriptionBody(input.entry)));
  }
  for (const Input& input : inputs_) {
    critical_.push_back(
        MakePacket(setId_, PacketType::kSliceChecksums, SliceChecksumsBody(input.entry)));
  }
  creator_ = MakePacket(setId_, PacketType::kCreator, CreatorBody(CreatorText()));
  return true;
}

bool Writer::MakeRoom(const std::string& name, std::uint64_t bytes) {
  if (precomputed_ == nullptr) {
    return true;
  }
  if (!created_.empty()) {
    if (const Status finished = created_.back()->Finish(); !finished) {
      return Fail(finished.Error());
    }
  }
  if (precomputed_->makeRoom) {
    if (const Status room = precomputed_->makeRoom(name, bytes); !room) {
      return Fail(room.Error());
    }
  }
  return true;
}

bool Writer::CreateFile(const std::string& name, PositionedFile*& file) {
  if (StopAsked()) {
    return FailStopped();
  }
  Result<std::unique_ptr<PositionedFile>> created = PositionedFile::Create(request_.folder + name);
  if (!created) {
    return Fail(created.Error());
  }
  file = created->get();
  createdIds_.push_back(IdentityOfName(file->Path()));
  created_.push_back(std::move(*created));
  outcome_.written.push_back(name);
  return true;
}

bool Writer::WriteIndex() {
  PositionedFile* index = nullptr;
  std::uint64_t size = creator_.size();
  for (const Bytes& packet : critical_) {
    size += packet.size();
  }
  if (!MakeRoom(IndexFileName(request_.setName), size) ||
      !CreateFile(IndexFileName(request_.setName), index)) {
    return false;
  }
  std::uint64_t at = 0;
  for (const Bytes& packet : critical_) {
    if (!index->WriteAt(at, packet)) {
      return Fail(index->Fault());
    }
    at += packet.size();
  }
  return index->WriteAt(at, creator_) || Fail(index->Fault());
}

// Lays out a volume: each recovery packet (its slice filled in later) is
// followed by its share of the critical packets, ⌊log2 count⌋+1 copies of each in all.
bool Writer::WriteVolume(std::uint32_t firstExponent, std::uint32_t count,
                         const std::string& name) {
  PositionedFile* volume = nullptr;
  const std::size_t copies = static_cast<std::size_t>(std::bit_width(count));
  const std::size_t total = copies * critical_.size();
  std::uint64_t size = creator_.size() + count * (kRecoveryPrefix + request_.sliceSize);
  for (std::size_t k = 0; k < total; ++k) {
    size += critical_[k % critical_.size()].size();
  }
  if (!MakeRoom(name, size) || !CreateFile(name, volume)) {
    return false;
  }
  std::uint64_t at = 0;
  std::size_t next = 0;
  for (std::uint32_t k = 0; k < count; ++k) {
    places_[firstExponent + k] = {volume, at};
    if (precomputed_ != nullptr && !WriteRecoveryPacket(*volume, at, firstExponent + k)) {
      return false;
    }
    at += kRecoveryPrefix + request_.sliceSize;
    for (const std::size_t end = total * (k + 1) / count; next < end; ++next) {
      const Bytes& packet = critical_[next % critical_.size()];
      if (!volume->WriteAt(at, packet)) {
        return Fail(volume->Fault());
      }
      at += packet.size();
    }
  }
  return volume->WriteAt(at, creator_) || Fail(volume->Fault());
}

bool Writer::WriteVolumes() {
  const std::vector<std::uint32_t> counts = VolumeCounts(request_.recoverySlices);
  const int exponentDigits = static_cast<int>(std::to_string(request_.recoverySlices).size());
  const int countDigits =
      counts.empty() ? 1
                     : static_cast<int>(
                           std::to_string(*std::max_element(counts.begin(), counts.end())).size());
  places_.resize(request_.recoverySlices);
  std::uint32_t first = 0;
  for (const std::uint32_t count : counts) {
    if (!WriteVolume(first, count,
                     VolumeFileName(request_.setName, first, count, exponentDigits, countDigits))) {
      return false;
    }
    first += count;
  }
  return true;
}

// Computes the recovery slices a stripe at a time and writes each stripe in
// place; a packet's header follows once its slice's MD5 is complete.
bool Writer::EncodeRecovery() {
  const std::uint32_t count = request_.recoverySlices;
  std::vector<SliceSource> sources;
  for (const Input& input : inputs_) {
    for (std::size_t k = 0; k < input.entry.slices.size(); ++k) {
      const std::uint64_t offset = k * request_.sliceSize;
      sources.push_back({input.file, offset,
                         std::min(request_.sliceSize, input.entry.length - offset),
                         gf16::InputConstant(static_cast<std::uint32_t>(sources.size()))});
    }
  }
  const std::vector<std::uint32_t> exponents = RecoveryExponents();
  std::vector<std::unique_ptr<Md5>> hashes;
  for (std::uint32_t e = 0; e < count; ++e) {
    hashes.push_back(std::make_unique<Md5>());
    hashes.back()->Update(IdAndType(setId_, PacketType::kRecoverySlice));
    Bytes exponent;
    PutU32(exponent, e);
    hashes.back()->Update(exponent);
  }
  const std::size_t width = summed_ ? static_cast<std::size_t>(request_.sliceSize)
                                    : StripeWidth(request_.sliceSize, count, request_.memoryBudget);
  std::vector<Bytes> stripes = summed_ ? std::move(sums_) : std::vector<Bytes>(count);
  StripeAdder adder(sources, exponents);
  for (std::uint64_t at = 0; at < request_.sliceSize; at += width) {
    for (Bytes& stripe : stripes) {
      if (!summed_) {
        stripe.assign(
            static_cast<std::size_t>(std::min<std::uint64_t>(width, request_.sliceSize - at)), 0);
      }
    }
    if (StopAsked() || (!summed_ && !adder.Add(at, stripes, StopCheckOfRequest()))) {
      return stopped_ ? FailStopped() : Fail({shelf_.Fault().error, request_.folder});
    }
    ForEachOnTwoThreads(count, [&](std::size_t e, unsigned, const StopCheck&) {
      hashes[e]->Update(stripes[e]);  // the packets' digests, two at a time
      return true;
    });
    for (std::uint32_t e = 0; e < count; ++e) {
      if (!places_[e].file->WriteAt(places_[e].offset + kRecoveryPrefix + at, stripes[e])) {
        return Fail(places_[e].file->Fault());
      }
    }
  }
  for (std::uint32_t e = 0; e < count; ++e) {
    Bytes prefix;
    const auto header = MakeHeader(kRecoveryPrefix + request_.sliceSize, hashes[e]->Finish(),
                                   setId_, PacketType::kRecoverySlice);
    prefix.assign(header.begin(), header.end());
    PutU32(prefix, e);
    if (!places_[e].file->WriteAt(places_[e].offset, prefix)) {
      return Fail(places_[e].file->Fault());
    }
  }
  return true;
}

// A slice computed beforehand, read twice: once for its packet's MD5, once to be written.
bool Writer::WriteRecoveryPacket(PositionedFile& volume, std::uint64_t at, std::uint32_t exponent) {
  const ByteRange& slices = *precomputed_->slices;
  const std::uint64_t start = std::uint64_t{exponent} * request_.sliceSize;
  Bytes prefix;
  PutU32(prefix, exponent);
  Md5 md5;
  md5.Update(IdAndType(setId_, PacketType::kRecoverySlice));
  md5.Update(prefix);
  Bytes stripe(static_cast<std::size_t>(std::min<std::uint64_t>(request_.sliceSize, 4 << 20)));
  for (int pass = 0; pass < 2; ++pass) {
    for (std::uint64_t done = 0; done < request_.sliceSize;) {
      if (StopAsked()) {
        return FailStopped();
      }
      const std::span<std::uint8_t> part(
          stripe.data(), static_cast<std::size_t>(
                             std::min<std::uint64_t>(stripe.size(), request_.sliceSize - done)));
      if (!slices.ReadAt(start + done, part)) {
        return Fail({SystemError(EIO), request_.folder});
      }
      if (pass == 0) {
        md5.Update(part);
      } else if (!volume.WriteAt(at + kRecoveryPrefix + done, part)) {
        return Fail(volume.Fault());
      }
      done += part.size();
    }
  }
  const auto header = MakeHeader(kRecoveryPrefix + request_.sliceSize, md5.Finish(), setId_,
                                 PacketType::kRecoverySlice);
  Bytes head(header.begin(), header.end());
  head.insert(head.end(), prefix.begin(), prefix.end());
  return volume.WriteAt(at, head) || Fail(volume.Fault());
}

void Writer::RemoveCreated() {
  for (std::size_t k = 0; k < created_.size(); ++k) {
    static_cast<void>(created_[k]->Finish());  // the set has failed already
    // Best effort: the set has failed already, and the user is told so.
    static_cast<void>(RemoveAskedFile(created_[k]->Path(), createdIds_[k]));
  }
  created_.clear();
  createdIds_.clear();
  outcome_.written.clear();
}

RecoveryOutcome Writer::Run() {
  bool done = precomputed_ != nullptr
                  ? TakePrecomputed() && WriteIndex() && WriteVolumes()
                  : OpenAndHash() && WriteIndex() && WriteVolumes() && EncodeRecovery();
  for (const std::unique_ptr<PositionedFile>& file : created_) {
    if (done && !file->Finish()) {
      done = Fail(file->Fault());
    }
  }
  if (!done) {
    RemoveCreated();
  }
  outcome_.done = done;
  return outcome_;
}

}  // namespace

RecoveryOutcome WriteRecoveryFiles(const RecoveryRequest& request) {
  return Writer(request).Run();
}

RecoveryOutcome WriteRecoveryFiles(const RecoveryRequest& request, const PrecomputedSet& set) {
  return Writer(request, set).Run();
}

std::vector<std::uint32_t> VolumeCounts(std::uint32_t recoverySlices) {
  std::vector<std::uint32_t> counts;
  const int files = static_cast<int>(std::bit_width(recoverySlices));
  for (int k = 0; k + 1 < files; ++k) {
    counts.push_back(1U << k);
  }
  if (files > 0) {
    counts.push_back(recoverySlices - ((1U << (files - 1)) - 1));
  }
  return counts;
}

std::string CreatorText() {
  return "Created by Kolvanto version " + std::to_string(kProgramVersionMajor) + "." +
         std::to_string(kProgramVersionMinor) + ".";
}

}  // namespace kv::par2
