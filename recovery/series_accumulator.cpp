#include "recovery/series_accumulator.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "recovery/gf16.h"
#include "recovery/protect_series.h"

namespace kv::par2 {

namespace {

constexpr std::size_t kCachedPart = 64 * 1024;

}  // namespace

// Hashes one run of bytes at a time on a thread of its own.
class SeriesAccumulator::Md5Lane {
 public:
  Md5Lane() : thread_([this] { Loop(); }) {}
  ~Md5Lane() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  Md5Lane(const Md5Lane&) = delete;
  Md5Lane& operator=(const Md5Lane&) = delete;

  // Adds `bytes` to `md5` once the run before is hashed; returns at once.
  void Post(Md5& md5, std::span<const std::uint8_t> bytes) {
    Wait();
    {
      const std::lock_guard lock(mutex_);
      md5_ = &md5;
      bytes_ = bytes;
    }
    changed_.notify_all();
  }
  // Until the run posted last is hashed.
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return md5_ == nullptr; });
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stop_ || md5_ != nullptr; });
      if (md5_ == nullptr) {
        return;
      }
      lock.unlock();
      md5_->Update(bytes_);
      lock.lock();
      md5_ = nullptr;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Md5* md5_ = nullptr;  // the run being hashed, under mutex_
  std::span<const std::uint8_t> bytes_;
  bool stop_ = false;
  std::thread thread_;
};

struct SeriesAccumulator::OpenFile {
  std::size_t index = 0;
  std::uint64_t position = 0;
  Md5 whole;
  Md5 first;
  std::uint32_t crc = 0;
};

SeriesAccumulator::SeriesAccumulator(std::vector<ExpectedFile> files, std::uint32_t recoverySlices,
                                     std::size_t memoryBudget)
    : expected_(std::move(files)),
      recoverySlices_(recoverySlices),
      budget_(memoryBudget),
      seen_(expected_.size(), false) {
  std::vector<std::uint64_t> lengths;
  for (const ExpectedFile& file : expected_) {
    lengths.push_back(file.length);
    FileEntry entry;
    entry.name = file.name;
    entry.length = file.length;
    entry.md5First16k = file.md5First16k;
    entry.id = FileId(file.md5First16k, file.length, file.name);
    entries_.push_back(std::move(entry));
  }
  sliceSize_ = SliceSizeForPieces(lengths);
  // A slice's constant follows its file's place in the main packet's order.
  std::vector<std::size_t> order(entries_.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
  }
  std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
    return IdBefore(entries_[a].id, entries_[b].id);
  });
  constants_.resize(order.size());
  for (std::size_t k = 0; k < order.size() && k < gf16::kMaxInputSlices; ++k) {
    constants_[order[k]] = gf16::InputConstant(static_cast<std::uint32_t>(k));
  }
}

SeriesAccumulator::~SeriesAccumulator() = default;

bool SeriesAccumulator::Fail(AccumulatorFault fault, Failure failure) {
  Settle();  // the files' hashes may be in use
  if (fault_ == AccumulatorFault::kNone) {
    fault_ = fault;
    failure_ = std::move(failure);
  }
  open_.reset();
  return false;
}

bool SeriesAccumulator::Start(const std::string& spillFolder) {
  if (sliceSize_ == 0 || expected_.size() > gf16::kMaxInputSlices) {
    return Fail(AccumulatorFault::kMismatch);
  }
  if (sliceSize_ * recoverySlices_ <= budget_) {
    return true;
  }
  Result<std::unique_ptr<PositionedFile>> spill = PositionedFile::CreateTemporary(spillFolder);
  if (!spill) {
    return Fail(AccumulatorFault::kStorage, {spill.Error().error, spillFolder});
  }
  spill_ = std::move(*spill);
  return true;
}

