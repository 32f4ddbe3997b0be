#include "tools/validity_head.h"

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

constexpr auto kHeadBytes = static_cast<std::int64_t>(HeadReadSource::kHeadSize);

}  // namespace

HeadReadSource::HeadReadSource(std::unique_ptr<ByteSource> file)
    : file_(std::move(file)),
      // Page-aligned like the file's own bytes, so the copy out of the page
      // cache runs at full speed.
      head_(NewPageBuffer(kHeadSize)) {}

HeadReadSource::~HeadReadSource() = default;

bool HeadReadSource::LoadHead() {
  if (headLength_ < 0) {
    if (!file_->Seek(0)) {
      return false;
    }
    headLength_ = file_->Read(std::span(head_.get(), kHeadSize));
    filePosition_ = std::max<std::int64_t>(headLength_, 0);
  }
  return headLength_ >= 0;
}

std::int64_t HeadReadSource::Read(std::span<std::byte> out) {
  if (!LoadHead()) {
    return -1;
  }
  std::size_t total = 0;
  if (position_ < headLength_) {
    total = std::min(out.size(), static_cast<std::size_t>(headLength_ - position_));
    std::memcpy(out.data(), head_.get() + position_, total);
    position_ += static_cast<std::int64_t>(total);
  }
  // A head shorter than asked for held the whole file when it was read.
  if (total == out.size() || headLength_ < kHeadBytes) {
    return static_cast<std::int64_t>(total);
  }
  if (filePosition_ != position_ && !file_->Seek(position_)) {
    return -1;
  }
  const std::int64_t got = file_->Read(out.subspan(total));
  if (got < 0) {
    return -1;
  }
  position_ += got;
  filePosition_ = position_;
  return static_cast<std::int64_t>(total) + got;
}

bool HeadReadSource::LookAhead(std::int64_t length, const Look& look) {
  if (!LoadHead() || length < 0) {
    return false;
  }
  // What the head holds is seen there; a head shorter than asked for held the whole file.
  const std::int64_t inHead =
      std::clamp<std::int64_t>(headLength_ - position_, 0, std::min(length, headLength_));
  if (inHead < length && headLength_ < kHeadBytes) {
    return false;
  }
  if (inHead > 0) {
    look(head_.get() + position_, static_cast<std::size_t>(inHead));
  }
  const std::int64_t beyond = position_ + inHead;
  if (inHead < length && ((filePosition_ != beyond && !file_->Seek(beyond)) ||
                          !file_->LookAhead(length - inHead, look))) {
    filePosition_ = -1;  // unknown: the next read seeks
    return false;
  }
  if (inHead < length) {
    filePosition_ = position_ + length;
  }
  position_ += length;
  return true;
}

std::int64_t HeadReadSource::Size() const {
  if (size_ < 0) {
    size_ = file_->Size();
  }
  return size_;
}

bool HeadReadSource::Seek(std::int64_t position) {
  const std::int64_t size = Size();
  if (position < 0 || size < 0 || position > size) {
    return false;
  }
  position_ = position;
  return true;
}

}  // namespace kv