// The memory is taken when the first file begins: a divide whose pieces are
// read back afterwards never needs it.
bool SeriesAccumulator::TakeMemory() {
  try {
    if (spill_ == nullptr) {
      memory_.assign(static_cast<std::size_t>(sliceSize_ * recoverySlices_), 0);
      memoryView_ = std::make_unique<MemoryRange>(memory_);
    } else {
      // The window of incoming bytes and the slice stripe it is added to: half
      // the budget together, wide enough that the file is read and written in long runs.
      const std::size_t width = std::max<std::size_t>(budget_ / 4 / 4 * 4, 4);
      window_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(width, sliceSize_)));
      scratch_.resize(window_.size());
    }
  } catch (const std::bad_alloc&) {
    return Fail(AccumulatorFault::kStorage, {SystemError(ENOMEM), {}});
  }
  memoryTaken_ = true;
  return true;
}

void SeriesAccumulator::DropSpill() {
  spill_.reset();
}

const ByteRange& SeriesAccumulator::Slices() const {
  return spill_ != nullptr ? static_cast<const ByteRange&>(*spill_) : *memoryView_;
}

void SeriesAccumulator::BeginFile(std::size_t index) {
  if (fault_ != AccumulatorFault::kNone) {
    return;
  }
  if (index >= expected_.size() || seen_[index] || open_ != nullptr) {
    Fail(AccumulatorFault::kMismatch);
    return;
  }
  if (!memoryTaken_ && !TakeMemory()) {
    return;
  }
  open_ = std::make_unique<OpenFile>();
  open_->index = index;
  factors_.assign(recoverySlices_, 0);
  for (std::uint32_t e = 0; e < recoverySlices_; ++e) {
    factors_[e] = gf16::Power(constants_[index], e);
  }
  windowStart_ = 0;
  windowFilled_ = 0;
}

void SeriesAccumulator::Add(std::span<const std::uint8_t> bytes) {
  Take(bytes, false);
}

void SeriesAccumulator::AddLasting(std::span<const std::uint8_t> bytes) {
  Take(bytes, true);
}

void SeriesAccumulator::Settle() {
  if (lane_ != nullptr) {
    lane_->Wait();
  }
  CompleteClosing();
}

void SeriesAccumulator::Take(std::span<const std::uint8_t> bytes, bool lasting) {
  if (open_ == nullptr || bytes.empty()) {
    return;
  }
  OpenFile& f = *open_;
  if (bytes.size() > sliceSize_ - f.position) {
    mismatched_ = expected_[f.index].name;
    Fail(AccumulatorFault::kMismatch);
    return;
  }
  if (lasting && lane_ == nullptr) {
    try {
      lane_ = std::make_unique<Md5Lane>();
    } catch (const std::system_error&) {
      lasting = false;  // no thread to be had: hashed here
    }
  }
  if (lasting) {
    Settle();
    laneFile_ = &f;
    lane_->Post(f.whole, bytes);
  } else {
    if (laneFile_ == &f) {
      Settle();
    }
    f.whole.Update(bytes);
  }
  if (f.position < kFirstBytes) {
    f.first.Update(bytes.first(
        static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), kFirstBytes - f.position))));
  }
  f.crc = Crc32(f.crc, bytes);
  AddToSlices(bytes, f.position);
  f.position += bytes.size();
}

void SeriesAccumulator::AddToSlices(std::span<const std::uint8_t> bytes, std::uint64_t at) {
  if (spill_ == nullptr) {
    // A part at a time, so the bytes stay in the cache while every slice takes them.
    for (std::size_t done = 0; done < bytes.size(); done += kCachedPart) {
      const std::span<const std::uint8_t> part =
          bytes.subspan(done, std::min(kCachedPart, bytes.size() - done));
      for (std::uint32_t e = 0; e < recoverySlices_; ++e) {
        gf16::MultiplyAddAt(factors_[e], part, at + done, memory_.data() + e * sliceSize_);
      }
    }
    return;
  }
  while (!bytes.empty()) {
    const std::size_t take = std::min(bytes.size(), window_.size() - windowFilled_);
    std::memcpy(window_.data() + windowFilled_, bytes.data(), take);
    windowFilled_ += take;
    bytes = bytes.subspan(take);
    if (windowFilled_ == window_.size() && !FlushWindow()) {
      return;
    }
  }
}

// Adds the window to the same stripe of every recovery slice in the file.
bool SeriesAccumulator::FlushWindow() {
  if (windowFilled_ == 0) {
    return true;
  }
  if (windowFilled_ % 2 == 1) {
    window_[windowFilled_] = 0;  // the window's size is even
  }
  const std::size_t length = (windowFilled_ + 1) & ~std::size_t{1};
  const std::uint64_t held =
      covered_ > windowStart_ ? std::min<std::uint64_t>(covered_ - windowStart_, length) : 0;
  const std::span<std::uint8_t> stripe(scratch_.data(), length);
  for (std::uint32_t e = 0; e < recoverySlices_; ++e) {
    const std::uint64_t at = e * sliceSize_ + windowStart_;
    std::memset(stripe.data() + held, 0, length - held);
    if (held > 0 && !spill_->ReadAt(at, stripe.first(static_cast<std::size_t>(held)))) {
      return Fail(AccumulatorFault::kStorage, spill_->Fault());
    }
    gf16::MultiplyAdd(factors_[e], window_.data(), stripe.data(), length);
    if (!spill_->WriteAt(at, stripe)) {
      return Fail(AccumulatorFault::kStorage, spill_->Fault());
    }
  }
  covered_ = std::max<std::uint64_t>(covered_, windowStart_ + length);
  windowStart_ += length;
  windowFilled_ = 0;
  return true;
}

void SeriesAccumulator::EndFile() {
  if (open_ == nullptr || (spill_ != nullptr && !FlushWindow())) {
    return;
  }
  const ExpectedFile& expected = expected_[open_->index];
  if (open_->position != expected.length || open_->first.Finish() != expected.md5First16k) {
    mismatched_ = expected.name;
    Fail(AccumulatorFault::kMismatch);
    return;
  }
  if (closing_ != nullptr) {
    Settle();
  }
  seen_[open_->index] = true;
  closing_ = std::move(open_);
}

void SeriesAccumulator::CompleteClosing() {
  if (closing_ == nullptr) {
    return;
  }
  const std::unique_ptr<OpenFile> f = std::move(closing_);
  const ExpectedFile& expected = expected_[f->index];
  FileEntry& entry = entries_[f->index];
  // The file's digest is its slice's before the zero padding.
  const std::size_t padding = static_cast<std::size_t>(sliceSize_ - expected.length);
  const SliceCheck check{padding == 0 ? Md5Digest{} : f->whole.DigestWithZeros(padding),
                         Crc32Zeros(f->crc, padding)};
  entry.md5 = f->whole.Finish();
  entry.slices = {check};
  if (padding == 0) {
    entry.slices[0].md5 = entry.md5;
  }
}

bool SeriesAccumulator::Complete() {
  Settle();
  if (fault_ != AccumulatorFault::kNone || open_ != nullptr ||
      std::find(seen_.begin(), seen_.end(), false) != seen_.end()) {
    return false;
  }
  if (spill_ == nullptr || finished_) {
    return true;
  }
  // Past the longest file the slices hold zeros.
  std::fill(scratch_.begin(), scratch_.end(), 0);
  for (std::uint32_t e = 0; e < recoverySlices_; ++e) {
    for (std::uint64_t at = covered_; at < sliceSize_;) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(scratch_.size(), sliceSize_ - at));
      if (!spill_->WriteAt(e * sliceSize_ + at, std::span(scratch_.data(), n))) {
        return Fail(AccumulatorFault::kStorage, spill_->Fault());
      }
      at += n;
    }
  }
  finished_ = true;
  return true;
}

}  // namespace kv::par2
